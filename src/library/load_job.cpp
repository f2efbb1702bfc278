#include "library/load_job.h"

#include <atomic>
#include <chrono>
#include <cstdint>

#include "database/song_profile.h"
#include "engine/mp3_conversion.h"
#include "engine/summary_builder.h"
#include "engine/wave_file.h"
#include "platform/file_copy.h"
#include "platform/file_io.h"

namespace vantor {

namespace {

constexpr uint32_t kFramesNeedingSummary = 200000;

bool IsMp3(const std::string& path) { return CWaveFile::SourceExtension(path) == "mp3"; }

}  // namespace

Result<LoadJob> LoadJob::Make(std::string archiveName, std::string sourcePath, std::string destinationPath) {
    if (sourcePath.empty() || destinationPath.empty())
        return Refusal{"A load job needs a source and a destination path.", "Load Music", MessageIcon::Error};
    if (archiveName.size() > kMaxText || sourcePath.size() > kMaxText || destinationPath.size() > kMaxText)
        return Refusal{"Local or archive path is too long (must be < 255 characters)", "Load Music",
                       MessageIcon::Error};
    return LoadJob{std::move(archiveName), std::move(sourcePath), std::move(destinationPath)};
}

double ProvideSummary(const LoadJob& job, const LoadSettings& settings) {
    const std::string destinationSummary = ReplaceExtension(job.destinationPath, ".sm");
    if (FileExists(destinationSummary)) return 0.0;
    const std::string sourceSummary = ReplaceExtension(job.sourcePath, ".sm");
    if (FileExists(sourceSummary)) {
        CopyFileAtomically(sourceSummary, destinationSummary, false);
        return 0.0;
    }
    if (!settings.generateSummaries) return 0.0;
    const auto started = std::chrono::steady_clock::now();
    CWaveFile wave(job.destinationPath, 100);
    if (!wave.GetFormat() || wave.GetLength() <= kFramesNeedingSummary) return 0.0;
    std::atomic<int32_t> percent{0};
    BuildSummary(destinationSummary, wave, percent);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

LoadJobOutcome CarryOutLoadJob(const LoadJob& job, const LoadSettings& settings, const std::atomic<bool>* cancel,
                               std::atomic<int>* percent) {
    LoadJobOutcome outcome;
    if (percent) *percent = 0;
    if (!FileExists(job.sourcePath)) {
        outcome.failure = job.archiveName.empty() ? job.sourcePath + " does not exist."
                                                  : job.sourcePath + " cannot be reached on archive " +
                                                        job.archiveName + ".";
        return outcome;
    }
    if (IsMp3(job.sourcePath)) {
        const auto decoded = [percent](int done) {
            if (percent) *percent = done;
        };
        if (!ConvertMp3ToWave(job.sourcePath, job.destinationPath, decoded)) {
            outcome.failure = job.sourcePath + ": the MP3 file could not be decoded.";
            return outcome;
        }
    } else if (job.sourcePath != job.destinationPath) {
        // Paths are compared exactly: on a case-sensitive file system two
        // spellings are two files.
        const auto copied = [percent](uint64_t done, uint64_t total) {
            if (percent && total > 0) *percent = static_cast<int>(done * 100 / total);
        };
        switch (CopyFileAtomically(job.sourcePath, job.destinationPath, true, cancel, copied)) {
        case CopyOutcome::Copied:
            break;
        case CopyOutcome::Cancelled:
            outcome.cancelled = true;
            outcome.failure = "The copy of " + job.sourcePath + " was cancelled.";
            return outcome;
        default:
            outcome.failure = "Could not copy " + job.sourcePath + " to " + job.destinationPath + ".";
            return outcome;
        }
    }
    outcome.carriedOut = true;
    outcome.summarySeconds = ProvideSummary(job, settings);
    return outcome;
}

}  // namespace vantor
