#include "views/mixdown_dialog.h"

#include "engine/set_format.h"
#include "engine/set_songs.h"
#include "platform/file_io.h"
#include "views/replace_question.h"

namespace vantor {

CMixdownDialog::CMixdownDialog(IUserInterface& ui, CEffectManagerImpl* effects, CMusicDatabase* database,
                               bool normalization)
    : m_ui(ui), m_effects(effects), m_database(database), m_normalization(normalization) {}

CMixdownDialog::~CMixdownDialog() { Close(); }

bool CMixdownDialog::Open(CMusicSet* set, const std::string& fileName, uint32_t startFrame, uint32_t endFrame,
                          uint32_t section, uint32_t sections) {
    if (Status format = CheckRenderFormat(*set); !format) {
        m_ui.ShowRefusal(format.Error());
        m_finished = true;
        return false;
    }
    m_start = startFrame;
    m_end = std::max(startFrame, endFrame);
    m_percent = 0;
    if (!PrepareFile(*set, fileName, section)) {
        m_finished = true;
        return false;
    }
    const uint64_t needed = static_cast<uint64_t>(set->GetBlockAlign()) * (m_end - m_start);
    if (Status space = CheckDiskSpace(fileName, needed, kCaption); !space) {
        m_ui.ShowRefusal(space.Error());
        m_finished = true;
        return false;
    }
    m_fileName = fileName;
    m_caption = fileName;
    if (sections > 0) m_caption.insert(0, "(" + std::to_string(section) + "/" + std::to_string(sections) + ") ");
    WaveFormat format;
    format.formatTag = WaveFormat::kTagPcm;
    format.channels = static_cast<uint16_t>(set->GetChannels());
    format.samplesPerSec = static_cast<uint32_t>(set->GetSampleRate());
    format.blockAlign = static_cast<uint16_t>(set->GetBlockAlign());
    format.bitsPerSample = static_cast<uint16_t>(set->GetBitsPerSample());
    format.avgBytesPerSec = format.blockAlign * format.samplesPerSec;
    m_stream = std::make_unique<CSetStream>(m_effects, m_database, set, false);
    m_stream->SetNormalizationEnabled(m_normalization);
    m_writer = std::make_unique<CStreamDiskWriter>(m_stream.get());
    if (!m_writer->Open(fileName, format)) {
        m_ui.MessageBox("Unable to initialize mixdown subsystem.", kCaption, MessageButtons::Ok, MessageIcon::Error);
        m_writer.reset();
        m_stream.reset();
        m_finished = true;
        return false;
    }
    m_ui.ShowProgress(m_caption, 0);
    return m_writer->Start(m_start, m_end, &m_window);
}

bool CMixdownDialog::PrepareFile(const CMusicSet& set, const std::string& fileName, uint32_t section) {
    if (m_database && SetReadsFile(set, *m_database, fileName)) {
        m_ui.MessageBox(fileName + " is a song of this set.\nA mixdown can not be written over the songs it reads.",
                        kCaption, MessageButtons::Ok, MessageIcon::Error);
        return false;
    }
    if (const std::string problem = FileWriteError(fileName); !problem.empty()) {
        m_ui.MessageBox("Unable to write " + fileName + ": " + problem + ".", kCaption, MessageButtons::Ok,
                        MessageIcon::Error);
        return false;
    }
    if (!ConfirmReplace(m_ui, fileName)) return false;
    // Songs that cannot be read are named once, before the first file.
    if (section <= 1 && m_database) {
        if (auto unreadable = FindUnreadableSongs(set, *m_database); !unreadable.empty())
            m_ui.MessageBox(DescribeUnreadableSongs(unreadable), kCaption, MessageButtons::Ok,
                            MessageIcon::Exclamation);
    }
    return true;
}

std::string CMixdownDialog::GetPercentText() const { return std::to_string(m_percent) + " %"; }

void CMixdownDialog::OnTimer() {
    if (!m_writer || m_end == m_start) return;
    double done = static_cast<double>(m_writer->GetCurrentFrame() - m_start) / static_cast<double>(m_end - m_start);
    m_percent = static_cast<int>(done * 100.0);
    m_ui.ShowProgress(m_caption, m_percent);
}

void CMixdownDialog::OnMessage(const PostedMessage& message) {
    if (message.message != CStreamDiskWriter::kDoneMessage) return;
    OnTimer();
    m_button = "Finished";
    m_finished = true;
}

void CMixdownDialog::OnCancel() {
    if (m_finished) {
        Close();
        return;
    }
    m_cancelled = true;
    if (m_writer) m_writer->Join(-1);
}

bool CMixdownDialog::Close() {
    bool written = true;
    if (m_writer) {
        m_writer->Join(-1);
        written = m_writer->Finish() || !m_writer->HasWriteFailed();
    }
    m_ui.EndProgress();
    if (!written)
        m_ui.MessageBox("Unable to write " + m_fileName + ": " + m_writer->GetWriteError() +
                            ".\nThe mixdown stopped and the unfinished file was removed.",
                        kCaption, MessageButtons::Ok, MessageIcon::Error);
    m_writer.reset();
    m_stream.reset();
    return written;
}

}  // namespace vantor
