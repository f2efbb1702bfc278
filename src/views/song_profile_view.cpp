#include "views/song_profile_view.h"

#include <cmath>
#include <strings.h>

#include "config/configuration.h"
#include "database/music_database.h"
#include "database/song_file_name.h"
#include "engine/wave_file.h"
#include "model/recent_title_list.h"
#include "platform/file_io.h"
#include "platform/user_interface.h"

namespace vantor {

namespace {

constexpr size_t kMaxPath = 254;
constexpr size_t kMaxCueLabel = 29;

bool IsSupportedWave(const CWaveFile& wave) {
    const WaveFormat* format = wave.GetFormat();
    return format && format->formatTag == 1 && format->channels == 2 && format->samplesPerSec == 44100 &&
           format->bitsPerSample == 16;
}

// A finite tempo above 0 from the whole text; nothing otherwise.
std::optional<double> ParseTempo(const std::string& text) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    const double tempo = std::strtod(text.c_str(), &end);
    while (end && (*end == ' ' || *end == '\t')) ++end;
    if (!end || *end != '\0' || !std::isfinite(tempo) || tempo <= 0.0) return std::nullopt;
    return tempo;
}

int32_t FirstGenreId(const CConfiguration& config) {
    const GenrePresets& genres = config.GetGenrePresets();
    std::lock_guard lock(genres.Lock());
    return genres.GetCount() > 0 ? genres.GetAt(0)->GetId() : 0;
}

}  // namespace

CSongProfileView::CSongProfileView(IUserInterface& ui, CMusicDatabase& database, CRecentTitleList* recent,
                                   const CConfiguration& config, Listener listener)
    : m_ui(ui), m_database(database), m_recent(recent), m_config(config), m_listener(std::move(listener)) {
    ShowEmpty();
}

void CSongProfileView::ShowEmpty() {
    m_shown = nullptr;
    m_form = SongProfileForm{};
    m_form.genreId = FirstGenreId(m_config);
}

void CSongProfileView::ShowProfile(const RefPtr<CSongProfile>& profile) {
    if (!profile) return ShowEmpty();
    m_shown = profile;
    m_form.title = profile->GetTitle();
    m_form.artist = profile->GetArtist();
    m_form.album = profile->GetAlbum();
    m_form.mixer = profile->GetMixer();
    m_form.localPath = profile->GetLocalPath();
    m_form.archivePath = profile->GetArchivePath();
    m_form.archiveName = profile->GetArchiveName();
    char tempo[32];
    std::snprintf(tempo, sizeof tempo, "%g", profile->GetTempo());
    m_form.tempoText = tempo;
    const int32_t type = profile->GetType();
    m_form.kind = (type & CSongProfile::kTypeSample)     ? CSongProfile::kTypeSample
                  : (type & CSongProfile::kTypeBeats)    ? CSongProfile::kTypeBeats
                  : (type & CSongProfile::kTypeAcapella) ? CSongProfile::kTypeAcapella
                                                         : CSongProfile::kTypeSong;
    m_form.genreId = profile->GetGenre();
    m_form.isPrivate = profile->IsPrivate();
    m_form.cuePoints.clear();
    const auto& points = profile->GetMatchPoints();
    std::lock_guard lock(points.Lock());
    for (int32_t i = 0; i < points.GetCount(); ++i) {
        const CMatchPoint* point = points.GetAt(i);
        m_form.cuePoints.push_back({point->GetType(), point->GetPosition(), point->GetLabel(), point->GetTempo()});
    }
}

void CSongProfileView::ChooseLocalFile(const std::string& path) {
    m_form.localPath = path;
    if (!m_config.GetFillFromFileName() || !m_form.artist.empty() || !m_form.title.empty()) return;
    const SongFileName names = SplitSongFileName(path);
    m_form.artist = names.artist;
    m_form.title = names.title;
    m_form.mixer = names.mixer;
}

bool CSongProfileView::Refuse(const std::string& text, const std::string& focus) {
    m_focus = focus;
    m_ui.MessageBox(text, kCaption, MessageButtons::Ok, MessageIcon::Error);
    return false;
}

bool CSongProfileView::CheckFieldCapacities() {
    struct Field {
        const std::string& text;
        size_t capacity;
        const char* name;
        const char* focus;
    };
    const Field fields[] = {{m_form.title, 99, "Title", "title"},
                            {m_form.artist, CSongProfile::kMaxOverlaidText, "Artist", "artist"},
                            {m_form.album, CSongProfile::kMaxOverlaidText, "Album", "album"},
                            {m_form.mixer, 99, "Mixer", "mixer"},
                            {m_form.archiveName, 49, "Archive name", "archiveName"}};
    for (const Field& field : fields)
        if (field.text.size() > field.capacity)
            return Refuse(std::string(field.name) + " is too long (must be < " + std::to_string(field.capacity + 1) +
                              " characters)",
                          field.focus);
    for (const CuePointForm& cue : m_form.cuePoints) {
        if (cue.label.size() > kMaxCueLabel)
            return Refuse("Cue point label is too long (must be < " + std::to_string(kMaxCueLabel + 1) + " characters)",
                          "cuePoints");
        if (!std::isfinite(cue.tempo) || cue.tempo < 0.0)
            return Refuse("Cue point tempo must be a number of 0 or above.", "cuePoints");
    }
    return true;
}

