#include "model/recent_title_list.h"

#include <algorithm>

#include "platform/file_io.h"

namespace vantor {

void CRecentTitleList::CTitleEntry::Deserialize(CMemoryIStream& in) {
    m_songKey.Clear();
    m_songKey.Read(in);
}

CRecentTitleList::CRecentTitleList() : m_entries(MakeRef<Entries>()) {}

void CRecentTitleList::Load(const std::string& path) {
    m_path = path;
    auto bytes = ReadWholeFile(path);
    if (!bytes || bytes->size() < 4) return;
    FromFileBytes(bytes->data(), bytes->size());
}

void CRecentTitleList::FromFileBytes(const uint8_t* data, size_t size) {
    if (size < 4) return;
    const int32_t count = static_cast<int32_t>(LoadLE32(data));
    if (count < 0) return;
    // The stated size is never trusted beyond the bytes that are there.
    const size_t available = size - 4;
    const int32_t length =
        static_cast<int32_t>(std::min<size_t>(static_cast<size_t>(count), std::min<size_t>(available, INT32_MAX)));
    CMemoryIStream in(data + 4, length);
    Deserialize(in);
}

std::vector<uint8_t> CRecentTitleList::ToFileBytes() const {
    CMemoryOStream out(100, 100);
    WriteInt32(out, 0);
    Serialize(out);
    std::vector<uint8_t> bytes = out.ToVector();
    StoreLE32(bytes.data(), static_cast<uint32_t>(bytes.size() - 4));
    return bytes;
}

bool CRecentTitleList::Save() const {
    if (m_path.empty()) return false;
    std::vector<uint8_t> bytes = ToFileBytes();
    return WriteFileReplacing(m_path, bytes.data(), bytes.size());
}

void CRecentTitleList::DropOldest() {
    while (m_entries->GetCount() > 0 && m_entries->GetCount() > m_limit) m_entries->Remove(m_entries->GetHead());
}

void CRecentTitleList::AddTitle(std::string_view key) {
    const std::string text = FixedText<255>(key).str();
    for (auto* node = m_entries->GetHead(); node; node = node->GetNext())
        if (text == node->GetItem()->GetKey()) return;
    ResetLookup();
    m_entries->Insert(new CTitleEntry(text), 0);
    DropOldest();
    // Write failures are not the user's concern here; the list stays right
    // in memory and is written again with the next addition.
    Save();
}

void CRecentTitleList::RemoveTitle(std::string_view key) {
    for (auto* node = m_entries->GetHead(); node; node = node->GetNext()) {
        if (key == node->GetItem()->GetKey()) {
            // Indexes after the removed entry shift, so any remembered
            // position is stale, not only one on this entry.
            ResetLookup();
            m_entries->Remove(node);
            return;
        }
    }
}

void CRecentTitleList::SetLimit(int32_t limit) {
    m_limit = limit;
    ResetLookup();
    DropOldest();
}

const char* CRecentTitleList::GetTitle(int32_t index) const {
    if (index < 0 || index >= m_entries->GetCount()) return nullptr;
    Entries::Node* node = nullptr;
    if (m_lookupNode && index == m_lookupIndex) {
        node = m_lookupNode;
    } else if (m_lookupNode && index == m_lookupIndex + 1) {
        node = m_lookupNode->GetNext();
    } else if (m_lookupNode && index == m_lookupIndex - 1) {
        node = m_lookupNode->GetPrev();
    } else {
        node = m_entries->GetHead();
        for (int32_t i = 0; i < index && node; ++i) node = node->GetNext();
    }
    if (!node) return nullptr;
    m_lookupNode = node;
    m_lookupIndex = index;
    return node->GetItem()->GetKey();
}

void CRecentTitleList::Serialize(CMemoryOStream& out) const {
    WriteInt32(out, m_limit);
    m_entries->Serialize(out);
}

void CRecentTitleList::Deserialize(CMemoryIStream& in) {
    ResetLookup();
    m_limit = ReadInt32(in);
    m_entries->ReadItems(in, CTitleEntry());
}

CRecentTitleList* CRecentTitleList::Clone() const {
    auto* copy = new CRecentTitleList();
    copy->m_limit = m_limit;
    copy->m_entries = RefPtr<Entries>(m_entries->Clone());
    copy->m_path = m_path;
    return copy;
}

}  // namespace vantor
