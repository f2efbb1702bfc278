#include "engine/stream_disk_writer.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/file_io.h"

namespace vantor {

CStreamDiskWriter::CStreamDiskWriter(IDataStream* source) : m_source(source) {}

CStreamDiskWriter::~CStreamDiskWriter() {
    Join(-1);
    Finish();
}

bool CStreamDiskWriter::Open(const std::string& fileName, const WaveFormat& format) {
    std::lock_guard lock(m_lock);
    if (IsRunning()) return false;
    if (m_open) m_writer.Finish(m_endFrame - m_startFrame);
    m_fileName = fileName;
    m_format = format;
    m_failed = false;
    m_open = m_writer.Open(fileName, format);
    return m_open;
}

bool CStreamDiskWriter::Start(uint32_t startFrame, uint32_t endFrame, MessageQueue* window) {
    {
        std::lock_guard lock(m_lock);
        if (IsRunning() || !m_open) return false;
        m_startFrame = startFrame;
        m_endFrame = std::max(startFrame, endFrame);
        m_window = window;
        m_currentFrame.store(startFrame);
        m_done.Reset();
        m_source->SetPosition(startFrame, true);
        // No device sets the pace: the writer's thread renders as it reads.
        m_source->StartPulled();
        if (!CThread::Start()) return false;
    }
    if (!window) {
        m_done.Wait();
        m_done.Reset();
    }
    return true;
}

int32_t CStreamDiskWriter::Run() {
    const uint32_t blockAlign = m_format.blockAlign ? m_format.blockAlign : 4;
    std::vector<uint8_t> pass(kPassBytes);
    uint32_t current = m_currentFrame.load();
    while (!IsStopRequested() && current < m_endFrame) {
        uint64_t want = std::min<uint64_t>(static_cast<uint64_t>(m_endFrame - current) * blockAlign, kPassBytes);
        want -= want % blockAlign;
        uint32_t got = m_source->Read(pass.data(), static_cast<uint32_t>(want));
        if (!m_writer.Write(pass.data(), got)) {
            m_failed = true;
            break;
        }
        current += got / blockAlign;
        m_currentFrame.store(current, std::memory_order_relaxed);
        if (got < want) break;  // the stream ended
    }
    m_source->StopStream();
    if (m_window) {
        m_window->Post(kDoneMessage, 0, 0);
    } else {
        m_done.Set();
    }
    return 0;
}

bool CStreamDiskWriter::Finish() {
    std::lock_guard lock(m_lock);
    if (!m_open) return false;
    m_open = false;
    const uint32_t blockAlign = m_format.blockAlign ? m_format.blockAlign : 4;
    const bool finished = m_writer.Finish(static_cast<uint32_t>(m_writer.GetDataBytes() / blockAlign));
    if (finished && !m_failed) return true;
    m_failed = true;
    RemoveRegularFile(m_fileName);
    return false;
}

Status CheckDiskSpace(const std::string& path, uint64_t neededBytes, const std::string& caption) {
    auto freeBytes = FreeDiskBytes(DirectoryOf(path));
    if (!freeBytes) return Refusal{"", caption, MessageIcon::Error};
    if (*freeBytes > neededBytes) return Status::Success();
    char text[128];
    std::snprintf(text, sizeof text, "Insufficient disk space. At least %llu bytes need to be free.",
                  static_cast<unsigned long long>(neededBytes));
    return Refusal{text, caption, MessageIcon::Error};
}

std::string BatchFileName(const std::string& chosen, uint32_t section) {
    const size_t dot = ExtensionStart(chosen);
    return chosen.substr(0, dot) + std::to_string(section) + chosen.substr(dot);
}

}  // namespace vantor
