#include "database/profile_fields.h"

#include <cmath>
#include <cstdlib>
#include <mutex>

#include "config/genre_preset.h"
#include "database/music_database.h"

namespace vantor {

namespace {

constexpr const char* kCaption = "Edit Profile";
constexpr int32_t kKindBits[] = {CSongProfile::kTypeSong, CSongProfile::kTypeSample, CSongProfile::kTypeBeats,
                                 CSongProfile::kTypeAcapella};

Refusal Refuse(std::string text) { return {std::move(text), kCaption, MessageIcon::Error}; }

Status CheckLength(const std::string& value, size_t maximum, const char* what) {
    if (value.size() <= maximum) return Status::Success();
    return Refuse(std::string(what) + " holds at most " + std::to_string(maximum) + " characters.");
}

}  // namespace

const char* ProfileKindName(int32_t type) {
    for (size_t i = 1; i < std::size(kKindBits); ++i)
        if (type & kKindBits[i]) return kProfileKindNames[i];
    return kProfileKindNames[0];
}

std::string GenreName(const GenrePresets& genres, int32_t id) {
    std::lock_guard lock(genres.Lock());
    for (int32_t i = 0; i < genres.GetCount(); ++i)
        if (genres.GetAt(i)->GetId() == id) return genres.GetAt(i)->GetName();
    return std::to_string(id);
}

std::optional<int32_t> GenreIdFromText(const GenrePresets& genres, const std::string& text) {
    {
        std::lock_guard lock(genres.Lock());
        for (int32_t i = 0; i < genres.GetCount(); ++i)
            if (text == genres.GetAt(i)->GetName()) return genres.GetAt(i)->GetId();
    }
    char* end = nullptr;
    const long number = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || number < 0 || number > 255) return std::nullopt;
    return static_cast<int32_t>(number);
}

Status SetProfileField(CSongProfile& profile, const std::string& field, const std::string& value,
                       const GenrePresets& genres) {
    if (field == "title") {
        if (value.empty()) return Refuse("Song title must be given");
        if (Status s = CheckLength(value, 90, "The title"); !s) return s;
        profile.SetTitle(value);
    } else if (field == "artist" || field == "album") {
        if (Status s = CheckLength(value, 95, field == "artist" ? "The artist" : "The album"); !s) return s;
        field == "artist" ? profile.SetArtist(value) : profile.SetAlbum(value);
    } else if (field == "mixer") {
        if (Status s = CheckLength(value, 90, "The mixer"); !s) return s;
        profile.SetMixer(value);
    } else if (field == "tempo") {
        char* end = nullptr;
        const double tempo = std::strtod(value.c_str(), &end);
        if (value.empty() || *end != '\0' || !(tempo > 0) || tempo > 1000)
            return Refuse("The tempo is a number of beats per minute above 0 and at most 1000.");
        profile.SetTempo(tempo);
    } else if (field == "type") {
        int32_t kinds = 0;
        int32_t kind = -1;
        for (size_t i = 0; i < std::size(kKindBits); ++i) {
            kinds |= kKindBits[i];
            if (value == kProfileKindNames[i]) kind = kKindBits[i];
        }
        if (kind < 0) return Refuse("The type is song, sample, beats or acapella.");
        profile.SetType((profile.GetType() & ~kinds) | kind);
    } else if (field == "genre") {
        const std::optional<int32_t> id = GenreIdFromText(genres, value);
        if (!id) return Refuse("There is no genre \"" + value + "\".");
        profile.SetType((profile.GetType() & ~CSongProfile::kGenreMask) | (*id & CSongProfile::kGenreMask));
    } else if (field == "private") {
        if (value == "1" || value == "yes" || value == "true" || value == "on") profile.SetPrivate(true);
        else if (value == "0" || value == "no" || value == "false" || value == "off") profile.SetPrivate(false);
        else return Refuse("A switch is on or off (1/0, yes/no, true/false).");
    } else if (field == "archive-path") {
        if (value.size() > 254) return Refuse("Local or archive path is too long (must be < 255 characters)");
        profile.SetArchivePath(value);
    } else if (field == "archive-name") {
        if (Status s = CheckLength(value, 49, "The archive name"); !s) return s;
        profile.SetArchiveName(value);
    } else {
        return Refuse("There is no profile field \"" + field + "\".");
    }
    return Status::Success();
}

Status StoreChangedProfile(CMusicDatabase& database, const CSongProfile& stored, const CSongProfile& changed) {
    const bool wasSample = stored.IsSample();
    const bool storedOk = changed.IsSample() ? database.PutSample(changed) : database.PutSong(changed);
    if (!storedOk) return Refuse(std::string("Could not store ") + changed.GetKey() + ".");
    if (wasSample != changed.IsSample()) {
        const bool removed = wasSample ? database.RemoveSample(stored) : database.RemoveSong(stored);
        if (!removed) return Refuse("Stored, but the old record could not be removed.");
    }
    return Status::Success();
}

}  // namespace vantor
