#include "library/song_loading.h"

#include <cstdio>

#include "database/song_profile.h"
#include "engine/resampled_wave_file.h"
#include "platform/file_io.h"

namespace vantor {

bool SongAudioOpens(const CSongProfile& song) {
    if (!FileExists(song.GetLocalPath())) return false;
    const auto source = OpenSongSource(song);
    return source && source->GetFormat() != nullptr;
}

Result<LoadJob> PlanLoadMusic(const CSongProfile& song) {
    if (SongAudioOpens(song)) return Refusal{"Already loaded to the local path.", "Load Music", MessageIcon::Information};
    if (*song.GetArchivePath() == '\0')
        return Refusal{"No archive path specified for this item.", "Load Music", MessageIcon::Error};
    return LoadJob::Make(song.GetArchiveName(), song.GetArchivePath(), song.GetLocalPath());
}

Status UnloadMusic(const CSongProfile& song, bool deleteSummary) {
    constexpr const char* kCaption = "Unload Music";
    if (!SongAudioOpens(song)) return Refusal{"File has not be loaded to local path.", kCaption, MessageIcon::Error};
    if (*song.GetArchivePath() == '\0')
        return Refusal{"No archive path is defined for this item.\nUnloading this file would permanently remove it.",
                       kCaption, MessageIcon::Error};
    const bool removed = std::remove(song.GetLocalPath()) == 0;
    if (deleteSummary) std::remove(song.GetSummaryPath().c_str());
    if (!removed) return Refusal{"Unable to remove file from local path.", kCaption, MessageIcon::Error};
    return Status::Success();
}

Result<LoadJob> PlanDecompressMp3(const std::string& mp3Path) {
    return LoadJob::Make("", mp3Path, ReplaceExtension(mp3Path, ".wav"));
}

}  // namespace vantor