bool CSongProfileView::StoreCuePoints(CSongProfile& profile) {
    auto& points = profile.GetMatchPoints();
    points.RemoveAll();
    for (const CuePointForm& cue : m_form.cuePoints) {
        auto point = MakeRef<CMatchPoint>();
        point->SetType(cue.type);
        point->SetPosition(cue.position);
        point->SetLabel(cue.label);
        point->SetTempo(cue.tempo);
        point->SetSongKey(profile.GetLocalPath());
        if (!profile.AddMatchPoint(point)) return Refuse("A song has one start and one end cue point at most.", "cuePoints");
    }
    return true;
}

std::optional<std::string> CSongProfileView::ChooseDecodedPath(const std::string& mp3Path) {
    const std::string wavePath = ReplaceExtension(mp3Path, ".wav");
    if (m_config.GetDecodeMp3()) return wavePath;
    if (m_ui.MessageBox("Vantor needs to decode your MP3 file into a WAVE file.\nDo you wish to continue?",
                        "Add Profile", MessageButtons::YesNo, MessageIcon::Question) != MessageAnswer::Yes)
        return std::nullopt;
    return m_ui.ChooseSaveFile({"Decode MP3", ".wav", "wave files (*.wav)|*.wav|all files (*.*)|*.*||", wavePath,
                                false});
}

bool CSongProfileView::OnAdd() {
    m_focus.clear();
    if (m_form.title.empty()) return Refuse("Song title must be given", "title");
    if (m_form.localPath.empty() && m_form.archivePath.empty())
        return Refuse("Local or archive path must be given", "localPath");
    if (m_form.localPath.size() > kMaxPath || m_form.archivePath.size() > kMaxPath)
        return Refuse("Local or archive path is too long (must be < 255 characters)", "localPath");
    if (!CheckFieldCapacities()) return false;
    // Later code divides by the tempo: only a finite one above 0 is taken.
    const std::optional<double> tempo = ParseTempo(m_form.tempoText);
    if (!tempo) return Refuse("Tempo must be a number above 0.", "tempo");

    std::string localPath = m_form.localPath;
    const bool localExists = !localPath.empty() && FileExists(localPath);
    if (!localExists && m_form.archivePath.empty()) return Refuse("Local filename does not exist.", "localPath");
    const bool mp3 = CWaveFile::SourceExtension(localPath) == "mp3";
    if (localExists && !mp3) {
        CWaveFile wave(localPath, 100);
        if (!IsSupportedWave(wave))
            return Refuse("Wave file is not in a supported format. All wave files must be:\n"
                          "PCM, 44.1 khz, 16-bit, 2 channels.",
                          "localPath");
    }

    // The profile's local path when it names only an archive file.
    if (localPath.empty()) {
        std::string directory = m_config.GetWaveDirectory();
        if (!directory.empty() && directory.back() != '/') directory += '/';
        localPath = directory + FileNameOf(m_form.archivePath);
        if (localPath.size() > kMaxPath)
            return Refuse("Local or archive path is too long (must be < 255 characters)", "localPath");
    }

    std::optional<LoadJob> job;
    if (localExists && mp3) {
        const std::optional<std::string> wavePath = ChooseDecodedPath(localPath);
        if (!wavePath) return false;
        auto decode = LoadJob::Make("", localPath, *wavePath);
        if (!decode) return Refuse(decode.Error().text, "localPath");
        job = decode.Value();
        localPath = *wavePath;
    } else if (localExists && (!m_shown || ::strcasecmp(m_shown->GetLocalPath(), localPath.c_str()) != 0)) {
        auto summarise = LoadJob::Make("", localPath, localPath);
        if (summarise) job = summarise.Value();
    }

    RefPtr<CSongProfile> profile(m_shown ? m_shown->Clone() : new CSongProfile());
    profile->SetAlbum(m_form.album);
    profile->SetArtist(m_form.artist);
    profile->SetLocalPath(localPath);
    profile->SetMixer(m_form.mixer);
    profile->SetTitle(m_form.title);
    profile->SetTempo(*tempo);
    profile->SetArchivePath(m_form.archivePath);
    profile->SetArchiveName(m_form.archiveName);
    profile->SetPrivate(m_form.isPrivate);
    profile->SetType(m_form.kind | (m_form.genreId & CSongProfile::kGenreMask));
    if (!StoreCuePoints(*profile)) return false;

    // The new record is written first and the old one removed only once it
    // stands, so a failed write never loses the song.
    const bool sample = profile->IsSample();
    if (!(sample ? m_database.PutSample(*profile) : m_database.PutSong(*profile)))
        return Refuse("The profile could not be stored.", "title");
    if (m_shown) {
        // Keys are compared exactly: on a case-sensitive file system another
        // spelling is another record, and the old one must go.
        const bool keyChanged = localPath != m_shown->GetLocalPath();
        const bool wasSample = m_shown->IsSample();
        if (keyChanged || wasSample != sample) {
            if (wasSample)
                m_database.RemoveSample(*m_shown);
            else
                m_database.RemoveSong(*m_shown);
        }
    }
    if (job && m_listener.queueLoad) m_listener.queueLoad(*job);
    if (!sample && m_recent) m_recent->AddTitle(profile->GetKey());
    if (m_listener.recordChanged) {
        if (m_shown && std::string(m_shown->GetKey()) != profile->GetKey()) m_listener.recordChanged(m_shown->GetKey());
        m_listener.recordChanged(profile->GetKey());
    }
    if (m_shown) ShowProfile(profile);
    return true;
}

}  // namespace vantor
