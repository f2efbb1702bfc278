#include "engine/stream_disk_writer.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <vector>

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
        // A failed write is not fatal to the render: what was written stays
        // a valid file once it is finished.
        m_writer.Write(pass.data(), got);
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
    return m_writer.Finish(m_endFrame - m_startFrame);
}

bool CheckDiskSpace(const std::string& path, uint64_t neededBytes, IUserInterface* ui, const char* caption) {
    std::string directory = path;
    auto slash = directory.find_last_of('/');
    directory = slash == std::string::npos ? "." : (slash == 0 ? "/" : directory.substr(0, slash));
    struct statvfs info {};
    if (::statvfs(directory.c_str(), &info) != 0) return false;
    uint64_t freeBytes = static_cast<uint64_t>(info.f_bfree) * info.f_frsize;
    if (freeBytes > neededBytes) return true;
    if (ui && caption) {
        char text[128];
        std::snprintf(text, sizeof text, "Insufficient disk space. At least %llu bytes need to be free.",
                      static_cast<unsigned long long>(neededBytes));
        ui->MessageBox(text, caption, MessageButtons::Ok, MessageIcon::Error);
    }
    return false;
}

std::string BatchFileName(const std::string& chosen, uint32_t section) {
    auto slash = chosen.find_last_of('/');
    auto dot = chosen.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = chosen.size();
    return chosen.substr(0, dot) + std::to_string(section) + chosen.substr(dot);
}

}  // namespace vantor
