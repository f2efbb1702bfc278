#include "views/segment_designer_view.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "config/configuration.h"
#include "database/music_database.h"
#include "database/song_summary.h"
#include "editing/song_lengths.h"
#include "engine/effect_manager_impl.h"
#include "engine/resampled_wave_file.h"
#include "engine/resampled_wave_summary_file.h"
#include "platform/file_io.h"
#include "platform/user_interface.h"
#include "views/first_time_open.h"

namespace vantor {

namespace {

constexpr const char* kCaption = "Segment Designer";

// The "Resampling:" text as a ratio: a finite number above 0, else nothing.
std::optional<double> ResamplingValue(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || end == text.c_str() || *end != '\0' || !std::isfinite(value) || !(value > 0)) return std::nullopt;
    return value;
}

Refusal BadResampling(const char* caption) {
    return {"Resampling must be a number above 0 (1.0 plays the song as recorded).", caption, MessageIcon::Exclamation};
}

std::string RatioText(double ratio) {
    char text[64];
    std::snprintf(text, sizeof text, "%.10g", ratio);
    return text;
}

// Seconds to a frame of the file: trunc(rate x seconds / ratio). The
// smallest nudge keeps a time computed from a frame on that frame.
double FrameOf(double rate, double seconds, double ratio) { return std::trunc(rate * seconds / ratio + 1e-6); }

}  // namespace

CSegmentDesignerView::CSegmentDesignerView(IUserInterface& ui, CMusicDatabase& database, const CConfiguration& config,
                                           CEffectManagerImpl* effects)
    : m_ui(ui), m_database(database), m_config(config), m_effects(effects) {}

CSegmentDesignerView::~CSegmentDesignerView() = default;

void CSegmentDesignerView::Connect(CMusicSetView& view, IUserInterface& ui, CMusicDatabase& database,
                                   const CConfiguration& config, CEffectManagerImpl* effects,
                                   std::function<void(CSegmentDesignerView&)> runner) {
    view.SetSegmentDesigner([&view, &ui, &database, &config, effects, runner = std::move(runner)](
                                const EditSegmentRequest& request) {
        CSegmentDesignerView designer(ui, database, config, effects);
        const bool opened = designer.OpenOnSegment(request, [&view](const EditSegmentRequest& r, const CSegmentDesign& d) {
            return view.ReplaceSegment(r, d);
        });
        if (opened && runner) runner(designer);
    });
}

bool CSegmentDesignerView::Open(const RefPtr<CSongProfile>& profile) {
    m_profile = RefPtr<CSongProfile>();
    m_list.clear();
    m_selected = -1;
    if (profile && FileExists(profile->GetLocalPath())) {
        m_source = OpenSongSource(*profile);
        m_summary = OpenSongSummary(*profile, false);
        if (m_source && !m_summary) {
            CFirstTimeOpen::Run(*profile, m_ui);
            m_summary = OpenSongSummary(*profile, false);
        }
    }
    if (!profile || !m_source) {
        m_ui.MessageBox("Error opening wave file", kCaption, MessageButtons::Ok, MessageIcon::Error);
        m_closed = true;
        return false;
    }
    m_profile = profile;
    const auto& designs = profile->GetSegmentDesigns();
    for (int32_t i = 0; i < designs.GetCount(); ++i) m_list.emplace_back(designs.GetAt(i)->Clone());
    m_tempo = profile->GetTempo();
    return true;
}

bool CSegmentDesignerView::OpenOnSegment(const EditSegmentRequest& request, HandBack handBack) {
    const CSegmentDesign* design = request.event ? request.event->GetSegment() : nullptr;
    RefPtr<CSongProfile> profile;
    if (design) profile = m_database.GetSong(design->GetSegment()->GetSongKey());
    if (!profile) {
        m_ui.MessageBox("Unable to load profile corresponding to this segment!", kCaption, MessageButtons::Ok,
                        MessageIcon::Error);
        m_closed = true;
        return false;
    }
    if (!Open(profile)) return false;
    m_request = request;
    m_handBack = std::move(handBack);
    ShowDesign(*design);
    return true;
}

