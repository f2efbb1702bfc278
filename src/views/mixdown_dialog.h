#pragma once

#include <memory>
#include <string>

#include "engine/set_stream.h"
#include "engine/stream_disk_writer.h"
#include "platform/message_queue.h"
#include "platform/user_interface.h"

namespace vantor {

// The mixdown dialog as a controller: renders a range of a set into a wave
// file with a writer thread, shows the percentage on each timer tick and
// turns its button into "Finished" at the end. The owner runs the loop:
// messages of Window() go to OnMessage, the 500 ms timer to OnTimer.
class CMixdownDialog {
public:
    static constexpr int kTimerMilliseconds = 500;
    static constexpr const char* kCaption = "Mixdown";

    // normalization: the configuration's switch for the segments' gains.
    CMixdownDialog(IUserInterface& ui, CEffectManagerImpl* effects, CMusicDatabase* database, bool normalization);
    ~CMixdownDialog();

    // Section number and count are 0 outside a batch. False (the dialog is
    // then finished) when the set's format cannot be rendered, the file is
    // one of the set's songs, cannot be written, is not to be replaced, the
    // disk has no room for the range, or the writer could not start. Songs
    // that cannot be read are named before the first file; they play as
    // silence.
    bool Open(CMusicSet* set, const std::string& fileName, uint32_t startFrame, uint32_t endFrame,
              uint32_t section = 0, uint32_t sections = 0);
    // "(%u/%u) %s" during a batch, else the file name.
    const std::string& GetCaption() const { return m_caption; }
    int GetPercent() const { return m_percent; }
    // "%u %"
    std::string GetPercentText() const;
    const std::string& GetButtonText() const { return m_button; }
    bool IsFinished() const { return m_finished; }
    bool IsCancelled() const { return m_cancelled; }
    MessageQueue& Window() { return m_window; }
    uint32_t GetCurrentFrame() const { return m_writer ? m_writer->GetCurrentFrame() : m_start; }

    void OnTimer();
    void OnMessage(const PostedMessage& message);
    // Stops a running writer (the batch ends); after the end it closes.
    void OnCancel();
    // Finishes the file and releases the stream. False, after telling the
    // user, when a write failed (a full disk): the unfinished file is gone.
    bool Close();

private:
    bool PrepareFile(const CMusicSet& set, const std::string& fileName, uint32_t section);

    IUserInterface& m_ui;
    CEffectManagerImpl* m_effects;
    CMusicDatabase* m_database;
    bool m_normalization;
    MessageQueue m_window;
    std::unique_ptr<CSetStream> m_stream;
    std::unique_ptr<CStreamDiskWriter> m_writer;
    std::string m_caption;
    std::string m_fileName;
    std::string m_button = "Cancel";
    uint32_t m_start = 0;
    uint32_t m_end = 0;
    int m_percent = 0;
    bool m_finished = false;
    bool m_cancelled = false;
};

}  // namespace vantor
