#include "views/mixing_helper_view.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "database/music_database.h"
#include "editing/set_editor_state.h"
#include "engine/effect_manager_impl.h"
#include "engine/resampled_wave_summary_file.h"
#include "engine/set_player.h"
#include "platform/file_io.h"
#include "platform/user_interface.h"
#include "views/first_time_open.h"
#include "views/music_set_view.h"

namespace vantor {

namespace {

constexpr int kMaxBeats = 1 << 16;

int32_t ClampFrame(double frame) {
    if (!(frame > 0)) return 0;
    return frame >= 2147483647.0 ? INT32_MAX : static_cast<int32_t>(frame);
}

// A flat envelope at the parameter's default over [0, end].
RefPtr<CEffectProfile> FlatProfile(CEffectManagerImpl* effects, const char* effect, const char* parameter,
                                   int32_t end) {
    double level = 0.0;
    if (IEffect* type = effects ? effects->FindEffect(effect) : nullptr) level = type->GetDefaultValue(parameter);
    auto profile = MakeRef<CEffectProfile>();
    profile->SetEffectName(effect);
    profile->SetParameterName(parameter);
    profile->AddPiece(0, std::max(end, 0), level, level);
    return profile;
}

bool HasProfile(const CSegmentDesign& design, const char* effect, const char* parameter) {
    const auto& profiles = design.GetEffectProfiles();
    for (int32_t i = 0; i < profiles.GetCount(); ++i)
        if (std::string(profiles.GetAt(i)->GetEffectName()) == effect &&
            std::string(profiles.GetAt(i)->GetParameterName()) == parameter)
            return true;
    return false;
}

}  // namespace

CMixingHelperView::CMixingHelperView(IUserInterface& ui, CMusicDatabase& database, const SetEditorState& state,
                                     SegmentAt first, SegmentAt second, MixApplier apply, Audition audition)
    : m_ui(ui), m_database(database), m_state(state), m_apply(std::move(apply)), m_audition(audition) {
    m_songs[0].at = first;
    m_songs[1].at = second;
    m_fields.join = MixingFields::Join::Mix;
}

CMixingHelperView::~CMixingHelperView() { StopAudition(); }

void CMixingHelperView::Connect(CMusicSetView& view, IUserInterface& ui, CMusicDatabase& database, Runner runner,
                                Audition audition) {
    view.SetMixingHelper([&view, &ui, &database, runner = std::move(runner), audition](
                             const SegmentAt& chosen, const SegmentAt& inserted) -> std::optional<int32_t> {
        CMixingHelperView helper(
            ui, database, view.GetState(), chosen, inserted,
            [&view, chosen, inserted](const MixingFields& fields) { return view.MixSegments(chosen, inserted, fields); },
            audition);
        if (!helper.Open()) return std::nullopt;
        if (runner) runner(helper);
        if (!helper.IsClosed()) helper.Cancel();
        return helper.GetResult();
    });
}

double CMixingHelperView::Rate() const { return m_state.GetSampleRate() > 0 ? m_state.GetSampleRate() : 44100.0; }

bool CMixingHelperView::Open() {
    for (Song& song : m_songs) {
        const CSegmentDesign* design = song.at.event ? song.at.event->GetSegment() : nullptr;
        if (design) song.profile = m_database.GetSong(design->GetSegment()->GetSongKey());
        if (!song.profile) {
            m_ui.MessageBox("Unable to load profile corresponding to this segment!", kTitle, MessageButtons::Ok,
                            MessageIcon::Error);
            m_closed = true;
            return false;
        }
        const CSegment& segment = *design->GetSegment();
        song.ratio = segment.GetRatio() > 0 && std::isfinite(segment.GetRatio()) ? segment.GetRatio() : 1.0;
        if (FileExists(song.profile->GetLocalPath())) {
            song.summary = OpenSongSummary(*song.profile, false);
            if (!song.summary) {
                CFirstTimeOpen::Run(*song.profile, m_ui);
                song.summary = OpenSongSummary(*song.profile, false);
            }
        }
        if (song.summary) song.summary->SetRatio(song.ratio);
        song.cursor = song.ratio * segment.GetStart() / Rate();
    }
    SetWidth(m_width);
    return true;
}

void CMixingHelperView::SetWidth(int width) {
    m_width = std::clamp(width, 1, WaveformColumns::kMaxWidth);
    for (Song& song : m_songs) {
        if (!song.at.event || !song.at.event->GetSegment()) continue;
        const CSegment& segment = *song.at.event->GetSegment()->GetSegment();
        song.window.startTime = song.ratio * segment.GetStart() / Rate();
        const double seconds = segment.GetTimelineLength() / Rate();
        song.window.secondsPerPixel = seconds > 0 ? seconds / m_width : 1.0 / Rate();
    }
}

void CMixingHelperView::ScrollTo(int song, double startTime) {
    if (std::isfinite(startTime)) m_songs[Index(song)].window.startTime = startTime;
}

void CMixingHelperView::Zoom(int song, double secondsPerPixel) {
    // Between a frame and an hour a column.
    if (std::isfinite(secondsPerPixel) && secondsPerPixel > 0)
        m_songs[Index(song)].window.secondsPerPixel = std::clamp(secondsPerPixel, 1.0 / Rate(), 3600.0);
}

std::vector<WaveformColumn> CMixingHelperView::GetWaveform(int song) {
    Song& s = m_songs[Index(song)];
    if (!s.summary) return {};
    const double first = std::floor(s.window.startTime * Rate());
    if (!(std::fabs(first) < 1e15)) return {};
    return WaveformColumns::Compute(*s.summary, static_cast<int64_t>(first), s.window.secondsPerPixel * Rate(), m_width);
}

double CMixingHelperView::GetRulerTempo(int song) const {
    const Song& s = m_songs[Index(song)];
    if (!s.at.event || !s.at.event->GetSegment()) return 0.0;
    const CSegmentDesign& design = *s.at.event->GetSegment();
    // A song played slower by the fine-tuning beats slower too.
    const double tuned = s.ratio > 0 ? design.GetSegment()->GetRatio() / s.ratio : 1.0;
    return design.GetTempo() * tuned;
}

std::vector<CMixingHelperView::Beat> CMixingHelperView::GetBeatRuler(int song) const {
    const Song& s = m_songs[Index(song)];
    const double tempo = GetRulerTempo(song);
    std::vector<Beat> beats;
    if (!(tempo > 0) || !s.at.event) return beats;
    const double period = 60.0 / tempo;
    const double origin = s.ratio * s.at.event->GetSegment()->GetSegment()->GetStart() / Rate();
    const double end = s.window.startTime + s.window.secondsPerPixel * m_width;
    const double first = std::ceil((s.window.startTime - origin) / period);
    const double last = std::floor((end - origin) / period);
    if (!(last - first < kMaxBeats)) return beats;
    for (double n = first; n <= last; n += 1) {
        const double x = (origin + n * period - s.window.startTime) / s.window.secondsPerPixel;
        const long long beat = static_cast<long long>(n);
        beats.push_back({static_cast<int>(std::lround(x)), ((beat % 4) + 4) % 4 == 0});
    }
    return beats;
}

void CMixingHelperView::SetCursor(int song, double seconds) {
    if (std::isfinite(seconds)) m_songs[Index(song)].cursor = std::max(0.0, seconds);
}

void CMixingHelperView::Click(int song, int x) {
    const WaveWindow& window = m_songs[Index(song)].window;
    SetCursor(song, window.startTime + x * window.secondsPerPixel);
}

int CMixingHelperView::CursorX(int song) const {
    const Song& s = m_songs[Index(song)];
    const double x = (s.cursor - s.window.startTime) / s.window.secondsPerPixel;
    return static_cast<int>(std::clamp(std::round(x), -1e9, 1e9));
}

std::vector<std::string> CMixingHelperView::GetCueLabels(int song) const {
    std::vector<std::string> labels;
    const Song& s = m_songs[Index(song)];
    if (!s.profile) return labels;
    const auto& points = s.profile->GetMatchPoints();
    for (int32_t i = 0; i < points.GetCount(); ++i) {
        const char* type = MatchPointTypeName(points.GetAt(i)->GetType());
        labels.push_back(std::string(points.GetAt(i)->GetLabel()) + " (" + (type ? type : "") + ")");
    }
    return labels;
}

bool CMixingHelperView::ChooseCue(int song, int index) {
    Song& s = m_songs[Index(song)];
    const CMatchPoint* point = s.profile ? s.profile->GetMatchPoints().GetAt(index) : nullptr;
    if (!point) return false;
    s.chosenCue = index;
    s.cursor = s.ratio * point->GetPosition() / Rate();
    return true;
}

std::string CMixingHelperView::DefaultCueLabel(int32_t type) {
    const char* label = DefaultMatchPointLabel(type);
    return label ? label : "";
}

bool CMixingHelperView::Store(Song& song) {
    if (m_database.PutSong(*song.profile)) return true;
    m_ui.MessageBox(std::string("The song profile of ") + song.profile->GetTitle() + " could not be written.", kTitle,
                    MessageButtons::Ok, MessageIcon::Error);
    return false;
}

bool CMixingHelperView::AddCue(int song, int32_t type, const std::string& label) {
    Song& s = m_songs[Index(song)];
    if (!s.profile || std::find(kCueTypes.begin(), kCueTypes.end(), type) == kCueTypes.end()) return false;
    auto point = MakeRef<CMatchPoint>();
    point->SetLabel(label);
    point->SetType(type);
    // The cursor runs in resampled time; the cue point is a frame of the file,
    // where choosing it brings the cursor back (the nudge keeps a time that
    // came from a frame on that frame).
    const double frame = std::trunc(Rate() * s.cursor / s.ratio + 1e-6);
    point->SetPosition(frame >= 4294967295.0 ? UINT32_MAX : static_cast<uint32_t>(std::max(frame, 0.0)));
    point->SetSongKey(s.profile->GetLocalPath());
    point->SetTempo(s.profile->GetTempo());
    auto& points = s.profile->GetMatchPoints();
    if (!s.profile->AddMatchPoint(point)) return false;
    if (Store(s)) return true;
    points.RemoveAt(points.GetCount() - 1);
    return false;
}

bool CMixingHelperView::RemoveCue(int song) {
    Song& s = m_songs[Index(song)];
    const CMatchPoint* chosen = s.profile ? s.profile->GetMatchPoints().GetAt(s.chosenCue) : nullptr;
    if (!chosen) return false;
    auto& points = s.profile->GetMatchPoints();
    int32_t index = 0;
    while (points.GetAt(index)->GetType() != chosen->GetType() ||
           points.GetAt(index)->GetPosition() != chosen->GetPosition())
        ++index;
    RefPtr<CMatchPoint> removed(points.GetAt(index));
    points.RemoveAt(index);
    if (!Store(s)) {
        points.InsertAt(index, removed.get());
        return false;
    }
    s.chosenCue = -1;
    return true;
}

void CMixingHelperView::SetTune(int position) {
    m_tune = std::clamp(position, kTuneMin, kTuneMax);
    Song& s = m_songs[1];
    if (!s.at.event || !s.at.event->GetSegment()) return;
    const double ratio = s.at.event->GetSegment()->GetSegment()->GetRatio();
    if (!(ratio > 0) || !std::isfinite(ratio)) return;
    s.ratio = MixingWizard::FineTunedRatio(ratio, m_tune);
    if (s.summary) s.summary->SetRatio(s.ratio);
}

double CMixingHelperView::GetRatio(int song) const { return m_songs[Index(song)].ratio; }

void CMixingHelperView::Show() {
    for (Song& song : m_songs) {
        song.window.startTime = song.cursor - kShowLead;
        song.window.secondsPerPixel = kShowSeconds / m_width;
    }
}

bool CMixingHelperView::ToggleAudition() {
    if (IsAuditioning()) {
        StopAudition();
        return true;
    }
    return StartAudition();
}

void CMixingHelperView::StopAudition() {
    if (!m_auditionSet) return;
    if (m_audition.player) m_audition.player->Close();
    m_auditionSet = RefPtr<CMusicSet>();
}

// The audition set: song 1 from a little before its cursor on track 1, song 2
// at its fine-tuned ratio from its cursor on track 2, placed so that the two
// cursors meet, each at its design's level under a "Volume" / "Level" envelope.
bool CMixingHelperView::StartAudition() {
    if (!m_audition.player || !m_songs[0].at.event || !m_songs[1].at.event) return false;
    const double rate = Rate();
    const CSegmentDesign& design1 = *m_songs[0].at.event->GetSegment();
    NewSetOptions options;
    options.audioTracks = 2;
    options.tempo = design1.GetTempo() > 0 ? design1.GetTempo() : kDefaultTempo;
    options.samplesPerSecond = static_cast<int32_t>(rate);
    RefPtr<CMusicSet> set = CMusicSet::CreateNew(options);

    RefPtr<CSegmentDesign> copy1(design1.Clone());
    CSegment& first = *copy1->GetSegment();
    const double r1 = m_songs[0].ratio;
    const int32_t start1 =
        std::max(first.GetStart(), ClampFrame(std::trunc(rate * std::max(0.0, m_songs[0].cursor - kAuditionLead) / r1)));
    if (start1 < first.GetEnd()) first.SetStart(start1);
    const int32_t meet = ClampFrame(std::trunc(rate * m_songs[0].cursor) - std::trunc(r1 * first.GetStart()));

    RefPtr<CSegmentDesign> copy2(m_songs[1].at.event->GetSegment()->Clone());
    CSegment& second = *copy2->GetSegment();
    const double r2 = m_songs[1].ratio;
    const double c2 = std::trunc(rate * m_songs[1].cursor);
    const int32_t length2 = second.GetTimelineLength();
    second.SetRatio(r2);
    second.SetStart(std::min(ClampFrame(std::trunc(c2 / r2)), INT32_MAX - 1));
    second.SetEnd(std::max(second.GetStart() + 1, ClampFrame(std::trunc((c2 + length2) / r2))));

    int32_t track = 1;
    for (auto& [design, position] : {std::pair{copy1, 0}, std::pair{copy2, meet}}) {
        design->SetPositionOffset(0);
        if (!HasProfile(*design, "Volume", "Level"))
            design->GetEffectProfiles().Add(
                FlatProfile(m_audition.effects, "Volume", "Level", design->GetSegment()->GetTimelineLength()).get());
        auto event = MakeRef<CEvent>();
        event->SetSegment(design.get());
        event->SetPosition(position);
        set->GetTrack(track++)->AddEvent(event.get());
    }
    const DeviceId& device = m_audition.device;
    if (!m_audition.player->Open(m_audition.effects, &m_database, set.get(),
                                 IsDefaultDevice(device) ? nullptr : &device, false, 2, 0x8000) ||
        !m_audition.player->Play()) {
        m_audition.player->Close();
        m_ui.MessageBox("The audition device could not be opened.", kTitle, MessageButtons::Ok, MessageIcon::Error);
        return false;
    }
    m_auditionSet = set;
    return true;
}

bool CMixingHelperView::SetBars(const std::string& text, int32_t& bars) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 5) return false;
    bars = static_cast<int32_t>(std::strtol(text.c_str(), nullptr, 10));
    return true;
}

MixingFields CMixingHelperView::GetFields() const {
    MixingFields fields = m_fields;
    fields.cursor1 = m_songs[0].cursor;
    fields.cursor2 = m_songs[1].cursor;
    fields.ratio2 = m_songs[1].ratio;
    return fields;
}

bool CMixingHelperView::Ok() {
    if (m_closed || !m_apply) return false;
    std::optional<int32_t> point = m_apply(GetFields());
    if (!point) return false;
    StopAudition();
    m_result = point;
    m_closed = true;
    return true;
}

void CMixingHelperView::Cancel() {
    StopAudition();
    m_result.reset();
    m_closed = true;
}

}  // namespace vantor
