#include "views/apply_effects_dialog.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "config/configuration.h"
#include "editing/effect_levels.h"
#include "editing/preset_range.h"
#include "engine/effect_manager_impl.h"
#include "model/builtin_presets.h"

namespace vantor {

namespace {

constexpr const char* kPresetsFile = "EFFECTS.PST";
constexpr int32_t kScaleEnd = 9999;

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string Label(const CEffectProfile& profile) {
    return std::string(profile.GetEffectName()) + " / " + profile.GetParameterName();
}

bool Yes(IUserInterface& ui, const std::string& text, const std::string& caption) {
    return ui.MessageBox(text, caption, MessageButtons::YesNo, MessageIcon::Question) == MessageAnswer::Yes;
}

}  // namespace

CApplyEffectsDialog::CApplyEffectsDialog(IUserInterface& ui, CEffectManagerImpl* effects, CConfiguration& config)
    : m_ui(ui), m_effects(effects), m_config(config) {}

std::string CApplyEffectsDialog::PresetsPath(const CConfiguration& config) { return config.ProgramPath(kPresetsFile); }

std::string CApplyEffectsDialog::GetPresetsPath() const { return PresetsPath(m_config); }

void CApplyEffectsDialog::Close() {
    m_open = false;
    m_state = nullptr;
    m_waveforms.clear();
    m_profiles.clear();
    m_list.clear();
    m_waveform = -1;
    m_profile = 0;
    m_effect = -1;
}

void CApplyEffectsDialog::Load() {
    Close();
    EffectPresets presets = ReadEffectPresets(GetPresetsPath());
    m_damaged = !presets.clean;
    m_waveforms = BuiltInPresets::Waveforms();
    for (int32_t i = 0; i < presets.waveforms->GetCount(); ++i)
        m_waveforms.emplace_back(presets.waveforms->GetAt(i));
    for (int32_t i = 0; i < presets.profiles->GetCount(); ++i) m_profiles.emplace_back(presets.profiles->GetAt(i));
    m_waveform = 1;  // "Linear"
    m_waveformText = m_waveforms[1]->GetName();
    m_profileText = kNoProfile;
    m_open = true;
    if (m_damaged)
        m_ui.MessageBox("The effect presets file " + GetPresetsPath() +
                            " is damaged. What could be read is listed; the file will be kept as " + GetPresetsPath() +
                            kDamagedPresetsSuffix + " before it is written again.",
                        m_title, MessageButtons::Ok, MessageIcon::Exclamation);
}

void CApplyEffectsDialog::Open(SetEditorState& state, int32_t track, int32_t left, int32_t right) {
    Load();
    m_state = &state;
    m_track = track;
    m_left = left;
    m_right = right;
}

void CApplyEffectsDialog::OpenPresets() { Load(); }

Result<int32_t> CApplyEffectsDialog::ApplyPreset(CEffectManagerImpl* effects, const CConfiguration& config,
                                                 SetEditorState& state, int32_t track, int32_t left, int32_t right,
                                                 const std::string& name) {
    EffectPresets presets = ReadEffectPresets(PresetsPath(config));
    const CSegmentDesign* preset = name.empty() ? nullptr : presets.FindProfile(name);
    if (!preset) return 0;
    return PresetRange::Apply(state, effects, track, CopiesOf(*preset), left, right);
}

bool CApplyEffectsDialog::Save() {
    EffectPresets presets;
    for (const auto& waveform : m_waveforms)
        if (!BuiltInPresets::IsWaveformName(waveform->GetName())) presets.waveforms->Add(waveform.get());
    for (const auto& profile : m_profiles) presets.profiles->Add(profile.get());
    presets.clean = !m_damaged;
    const std::string path = GetPresetsPath();
    if (!WriteEffectPresets(presets, path)) {
        m_ui.MessageBox("Unable to write the effect presets file " + path + ".", m_title, MessageButtons::Ok,
                        MessageIcon::Error);
        return false;
    }
    if (m_damaged)
        m_ui.MessageBox("The damaged effect presets file was kept as " + path + kDamagedPresetsSuffix + ".", m_title,
                        MessageButtons::Ok, MessageIcon::Information);
    m_damaged = false;
    return true;
}

IEffect* CApplyEffectsDialog::Effect(const CEffectProfile& profile) const {
    return m_effects ? m_effects->FindEffect(profile.GetEffectName()) : nullptr;
}

CEffectProfile* CApplyEffectsDialog::Selected() const {
    return m_effect >= 0 && m_effect < static_cast<int>(m_list.size()) ? m_list[static_cast<size_t>(m_effect)].get()
                                                                         : nullptr;
}

std::vector<RefPtr<CEffectProfile>> CApplyEffectsDialog::CopiesOf(const CSegmentDesign& preset) {
    std::vector<RefPtr<CEffectProfile>> copies;
    auto& profiles = preset.GetEffectProfiles();
    std::lock_guard lock(profiles.Lock());
    for (int32_t i = 0; i < profiles.GetCount(); ++i) copies.emplace_back(profiles.GetAt(i)->Clone());
    return copies;
}

std::vector<std::string> CApplyEffectsDialog::GetWaveformNames() const {
    std::vector<std::string> names;
    for (const auto& waveform : m_waveforms) names.emplace_back(waveform->GetName());
    return names;
}

std::vector<std::string> CApplyEffectsDialog::GetProfileNames() const {
    std::vector<std::string> names{kNoProfile};
    for (const auto& profile : m_profiles) names.emplace_back(profile->GetName());
    return names;
}

std::vector<std::string> CApplyEffectsDialog::GetEffectLabels() const {
    std::vector<std::string> labels;
    for (const auto& profile : m_list) labels.push_back(Label(*profile));
    return labels;
}

const CEffectProfile* CApplyEffectsDialog::GetSelectedCurve() const { return Selected(); }

std::vector<CApplyEffectsDialog::PreviewRow> CApplyEffectsDialog::GetPreview() const {
    std::vector<PreviewRow> rows;
    const CEffectProfile* profile = Selected();
    if (!profile) return rows;
    IEffect* effect = Effect(*profile);
    auto text = [&](double value) {
        char buffer[kEffectTextCapacity] = {};
        if (effect) return std::string(effect->FormatValue(profile->GetParameterName(), value, buffer));
        std::snprintf(buffer, sizeof buffer, "%g", value);
        return std::string(buffer);
    };
    const bool onRange = m_state && m_left < m_right;
    if (onRange) {
        for (const CurvePiece& piece : PresetRange::Stretch(*profile, m_left, m_right))
            rows.push_back({static_cast<int32_t>(piece.start), static_cast<int32_t>(piece.end), text(piece.from),
                            text(piece.to)});
        return rows;
    }
    for (auto* n = profile->GetCurve().GetHead(); n; n = n->GetNext()) {
        const CEffect& piece = *n->GetItem();
        rows.push_back({piece.GetStart(), piece.GetEnd(), text(piece.GetStartLevel()), text(piece.GetEndLevel())});
    }
    return rows;
}

std::vector<std::pair<std::string, std::vector<std::string>>> CApplyEffectsDialog::GetEffectChoices() const {
    if (!m_effects) return {};
    return m_effects->ListEffectChoices();
}

void CApplyEffectsDialog::ChooseProfile(int index) {
    if (index < 0 || index > static_cast<int>(m_profiles.size())) return;
    m_profile = index;
    if (index == 0) {
        m_profileText = kNoProfile;
        return;
    }
    const CSegmentDesign& preset = *m_profiles[static_cast<size_t>(index - 1)];
    m_profileText = preset.GetName();
    m_list = CopiesOf(preset);
    m_effect = m_list.empty() ? -1 : 0;
}

bool CApplyEffectsDialog::ChooseProfile(const std::string& name) {
    const std::vector<std::string> names = GetProfileNames();
    auto found = std::find(names.begin(), names.end(), name);
    if (found == names.end()) return false;
    ChooseProfile(static_cast<int>(found - names.begin()));
    return true;
}

void CApplyEffectsDialog::ChooseEffect(int index) {
    if (index >= 0 && index < static_cast<int>(m_list.size())) m_effect = index;
}

bool CApplyEffectsDialog::AddEffect(const std::string& effect, const std::string& parameter) {
    if (!m_open) return false;
    for (size_t i = 0; i < m_list.size(); ++i) {
        if (SameName(m_list[i]->GetEffectName(), effect) && SameName(m_list[i]->GetParameterName(), parameter)) {
            m_effect = static_cast<int>(i);
            return true;
        }
    }
    IEffect* type = m_effects ? m_effects->FindEffect(effect.c_str()) : nullptr;
    if (!type) return false;
    bool known = false;
    for (int p = 0; p < type->GetParameterCount(); ++p) {
        const char* name = type->GetParameterName(p);
        if (name && parameter == name) known = true;
    }
    if (!known) return false;
    auto profile = MakeRef<CEffectProfile>();
    profile->SetEffectName(effect);
    profile->SetParameterName(parameter);
    if (m_waveform >= 0) ApplyShape(*m_waveforms[static_cast<size_t>(m_waveform)], *profile);
    m_list.push_back(profile);
    m_effect = static_cast<int>(m_list.size()) - 1;
    return true;
}

void CApplyEffectsDialog::RemoveEffect() {
    if (!Selected()) return;
    m_list.erase(m_list.begin() + m_effect);
    m_effect = m_list.empty() ? -1 : std::max(0, m_effect - 1);
}

void CApplyEffectsDialog::ApplyShape(const CEffectProfilePreset& shape, CEffectProfile& profile) const {
    const EffectLevels levels(Effect(profile), profile.GetParameterName());
    profile.GetCurve().RemoveAll();
    for (auto* n = shape.GetProfile().GetCurve().GetHead(); n; n = n->GetNext()) {
        const CEffect& piece = *n->GetItem();
        profile.AddPiece(piece.GetStart(), piece.GetEnd(), levels.FromFraction(piece.GetStartLevel()),
                         levels.FromFraction(piece.GetEndLevel()));
    }
}

void CApplyEffectsDialog::ChooseWaveform(int index) {
    if (index < 0 || index >= static_cast<int>(m_waveforms.size())) return;
    m_waveform = index;
    m_waveformText = m_waveforms[static_cast<size_t>(index)]->GetName();
    if (CEffectProfile* profile = Selected()) ApplyShape(*m_waveforms[static_cast<size_t>(index)], *profile);
}

bool CApplyEffectsDialog::ChooseWaveform(const std::string& name) {
    for (size_t i = 0; i < m_waveforms.size(); ++i) {
        if (name == m_waveforms[i]->GetName()) {
            ChooseWaveform(static_cast<int>(i));
            return true;
        }
    }
    return false;
}

Status CApplyEffectsDialog::SetPoints(const std::vector<CurvePoint>& points) {
    CEffectProfile* profile = Selected();
    if (!profile) return Refusal{"Select an effect to shape.", m_title, MessageIcon::Exclamation};
    if (points.size() < 2) return Refusal{"A curve needs two points or more.", m_title, MessageIcon::Exclamation};
    for (size_t i = 0; i < points.size(); ++i) {
        if (points[i].at < 0 || points[i].at > kScaleEnd || (i > 0 && points[i].at <= points[i - 1].at))
            return Refusal{"Curve points lie from 0 to 9999, each after the one before.", m_title,
                           MessageIcon::Exclamation};
    }
    if (IEffect* effect = Effect(*profile)) {
        const char* parameter = profile->GetParameterName();
        const double top = effect->PositionToValue(parameter, 0, EffectLevels::kCurveHeight);
        const double bottom = effect->PositionToValue(parameter, EffectLevels::kCurveHeight, EffectLevels::kCurveHeight);
        for (const CurvePoint& point : points) {
            if (!(point.value >= std::min(top, bottom) && point.value <= std::max(top, bottom))) {
                char text[256];
                std::snprintf(text, sizeof text, "%s %s takes values from %g to %g, not %g.", profile->GetEffectName(),
                              parameter, std::min(top, bottom), std::max(top, bottom), point.value);
                return Refusal{text, m_title, MessageIcon::Exclamation};
            }
        }
    } else {
        for (const CurvePoint& point : points)
            if (!std::isfinite(point.value))
                return Refusal{"Curve values are numbers.", m_title, MessageIcon::Exclamation};
    }
    profile->GetCurve().RemoveAll();
    for (size_t i = 0; i + 1 < points.size(); ++i)
        profile->AddPiece(points[i].at, i + 2 == points.size() ? points[i + 1].at : points[i + 1].at - 1,
                          points[i].value, points[i + 1].value);
    return Status::Success();
}

void CApplyEffectsDialog::Reverse() {
    CEffectProfile* profile = Selected();
    if (!profile) return;
    std::vector<CurvePiece> reversed;
    for (auto* n = profile->GetCurve().GetHead(); n; n = n->GetNext()) {
        const CEffect& piece = *n->GetItem();
        reversed.push_back({kScaleEnd - piece.GetEnd(), kScaleEnd - piece.GetStart(), piece.GetEndLevel(),
                            piece.GetStartLevel()});
    }
    profile->GetCurve().RemoveAll();
    std::sort(reversed.begin(), reversed.end(),
              [](const CurvePiece& a, const CurvePiece& b) { return a.start < b.start; });
    for (const CurvePiece& piece : reversed)
        profile->AddPiece(static_cast<int32_t>(piece.start), static_cast<int32_t>(piece.end), piece.from, piece.to);
}

bool CApplyEffectsDialog::AddWaveform() {
    CEffectProfile* profile = Selected();
    if (!m_open || !profile) return false;
    const std::string name = m_waveformText;
    if (name.empty() || BuiltInPresets::IsWaveformName(name)) {
        m_ui.MessageBox("You must specify a new name for the waveform.", "Add Waveform", MessageButtons::Ok,
                        MessageIcon::Error);
        return false;
    }
    auto existing = std::find_if(m_waveforms.begin(), m_waveforms.end(),
                                 [&](const auto& waveform) { return name == waveform->GetName(); });
    if (existing != m_waveforms.end() && !Yes(m_ui, "Replace existing waveform?", "Add Waveform")) return false;
    auto waveform = MakeRef<CEffectProfilePreset>();
    waveform->SetName(name);
    RefPtr<CEffectProfile> shape(profile->Clone());
    const EffectLevels levels(Effect(*profile), profile->GetParameterName());
    for (auto* n = shape->GetCurve().GetHead(); n; n = n->GetNext()) {
        CEffect& piece = *n->GetItem();
        piece.SetStartLevel(levels.ToFraction(piece.GetStartLevel()));
        piece.SetEndLevel(levels.ToFraction(piece.GetEndLevel()));
    }
    waveform->SetProfile(shape.get());
    int index;
    if (existing != m_waveforms.end()) {
        *existing = waveform;
        index = static_cast<int>(existing - m_waveforms.begin());
    } else {
        m_waveforms.push_back(waveform);
        index = static_cast<int>(m_waveforms.size()) - 1;
    }
    ChooseWaveform(index);
    return Save();
}

bool CApplyEffectsDialog::RemoveWaveform() {
    if (m_waveform < 0 || m_waveform >= static_cast<int>(m_waveforms.size())) return false;
    // The four shapes are built each time the dialog opens; they cannot go.
    if (BuiltInPresets::IsWaveformName(m_waveforms[static_cast<size_t>(m_waveform)]->GetName())) return false;
    if (!Yes(m_ui, "Are you sure?", "Remove Waveform")) return false;
    m_waveforms.erase(m_waveforms.begin() + m_waveform);
    m_waveform = 1;
    m_waveformText = m_waveforms[1]->GetName();
    return Save();
}

bool CApplyEffectsDialog::AddProfile() {
    if (!m_open) return false;
    const std::string name = m_profileText;
    if (name.empty() || name == kNoProfile) {
        m_ui.MessageBox("You must specify a name for the profile.", "Add Profile", MessageButtons::Ok,
                        MessageIcon::Error);
        return false;
    }
    if (BuiltInPresets::IsReservedProfileName(name) &&
        !Yes(m_ui,
             "This preset is used to fade between songs by the mixing wizard.\nModifying this preset can cause "
             "improper mixing. Do you wish to continue?",
             "Modify Profile"))
        return false;
    auto existing = std::find_if(m_profiles.begin(), m_profiles.end(),
                                 [&](const auto& profile) { return name == profile->GetName(); });
    if (existing != m_profiles.end() && !Yes(m_ui, "Replace existing profile?", "Add Profile")) return false;
    auto preset = MakeRef<CSegmentDesign>();
    preset->SetName(name);
    for (const auto& profile : m_list) {
        RefPtr<CEffectProfile> copy(profile->Clone());
        preset->GetEffectProfiles().Add(copy.get());
    }
    if (existing != m_profiles.end()) {
        *existing = preset;
        m_profile = static_cast<int>(existing - m_profiles.begin()) + 1;
    } else {
        m_profiles.push_back(preset);
        m_profile = static_cast<int>(m_profiles.size());
    }
    return Save();
}

bool CApplyEffectsDialog::RemoveProfile() {
    if (!m_open || m_profile <= 0 || m_profile > static_cast<int>(m_profiles.size())) return false;
    const std::string name = m_profiles[static_cast<size_t>(m_profile - 1)]->GetName();
    if (BuiltInPresets::IsReservedProfileName(name)) {
        m_ui.MessageBox("This preset can not be removed as it is used by the mixing wizard\nto determine how to fade "
                        "between songs.",
                        "Remove Effect Profile", MessageButtons::Ok, MessageIcon::Error);
        return false;
    }
    if (!Yes(m_ui, "Are you sure?", "Remove Profile")) return false;
    m_profiles.erase(m_profiles.begin() + (m_profile - 1));
    m_profile = 0;
    m_profileText = kNoProfile;
    return Save();
}

bool CApplyEffectsDialog::StoreQuickPreset(int slot) {
    if (slot < 0 || slot >= kQuickPresets) return false;
    m_config.SetEffectPresetName(slot, m_profileText == kNoProfile ? std::string() : m_profileText);
    if (m_config.Save(m_config.ProgramPath("Vantor.cfg"))) return true;
    m_ui.MessageBox("Unable to write the configuration file " + m_config.ProgramPath("Vantor.cfg") + ".", m_title,
                    MessageButtons::Ok, MessageIcon::Error);
    return false;
}

std::string CApplyEffectsDialog::GetQuickPresetCaption(int slot) const {
    const char* name = m_config.GetEffectPresetName(slot);
    return *name ? std::string(name) : "Preset " + std::to_string(slot + 1);
}

Result<int32_t> CApplyEffectsDialog::Ok() {
    if (!m_open) return 0;
    Result<int32_t> applied = 0;
    if (m_state && !m_list.empty()) applied = PresetRange::Apply(*m_state, m_effects, m_track, m_list, m_left, m_right);
    Close();
    return applied;
}

}  // namespace vantor
