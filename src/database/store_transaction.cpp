#include "database/store_transaction.h"

#include <algorithm>
#include <cstring>

#include "model/value_io.h"

namespace vantor {

namespace {

constexpr uint8_t kMagic[4] = {'V', 'S', 'T', 'J'};
// An undo region is never larger than one record or the key file; a journal
// claiming more is damaged.
constexpr uint64_t kMaxRegionBytes = 1ull << 31;

uint64_t Checksum(const uint8_t* data, size_t size) {
    uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 1099511628211ull;
    return hash;
}

void Put64(std::vector<uint8_t>& out, uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// Bounded reader over the journal bytes.
class Cursor {
public:
    explicit Cursor(const std::vector<uint8_t>& bytes, size_t end) : m_bytes(bytes), m_end(end) {}
    bool Get64(uint64_t& v) {
        if (m_end - m_pos < 8) return false;
        v = 0;
        for (int i = 0; i < 8; ++i) v |= static_cast<uint64_t>(m_bytes[m_pos + i]) << (8 * i);
        m_pos += 8;
        return true;
    }
    bool GetBytes(std::vector<uint8_t>& out, uint64_t n) {
        if (m_end - m_pos < n) return false;
        out.assign(m_bytes.begin() + static_cast<long>(m_pos), m_bytes.begin() + static_cast<long>(m_pos + n));
        m_pos += n;
        return true;
    }
    bool AtEnd() const { return m_pos == m_end; }

private:
    const std::vector<uint8_t>& m_bytes;
    size_t m_end;
    size_t m_pos = 4;
};

}  // namespace

StoreTransaction::StoreTransaction(IStoreFileSystem& fs, std::string journalPath,
                                   std::array<IStoreFile*, kFiles> files)
    : m_fs(fs), m_journalPath(std::move(journalPath)), m_files(files) {}

void StoreTransaction::Write(int file, int64_t offset, std::vector<uint8_t> bytes) {
    m_changes[static_cast<size_t>(file)].writes.push_back({offset, std::move(bytes)});
}

void StoreTransaction::SetLength(int file, int64_t length) { m_changes[static_cast<size_t>(file)].length = length; }

std::vector<uint8_t> StoreTransaction::EncodeJournal(const Undo& undo) {
    std::vector<uint8_t> out(kMagic, kMagic + 4);
    for (size_t f = 0; f < kFiles; ++f) {
        Put64(out, static_cast<uint64_t>(undo.lengths[f]));
        Put64(out, undo.regions[f].size());
        for (const Region& region : undo.regions[f]) {
            Put64(out, static_cast<uint64_t>(region.offset));
            Put64(out, region.bytes.size());
            out.insert(out.end(), region.bytes.begin(), region.bytes.end());
        }
    }
    Put64(out, Checksum(out.data(), out.size()));
    return out;
}

bool StoreTransaction::DecodeJournal(const std::vector<uint8_t>& bytes, Undo& undo) {
    if (bytes.size() < 12 || std::memcmp(bytes.data(), kMagic, 4) != 0) return false;
    const size_t body = bytes.size() - 8;
    uint64_t stored = 0;
    for (int i = 0; i < 8; ++i) stored |= static_cast<uint64_t>(bytes[body + i]) << (8 * i);
    if (stored != Checksum(bytes.data(), body)) return false;
    Cursor in(bytes, body);
    for (size_t f = 0; f < kFiles; ++f) {
        uint64_t length = 0, count = 0;
        if (!in.Get64(length) || !in.Get64(count) || static_cast<int64_t>(length) < 0) return false;
        undo.lengths[f] = static_cast<int64_t>(length);
        for (uint64_t i = 0; i < count; ++i) {
            uint64_t offset = 0, size = 0;
            Region region;
            if (!in.Get64(offset) || !in.Get64(size) || static_cast<int64_t>(offset) < 0 || size > kMaxRegionBytes ||
                !in.GetBytes(region.bytes, size))
                return false;
            region.offset = static_cast<int64_t>(offset);
            undo.regions[f].push_back(std::move(region));
        }
    }
    return in.AtEnd();
}

bool StoreTransaction::ApplyUndo(const Undo& undo, std::array<IStoreFile*, kFiles> files) {
    bool ok = true;
    for (size_t f = 0; f < kFiles; ++f) {
        // Later regions may overlap earlier ones; restoring in reverse order
        // leaves the oldest bytes.
        for (auto it = undo.regions[f].rbegin(); it != undo.regions[f].rend(); ++it)
            ok = files[f]->WriteAt(it->offset, it->bytes.data(), it->bytes.size()) && ok;
        ok = files[f]->Truncate(undo.lengths[f]) && ok;
        ok = files[f]->Sync() && ok;
    }
    return ok;
}

// Written in place rather than through a temporary and a rename: a journal
// cut short fails its checksum and is ignored, since the store files are only
// touched once the whole journal is on the disk. One flush instead of a
// flush, a rename and a directory entry per change.
bool StoreTransaction::WriteJournal(const std::vector<uint8_t>& bytes) {
    std::unique_ptr<IStoreFile> journal = m_fs.Open(m_journalPath);
    return journal && journal->Truncate(0) && journal->WriteAt(0, bytes.data(), bytes.size()) && journal->Sync();
}

StoreTransaction::Result StoreTransaction::Commit() {
    Undo undo;
    for (size_t f = 0; f < kFiles; ++f) {
        int64_t length = m_files[f]->Size();
        if (length < 0) return Result::RolledBack;
        undo.lengths[f] = length;
        for (const Region& write : m_changes[f].writes) {
            if (write.offset >= length) continue;
            Region old{write.offset, {}};
            old.bytes.resize(static_cast<size_t>(std::min<int64_t>(length - write.offset, write.bytes.size())));
            if (m_files[f]->ReadAt(old.offset, old.bytes.data(), old.bytes.size()) != old.bytes.size())
                return Result::RolledBack;
            undo.regions[f].push_back(std::move(old));
        }
        // Bytes a shorter length cuts off must come back too.
        const int64_t newLength = m_changes[f].length;
        if (newLength >= 0 && newLength < length) {
            Region cut{newLength, std::vector<uint8_t>(static_cast<size_t>(length - newLength))};
            if (m_files[f]->ReadAt(cut.offset, cut.bytes.data(), cut.bytes.size()) != cut.bytes.size())
                return Result::RolledBack;
            undo.regions[f].push_back(std::move(cut));
        }
    }
    if (!WriteJournal(EncodeJournal(undo))) {
        // A journal that is not complete on the disk must not be mistaken
        // for one by a later recovery; the files are still untouched.
        m_fs.Remove(m_journalPath);
        return Result::RolledBack;
    }

    bool ok = true;
    for (size_t f = 0; f < kFiles && ok; ++f) {
        for (const Region& write : m_changes[f].writes) {
            ok = m_files[f]->WriteAt(write.offset, write.bytes.data(), write.bytes.size());
            if (!ok) break;
        }
        if (ok && m_changes[f].length >= 0) ok = m_files[f]->Truncate(m_changes[f].length);
    }
    for (size_t f = 0; f < kFiles && ok; ++f) ok = m_files[f]->Sync();
    if (ok && m_fs.Remove(m_journalPath)) return Result::Committed;

    if (ApplyUndo(undo, m_files) && m_fs.Remove(m_journalPath)) return Result::RolledBack;
    return Result::Pending;
}

bool StoreTransaction::Recover(IStoreFileSystem& fs, const std::string& journalPath,
                               std::array<IStoreFile*, kFiles> files) {
    if (!fs.Exists(journalPath)) return true;
    auto bytes = fs.ReadWhole(journalPath);
    if (!bytes) return false;
    Undo undo;
    // A journal that does not decode was never completely written, and the
    // files are only touched after it is: there is nothing to undo.
    if (DecodeJournal(*bytes, undo) && !ApplyUndo(undo, files)) return false;
    return fs.Remove(journalPath);
}

bool StoreTransaction::IsPending(IStoreFileSystem& fs, const std::string& journalPath) {
    if (!fs.Exists(journalPath)) return false;
    auto bytes = fs.ReadWhole(journalPath);
    Undo undo;
    return !bytes || DecodeJournal(*bytes, undo);
}

}  // namespace vantor
