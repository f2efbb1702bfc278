#include "config/configuration.h"

#include <unistd.h>

#include <bit>
#include <cstring>
#include <limits>

#include "model/memory_istream.h"
#include "model/memory_ostream.h"
#include "model/value_io.h"
#include "platform/file_io.h"

namespace vantor {

namespace {

// Copies the fields of a configuration body in order; each field takes as
// many of its bytes as are left, so a short file overwrites only the leading
// bytes of the field it ends in.
class FieldReader {
public:
    FieldReader(const uint8_t* data, size_t size) : m_data(data), m_left(size) {}

    void Bytes(void* field, size_t size) {
        size_t n = std::min(size, m_left);
        if (n > 0) std::memcpy(field, m_data, n);
        m_data += n;
        m_left -= n;
    }
    template <class T>
    void Value(T& field) {
        // Little-endian bytes of the current value, partly overwritten.
        uint8_t bytes[sizeof(T)];
        auto bits = std::bit_cast<std::array<uint8_t, sizeof(T)>>(field);
        std::memcpy(bytes, bits.data(), sizeof(T));
        Bytes(bytes, sizeof(T));
        std::array<uint8_t, sizeof(T)> out;
        std::memcpy(out.data(), bytes, sizeof(T));
        field = std::bit_cast<T>(out);
    }
    void Flag(bool& field) {
        uint8_t byte = field ? 1 : 0;
        Bytes(&byte, 1);
        field = byte != 0;
    }
    template <int32_t N>
    void Text(FixedText<N>& field) {
        char buffer[N];
        std::memcpy(buffer, field.c_str(), N);
        Bytes(buffer, N);
        buffer[N - 1] = '\0';
        field.Set(buffer);
    }
    const uint8_t* Position() const { return m_data; }
    size_t Left() const { return m_left; }
    void Skip(size_t n) {
        n = std::min(n, m_left);
        m_data += n;
        m_left -= n;
    }

private:
    const uint8_t* m_data;
    size_t m_left;
};

static_assert(std::endian::native == std::endian::little, "configuration fields are copied as little-endian bytes");

void WriteFlag(CMemoryOStream& out, bool value) { WriteByte(out, value ? 1 : 0); }

template <int32_t N>
void WriteRawText(CMemoryOStream& out, const FixedText<N>& text) {
    char buffer[N] = {};
    std::memcpy(buffer, text.c_str(), strnlen(text.c_str(), N - 1));
    out.Write(buffer, N);
}

std::string WorkingDirectory() {
    std::vector<char> buffer(4096);
    if (::getcwd(buffer.data(), buffer.size()) == nullptr) return "./";
    return buffer.data();
}

}  // namespace

CConfiguration::CConfiguration() { SetDefaults(); }

void CConfiguration::SetDefaults() {
    m_auditionDevice.fill(0);
    m_setDevice.fill(0);
    m_samplesPerSecond = 44100;
    m_channels = 2;
    m_bitsPerSample = 16;
    m_numberOfTracks = 8;
    m_defaultTempo = 130.0;
    m_displayValue = 30.0;
    m_reserved = 3999999999u;
    m_waveDirectory.Set(".");
    m_fillFromFileName = true;
    m_startThreshold = 0.2;
    m_roundTempo = true;
    m_reservedFlag1 = true;
    m_effectsDirectory.Set(".");
    m_referencePoint = 0.66;
    m_normalization = true;
    m_maxLatestTitles = 60;
    m_deleteSummaries = false;
    m_reservedFlag2 = true;
    m_useSoundServer = false;
    m_hidePrivate = false;
    m_genres = MakeRef<GenrePresets>(5, 5);
    AddDefaultGenres(*m_genres);
    for (auto& name : m_presetNames) name.Clear();
    m_midiDevice = 0;
    m_generateSummaries = true;
    m_decodeMp3 = false;
    m_tempoDetector = kRobustTempoDetector;
    m_lowestTempo = 88.0;
    m_highestTempo = 175.0;
    SetProgramDirectory(WorkingDirectory());
}

void CConfiguration::SetProgramDirectory(const std::string& directory) {
    m_programDirectory = directory.empty() ? "./" : directory;
    if (m_programDirectory.back() != '/') m_programDirectory += '/';
}

CConfiguration::FileState CConfiguration::Load(const std::string& path) {
    auto bytes = ReadWholeFile(path);
    if (!bytes) return FileState::Missing;
    if (LoadFromBytes(bytes->data(), bytes->size())) return FileState::Loaded;
    m_damagedPath = path;
    m_damagedBytes = std::move(*bytes);
    return FileState::Damaged;
}

bool CConfiguration::LoadFromBytes(const uint8_t* data, size_t size) {
    if (size < 4) return false;
    int32_t count = static_cast<int32_t>(LoadLE32(data));
    // A body shorter than its count is a short read: the file is ignored.
    if (count < 0 || static_cast<size_t>(count) > size - 4) return false;
    FieldReader r(data + 4, static_cast<size_t>(count));
    r.Bytes(m_auditionDevice.data(), 16);
    r.Bytes(m_setDevice.data(), 16);
    r.Value(m_samplesPerSecond);
    r.Value(m_channels);
    r.Value(m_bitsPerSample);
    r.Value(m_numberOfTracks);
    r.Value(m_defaultTempo);
    r.Value(m_displayValue);
    r.Value(m_reserved);
    r.Text(m_waveDirectory);
    r.Flag(m_fillFromFileName);
    r.Value(m_startThreshold);
    r.Flag(m_roundTempo);
    r.Flag(m_reservedFlag1);
    r.Text(m_effectsDirectory);
    r.Value(m_referencePoint);
    r.Flag(m_normalization);
    r.Value(m_maxLatestTitles);
    r.Flag(m_deleteSummaries);
    r.Flag(m_reservedFlag2);
    r.Flag(m_useSoundServer);
    r.Flag(m_hidePrivate);
    if (r.Left() > 0) {
        size_t left = std::min(r.Left(), static_cast<size_t>(std::numeric_limits<int32_t>::max()));
        CMemoryIStream in(r.Position(), static_cast<int32_t>(left));
        m_genres->ReadItems(in, CGenrePreset());
        r.Skip(static_cast<size_t>(in.GetPosition()));
    }
    if (m_genres->GetCount() == 0) AddDefaultGenres(*m_genres);
    for (auto& name : m_presetNames) {
        if (r.Left() > 0) name.Clear();
        r.Text(name);
    }
    r.Value(m_midiDevice);
    r.Flag(m_generateSummaries);
    r.Flag(m_decodeMp3);
    r.Value(m_tempoDetector);
    r.Value(m_lowestTempo);
    r.Value(m_highestTempo);
    return true;
}

std::vector<uint8_t> CConfiguration::SaveToBytes() const {
    CMemoryOStream out(1024, 1024);
    WriteInt32(out, 0);  // the byte count, filled in below
    out.Write(m_auditionDevice.data(), 16);
    out.Write(m_setDevice.data(), 16);
    WriteInt32(out, m_samplesPerSecond);
    WriteInt32(out, m_channels);
    WriteInt32(out, m_bitsPerSample);
    WriteInt32(out, m_numberOfTracks);
    WriteDouble(out, m_defaultTempo);
    WriteDouble(out, m_displayValue);
    WriteInt32(out, static_cast<int32_t>(m_reserved));
    WriteRawText(out, m_waveDirectory);
    WriteFlag(out, m_fillFromFileName);
    WriteDouble(out, m_startThreshold);
    WriteFlag(out, m_roundTempo);
    WriteFlag(out, m_reservedFlag1);
    WriteRawText(out, m_effectsDirectory);
    WriteDouble(out, m_referencePoint);
    WriteFlag(out, m_normalization);
    WriteInt32(out, m_maxLatestTitles);
    WriteFlag(out, m_deleteSummaries);
    WriteFlag(out, m_reservedFlag2);
    WriteFlag(out, m_useSoundServer);
    WriteFlag(out, m_hidePrivate);
    m_genres->Serialize(out);
    for (const auto& name : m_presetNames) WriteRawText(out, name);
    WriteInt32(out, m_midiDevice);
    WriteFlag(out, m_generateSummaries);
    WriteFlag(out, m_decodeMp3);
    WriteInt32(out, m_tempoDetector);
    WriteDouble(out, m_lowestTempo);
    WriteDouble(out, m_highestTempo);
    std::vector<uint8_t> bytes = out.ToVector();
    StoreLE32(bytes.data(), static_cast<uint32_t>(bytes.size() - 4));
    return bytes;
}

bool CConfiguration::Save(const std::string& path) const {
    if (!m_damagedPath.empty() && m_damagedPath == path) {
        const std::string kept = path + ".damaged";
        if (!WriteFileReplacing(kept, m_damagedBytes.data(), m_damagedBytes.size())) return false;
        m_damagedPath.clear();
        m_damagedBytes.clear();
    }
    std::vector<uint8_t> bytes = SaveToBytes();
    return WriteFileReplacing(path, bytes.data(), bytes.size());
}

std::optional<DeviceId> CConfiguration::GetAuditionOutputDevice() const {
    if (IsDefaultDevice(m_auditionDevice)) return std::nullopt;
    return m_auditionDevice;
}

std::optional<DeviceId> CConfiguration::GetSetOutputDevice() const {
    if (IsDefaultDevice(m_setDevice)) return std::nullopt;
    return m_setDevice;
}

const char* CConfiguration::GetEffectPresetName(int index) const {
    if (index < 0 || index >= kEffectPresetNames) return "";
    return m_presetNames[static_cast<size_t>(index)].c_str();
}

void CConfiguration::SetEffectPresetName(int index, const std::string& name) {
    if (index < 0 || index >= kEffectPresetNames) return;
    m_presetNames[static_cast<size_t>(index)].Set(name);
}

}  // namespace vantor