std::string CSegmentDesignerView::GetTitle() const {
    if (!m_profile) return kCaption;
    return std::string(kCaption) + " - " + m_profile->GetTitle() + " (" + m_profile->GetArtist() + ")";
}

double CSegmentDesignerView::Rate() const { return m_source ? m_source->GetSampleRate() : 44100.0; }

int64_t CSegmentDesignerView::SourceLength() const {
    if (!m_profile) return 0;
    return SongLengthsFrom(&m_database)(m_profile->GetLocalPath()).value_or(0);
}

std::vector<std::string> CSegmentDesignerView::GetSegmentNames() const {
    std::vector<std::string> names;
    for (const auto& design : m_list) names.emplace_back(design->GetName());
    return names;
}

const CSegmentDesign* CSegmentDesignerView::GetSegment(int index) const {
    if (index < 0 || index >= static_cast<int>(m_list.size())) return nullptr;
    return m_list[static_cast<size_t>(index)].get();
}

void CSegmentDesignerView::ShowDesign(const CSegmentDesign& design) {
    const CSegment& segment = *design.GetSegment();
    m_name = design.GetName();
    m_tempo = design.GetTempo();
    m_resampling = RatioText(segment.GetRatio());
    m_selectionStart = segment.GetRatio() * segment.GetStart() / Rate();
    m_selectionLength = segment.GetRatio() * segment.GetSourceLength() / Rate();
    m_effectList.clear();
    const auto& profiles = design.GetEffectProfiles();
    for (int32_t i = 0; i < profiles.GetCount(); ++i) m_effectList.emplace_back(profiles.GetAt(i)->Clone());
}

bool CSegmentDesignerView::SelectSegment(int index) {
    const CSegmentDesign* design = GetSegment(index);
    if (!design) return false;
    m_selected = index;
    ShowDesign(*design);
    return true;
}

std::vector<std::string> CSegmentDesignerView::GetEffectLabels() const {
    std::vector<std::string> labels;
    for (const auto& profile : m_effectList)
        labels.push_back(std::string(profile->GetEffectName()) + " / " + profile->GetParameterName());
    return labels;
}

std::vector<std::pair<std::string, std::vector<std::string>>> CSegmentDesignerView::GetEffectChoices() const {
    return m_effects ? m_effects->ListEffectChoices() : std::vector<std::pair<std::string, std::vector<std::string>>>{};
}

bool CSegmentDesignerView::AddEffect(const std::string& effect, const std::string& parameter) {
    const bool present = std::any_of(m_effectList.begin(), m_effectList.end(), [&](const RefPtr<CEffectProfile>& p) {
        return effect == p->GetEffectName() && parameter == p->GetParameterName();
    });
    if (effect.empty() || parameter.empty() || present) {
        m_ui.MessageBox("Effect has been already added.", "Add Effect", MessageButtons::Ok, MessageIcon::Exclamation);
        return false;
    }
    IEffect* type = m_effects ? m_effects->FindEffect(effect.c_str()) : nullptr;
    if (!type) {
        m_ui.MessageBox("The effect " + effect + " is not registered.", "Add Effect", MessageButtons::Ok,
                        MessageIcon::Error);
        return false;
    }
    const std::optional<double> ratio = ResamplingValue(m_resampling);
    if (!ratio) {
        m_ui.ShowRefusal(BadResampling("Add Effect"));
        return false;
    }
    const double level = type->GetDefaultValue(parameter.c_str());
    auto profile = MakeRef<CEffectProfile>();
    profile->SetEffectName(effect);
    profile->SetParameterName(parameter);
    profile->AddPiece(0, static_cast<int32_t>(std::min(std::trunc(SourceLength() / *ratio), 2147483647.0)), level,
                      level);
    m_effectList.push_back(profile);
    return true;
}

bool CSegmentDesignerView::RemoveEffect(int index) {
    if (index < 0 || index >= static_cast<int>(m_effectList.size())) return false;
    m_effectList.erase(m_effectList.begin() + index);
    return true;
}

