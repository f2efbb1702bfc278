#pragma once

#include <functional>

#include "library/batch_add.h"

namespace vantor {

class CMusicDatabase;
class CRecentTitleList;
class IUserInterface;

// The "Add Batch of Music" dialog: the location type (Local or Archive),
// the archive name or "Volume Label", the "Local Wave Dir:" and the
// file-name option; "Start" asks for the files ("Add Files") and adds them.
class CAddBatchDialog {
public:
    static constexpr const char* kTitle = "Add Batch of Music";
    static constexpr const char* kFilter = "mp3 audio (*.mp3)|*.mp3|wave audio (*.wav)|*.wav|all files (*.*)|*.*||";

    // queueLoad hands a job to the music loader window; labelOf names the
    // medium holding a path (the platform's volume label by default).
    CAddBatchDialog(IUserInterface& ui, CMusicDatabase& database, CRecentTitleList* recent,
                    std::function<void(LoadJob)> queueLoad, CBatchAdd::LabelOf labelOf = {});

    BatchAddSettings& Settings() { return m_settings; }

    // Nothing happens when the user chooses no file. Every refused file is
    // shown with its reason.
    BatchAddOutcome Start();
    // The same run for files chosen elsewhere (the command line); a file
    // that does not exist is refused, as the open dialog would not offer it.
    BatchAddOutcome AddFiles(const std::vector<std::string>& files);
    // Takes back the songs of local files whose load jobs failed.
    std::vector<std::string> Withdraw(const std::vector<LoadJob>& failedJobs) { return m_batch.Withdraw(failedJobs); }

private:
    BatchAddOutcome Report(BatchAddOutcome outcome);

    IUserInterface& m_ui;
    CBatchAdd m_batch;
    BatchAddSettings m_settings;
};

}  // namespace vantor
