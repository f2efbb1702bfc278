#include "control/midi_input.h"

namespace vantor {

namespace {

constexpr uint8_t kControlChange = 0xB0;

}  // namespace

CMIDIInput::~CMIDIInput() {
    // The port first, so that no message arrives while the cells go.
    CloseDevice();
    std::lock_guard lock(m_cellLock);
    for (auto& cell : m_cells) cell.reset();
}

void CMIDIInput::Bind(int32_t channel, int32_t controller, const std::string& description,
                      IMIDIControlOwner* owner, uint32_t key) {
    if (!IsCell(channel, controller) || !owner) return;
    CMIDIControlRec record;
    record.description.Set(description);
    record.owner = owner;
    record.key = key;
    std::lock_guard lock(m_cellLock);
    Cell& cell = m_cells[Index(channel, controller)];
    if (!cell) cell = std::make_unique<std::vector<CMIDIControlRec>>();
    cell->push_back(record);
}

void CMIDIInput::Unbind(int32_t channel, int32_t controller, IMIDIControlOwner* owner, uint32_t key) {
    if (!IsCell(channel, controller)) return;
    std::lock_guard lock(m_cellLock);
    Cell& cell = m_cells[Index(channel, controller)];
    if (!cell) return;
    for (auto it = cell->begin(); it != cell->end(); ++it) {
        if (it->owner == owner && it->key == key) {
            cell->erase(it);
            break;
        }
    }
    if (cell->empty()) cell.reset();
}

void CMIDIInput::ForgetOwner(IMIDIControlOwner* owner) {
    {
        std::lock_guard lock(m_cellLock);
        for (Cell& cell : m_cells) {
            if (!cell) continue;
            std::erase_if(*cell, [owner](const CMIDIControlRec& r) { return r.owner == owner; });
            if (cell->empty()) cell.reset();
        }
    }
    // A dispatch that copied the owner's records before they went ends here.
    std::lock_guard wait(m_dispatchLock);
}

std::vector<CMIDIControlRec> CMIDIInput::GetRecords(int32_t channel, int32_t controller) const {
    if (!IsCell(channel, controller)) return {};
    std::lock_guard lock(m_cellLock);
    const Cell& cell = m_cells[Index(channel, controller)];
    return cell ? *cell : std::vector<CMIDIControlRec>{};
}

int32_t CMIDIInput::GetCellCount() const {
    std::lock_guard lock(m_cellLock);
    int32_t count = 0;
    for (const Cell& cell : m_cells) count += cell ? 1 : 0;
    return count;
}

void CMIDIInput::Dispatch(int32_t channel, int32_t controller, int32_t value) {
    if (!IsCell(channel, controller)) return;
    {
        std::lock_guard lock(m_learnLock);
        m_lastMoved = {channel, controller, value};
        ++m_moves;
    }
    m_learnChanged.notify_all();

    std::lock_guard dispatching(m_dispatchLock);
    std::vector<CMIDIControlRec> records = GetRecords(channel, controller);
    for (const CMIDIControlRec& record : records) record.owner->OnControlValue(value, record.key);
}

void CMIDIInput::HandleMessage(const uint8_t* bytes, size_t size) {
    if (!bytes || size < 3 || (bytes[0] & 0xF0) != kControlChange) return;
    Dispatch(bytes[0] & 0x0F, bytes[1] & 0x7F, bytes[2] & 0x7F);
}

std::optional<MIDIController> CMIDIInput::WaitForController(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_learnLock);
    const uint64_t seen = m_moves;
    if (!m_learnChanged.wait_for(lock, timeout, [&] { return m_moves != seen; })) return std::nullopt;
    return m_lastMoved;
}

Status CMIDIInput::OpenDevice(int32_t device) {
    std::lock_guard lock(m_portLock);
    m_port.Close();
    if (device <= 0) return Status::Success();
    return m_port.Open(static_cast<uint32_t>(device - 1),
                       [this](const uint8_t* bytes, size_t size) { HandleMessage(bytes, size); });
}

void CMIDIInput::CloseDevice() {
    std::lock_guard lock(m_portLock);
    m_port.Close();
}

bool CMIDIInput::IsDeviceOpen() const {
    std::lock_guard lock(m_portLock);
    return m_port.IsOpen();
}

}  // namespace vantor
