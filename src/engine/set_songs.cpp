#include "engine/set_songs.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>

#include "database/music_database.h"
#include "engine/wave_file.h"

namespace vantor {

namespace {

// Each song's key with the furthest frame a segment reads from it.
std::vector<std::pair<std::string, int64_t>> SongsOfSet(const CMusicSet& set) {
    std::vector<std::pair<std::string, int64_t>> songs;
    std::map<std::string, size_t> index;
    const auto& tracks = set.GetTracks();
    std::lock_guard lock(tracks.Lock());
    for (int32_t t = 1; t < tracks.GetCount(); ++t) {
        const auto& events = tracks.GetAt(t)->GetEvents();
        std::lock_guard eventsLock(events.Lock());
        for (auto* n = events.GetHead(); n; n = n->GetNext()) {
            const CSegmentDesign* design = n->GetItem()->GetSegment();
            if (!design) continue;
            const CSegment& segment = *design->GetSegment();
            auto [it, added] = index.emplace(segment.GetSongKey(), songs.size());
            if (added) songs.emplace_back(segment.GetSongKey(), 0);
            songs[it->second].second = std::max<int64_t>(songs[it->second].second, segment.GetEnd());
        }
    }
    return songs;
}

}  // namespace

std::vector<UnreadableSong> FindUnreadableSongs(const CMusicSet& set, CMusicDatabase& database) {
    std::vector<UnreadableSong> unreadable;
    for (const auto& [key, end] : SongsOfSet(set)) {
        RefPtr<CSongProfile> song = database.GetSong(key);
        if (!song) {
            unreadable.push_back({key, "", "not in the music database"});
            continue;
        }
        CWaveFile wave(song->GetLocalPath(), 100);
        if (wave.GetOpenResult() != 0 || wave.GetSampleRate() == 0) {
            unreadable.push_back({key, song->GetTitle(), "the file is missing or unreadable"});
            continue;
        }
        const int64_t length = wave.GetLength();
        if (length < end) {
            char reason[96];
            std::snprintf(reason, sizeof reason, "cut short at %.1f s of the %.1f s the set plays",
                          static_cast<double>(length) / wave.GetSampleRate(),
                          static_cast<double>(end) / wave.GetSampleRate());
            unreadable.push_back({key, song->GetTitle(), reason});
        }
    }
    return unreadable;
}

bool SetReadsFile(const CMusicSet& set, CMusicDatabase& database, const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path target = fs::weakly_canonical(path, error);
    for (const auto& entry : SongsOfSet(set)) {
        RefPtr<CSongProfile> song = database.GetSong(entry.first);
        const std::string songPath = song ? song->GetLocalPath() : entry.first;
        if (fs::equivalent(songPath, path, error)) return true;
        if (!target.empty() && fs::weakly_canonical(songPath, error) == target) return true;
    }
    return false;
}

std::string DescribeUnreadableSongs(const std::vector<UnreadableSong>& songs) {
    std::string text = "These songs cannot be read and play as silence:";
    for (const auto& song : songs)
        text += "\n" + (song.title.empty() ? song.key : song.title + " (" + song.key + ")") + ": " + song.reason;
    return text;
}

}  // namespace vantor
