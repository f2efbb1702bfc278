#include "library/set_music_load.h"

#include <algorithm>
#include <chrono>
#include <set>
#include <strings.h>

#include "database/music_database.h"
#include "engine/mp3_conversion.h"
#include "engine/wave_file.h"
#include "model/music_set.h"
#include "platform/file_io.h"
#include "platform/file_copy.h"

namespace vantor {

namespace {

constexpr const char* kCaption = "Load Set Music";

bool SameArchive(const std::string& a, const std::string& b) { return ::strcasecmp(a.c_str(), b.c_str()) == 0; }

}  // namespace

CSetMusicLoad::CSetMusicLoad(CMusicDatabase& database, QuestionChannel& questions, ProgressListener progress)
    : m_database(database), m_questions(questions), m_progress(std::move(progress)) {}

double CSetMusicLoad::EstimateRemaining(uint32_t total, uint32_t done, double secondsSpentOnDone,
                                        double secondsIntoCurrent) {
    if (done == 0 || done >= total) return 0.0;
    const double average = secondsSpentOnDone / done;
    return std::max(0.0, (total - done) * average - secondsIntoCurrent);
}

bool CSetMusicLoad::CopyOne(const std::string& key, const std::atomic<bool>* cancel) {
    RefPtr<CSongProfile> song = m_database.GetSong(key);
    if (!song || *song->GetArchivePath() == '\0') return false;
    const std::string archivePath = song->GetArchivePath();
    if (CWaveFile::SourceExtension(archivePath) == "mp3") return ConvertMp3ToWave(archivePath, key);
    return CopyFileAtomically(archivePath, key, true, cancel) == CopyOutcome::Copied;
}

std::vector<SetMusicPair> CSetMusicLoad::MissingSongs(const CMusicSet& set, CMusicDatabase& database,
                                                      std::vector<std::string>* unloadable) {
    std::vector<std::string> keys;
    {
        const auto& tracks = set.GetTracks();
        std::lock_guard tracksLock(tracks.Lock());
        // Track 0 is the tempo track.
        for (int32_t t = 1; t < tracks.GetCount(); ++t) {
            const auto& events = tracks.GetAt(t)->GetEvents();
            std::lock_guard eventsLock(events.Lock());
            for (auto* node = events.GetHead(); node; node = node->GetNext()) {
                const CSegmentDesign* design = node->GetItem()->GetSegment();
                if (design && design->GetSegment()) keys.emplace_back(design->GetSegment()->GetSongKey());
            }
        }
    }
    std::vector<SetMusicPair> pairs;
    std::set<std::string> seen;
    for (const std::string& key : keys) {
        if (!seen.insert(key).second || FileExists(key)) continue;
        RefPtr<CSongProfile> song = database.GetSong(key);
        if (!song || *song->GetArchivePath() == '\0') {
            if (unloadable) unloadable->push_back(key);
            continue;
        }
        pairs.push_back({song->GetArchiveName(), key});
    }
    return pairs;
}

SetMusicProgress CSetMusicLoad::Run(std::vector<SetMusicPair> pairs, const std::atomic<bool>* cancel) {
    std::stable_sort(pairs.begin(), pairs.end(), [](const SetMusicPair& a, const SetMusicPair& b) {
        return ::strcasecmp(a.archiveName.c_str(), b.archiveName.c_str()) < 0;
    });
    using Clock = std::chrono::steady_clock;
    const auto started = Clock::now();
    SetMusicProgress progress;
    progress.total = static_cast<uint32_t>(pairs.size());
    progress.remaining = progress.total;
    double spentOnDone = 0.0;
    auto tell = [&](Clock::time_point currentStart) {
        const auto now = Clock::now();
        progress.elapsedSeconds = std::chrono::duration<double>(now - started).count();
        progress.remainingSeconds =
            EstimateRemaining(progress.total, progress.copied + progress.failed, spentOnDone,
                              std::chrono::duration<double>(now - currentStart).count());
        if (m_progress) m_progress(progress);
    };
    std::string skipped;
    bool skipping = false;
    for (const SetMusicPair& pair : pairs) {
        if (cancel && cancel->load()) break;
        if (skipping && SameArchive(pair.archiveName, skipped)) continue;
        skipping = false;
        const bool ready =
            m_questions.Ask({"Files will be copied from archive: " + pair.archiveName + ". Ready?", kCaption,
                             MessageButtons::OkCancel});
        if (!ready) {
            if (cancel && cancel->load()) break;
            if (!m_questions.Ask({"Skipping to next archive. Do you wish to continue?", kCaption,
                                  MessageButtons::YesNo}))
                break;
            skipping = true;
            skipped = pair.archiveName;
            continue;
        }
        const auto copyStart = Clock::now();
        tell(copyStart);
        const bool copied = CopyOne(pair.songKey, cancel);
        spentOnDone += std::chrono::duration<double>(Clock::now() - copyStart).count();
        (copied ? progress.copied : progress.failed)++;
        progress.remaining--;
        tell(Clock::now());
    }
    progress.finished = true;
    progress.remainingSeconds = 0.0;
    progress.elapsedSeconds = std::chrono::duration<double>(Clock::now() - started).count();
    if (m_progress) m_progress(progress);
    return progress;
}

}  // namespace vantor