Result<RefPtr<CSegmentDesign>> CSegmentDesignerView::Build(const char* caption) const {
    if (m_name.empty()) return Refusal{"Segment must be given a name.", caption, MessageIcon::Exclamation};
    const std::optional<double> ratio = ResamplingValue(m_resampling);
    if (!ratio) return BadResampling(caption);
    if (!std::isfinite(m_tempo) || !(m_tempo > 0))
        return Refusal{"The tempo must be a number of beats per minute above 0.", caption, MessageIcon::Exclamation};
    const double rate = Rate();
    const double start = FrameOf(rate, m_selectionStart, *ratio);
    const double end = FrameOf(rate, m_selectionStart + m_selectionLength, *ratio);
    // A design reads only frames its song has.
    if (!std::isfinite(start) || !std::isfinite(end) || start < 0 || end <= start || end > SourceLength() ||
        end > INT32_MAX)
        return Refusal{"Select a part of the song for the segment: it must start at or after the song's start and end "
                       "by its end.",
                       caption, MessageIcon::Exclamation};
    auto design = MakeRef<CSegmentDesign>();
    design->SetName(m_name);
    design->SetTempo(m_tempo);
    if (m_summary && m_summary->IsValid())
        design->SetNormalization(ComputeNormalization(*m_summary, m_config.GetReferencePoint()));
    CSegment& segment = *design->GetSegment();
    segment.SetSongKey(m_profile->GetLocalPath());
    segment.SetSongTitle(m_name);
    segment.SetRatio(*ratio);
    segment.SetStart(static_cast<int32_t>(start));
    segment.SetEnd(static_cast<int32_t>(end));
    for (const auto& profile : m_effectList) design->GetEffectProfiles().Add(RefPtr<CEffectProfile>(profile->Clone()).get());
    return design;
}

bool CSegmentDesignerView::AddSegment() {
    if (!m_profile) return false;
    auto built = Build("Add Segment");
    if (!built) {
        m_ui.ShowRefusal(built.Error());
        return false;
    }
    auto same = std::find_if(m_list.begin(), m_list.end(),
                             [&](const RefPtr<CSegmentDesign>& d) { return m_name == d->GetName(); });
    if (same != m_list.end()) {
        if (m_ui.MessageBox("Replace existing segment?", "Add Segment", MessageButtons::OkCancel,
                            MessageIcon::Question) != MessageAnswer::Ok)
            return false;
        m_list.erase(same);
    }
    m_list.push_back(built.Value());
    m_selected = static_cast<int>(m_list.size()) - 1;
    return true;
}

bool CSegmentDesignerView::RemoveSegment(int index) {
    if (index < 0 || index >= static_cast<int>(m_list.size())) return false;
    m_list.erase(m_list.begin() + index);
    m_selected = -1;
    return true;
}

bool CSegmentDesignerView::Ok() {
    if (!m_profile || m_closed) return false;
    if (m_request) {
        auto built = Build(kCaption);
        if (!built) {
            m_ui.ShowRefusal(built.Error());
            return false;
        }
        // The set editor tells why it refused the replace.
        if (!m_handBack || !m_handBack(*m_request, *built.Value())) return false;
    }
    auto& designs = m_profile->GetSegmentDesigns();
    std::vector<RefPtr<CSegmentDesign>> before;
    for (int32_t i = 0; i < designs.GetCount(); ++i) before.emplace_back(designs.GetAt(i));
    designs.RemoveAll();
    for (const auto& design : m_list) designs.Add(design.get());
    if (!m_database.PutSong(*m_profile)) {
        designs.RemoveAll();
        for (const auto& design : before) designs.Add(design.get());
        m_ui.MessageBox(std::string("The song profile of ") + m_profile->GetTitle() + " could not be written.",
                        kCaption, MessageButtons::Ok, MessageIcon::Error);
        return false;
    }
    // The profile keeps its own copies; the list stays free to change.
    for (auto& design : m_list) design = RefPtr<CSegmentDesign>(design->Clone());
    m_closed = true;
    return true;
}

}  // namespace vantor
