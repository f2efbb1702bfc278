#include "views/track_effects_dialog.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "engine/effect_manager_impl.h"
#include "model/music_set.h"

namespace vantor {

namespace {

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string Label(const CEffectProfile& profile) {
    return std::string(profile.GetEffectName()) + "/" + profile.GetParameterName();
}

}  // namespace

bool CTrackEffectsDialog::Open(CTrack* track) {
    Close();
    if (!track) return false;
    m_track = RefPtr<CTrack>(track);
    auto& profiles = track->GetTrackEffects();
    std::lock_guard lock(profiles.Lock());
    for (int32_t i = 0; i < profiles.GetCount(); ++i) {
        RefPtr<CEffectProfile> copy(profiles.GetAt(i)->Clone());
        m_rows.push_back({Label(*copy), copy, Effect(*copy) != nullptr});
    }
    if (!m_rows.empty()) SelectRow(0);
    return true;
}

void CTrackEffectsDialog::Close() {
    m_rows.clear();
    m_track.reset();
    m_selected = -1;
    m_position = 0;
    m_valueText.clear();
}

IEffect* CTrackEffectsDialog::Effect(const CEffectProfile& profile) const {
    return m_effects ? m_effects->FindEffect(profile.GetEffectName()) : nullptr;
}

bool CTrackEffectsDialog::IsSliderEnabled() const {
    return m_selected >= 0 && m_rows[static_cast<size_t>(m_selected)].registered;
}

double CTrackEffectsDialog::GetValue() const {
    if (m_selected < 0) return 0.0;
    const CEffectProfile& profile = *m_rows[static_cast<size_t>(m_selected)].profile;
    auto* head = profile.GetCurve().GetHead();
    if (head) return head->GetItem()->GetStartLevel();
    IEffect* effect = Effect(profile);
    return effect ? effect->GetDefaultValue(profile.GetParameterName()) : 0.0;
}

void CTrackEffectsDialog::ShowSelected() {
    m_position = 0;
    m_valueText.clear();
    if (m_selected < 0) return;
    const CEffectProfile& profile = *m_rows[static_cast<size_t>(m_selected)].profile;
    const double value = GetValue();
    if (IEffect* effect = Effect(profile)) {
        m_position = std::clamp(effect->ValueToPosition(profile.GetParameterName(), value, kSliderRange), 0, kSliderRange);
        char text[kEffectTextCapacity] = {};
        m_valueText = effect->FormatValue(profile.GetParameterName(), value, text);
    } else {
        char text[64];
        std::snprintf(text, sizeof text, "%g", value);
        m_valueText = text;
    }
}

void CTrackEffectsDialog::SelectRow(int row) {
    if (row < 0 || row >= static_cast<int>(m_rows.size())) return;
    m_selected = row;
    ShowSelected();
}

void CTrackEffectsDialog::MoveSlider(int steps) {
    if (!IsSliderEnabled()) return;
    CEffectProfile& profile = *m_rows[static_cast<size_t>(m_selected)].profile;
    IEffect* effect = Effect(profile);
    m_position = std::clamp(m_position + steps, 0, kSliderRange);
    const double value = effect->PositionToValue(profile.GetParameterName(), m_position, kSliderRange);
    auto* head = profile.GetCurve().GetHead();
    if (!head) {
        profile.AddPiece(0, 0, value, value);
    } else {
        head->GetItem()->SetStartLevel(value);
        head->GetItem()->SetEndLevel(value);
    }
    char text[kEffectTextCapacity] = {};
    m_valueText = effect->FormatValue(profile.GetParameterName(), value, text);
}

std::vector<std::pair<std::string, std::vector<std::string>>> CTrackEffectsDialog::GetEffectChoices() const {
    if (!m_effects) return {};
    return m_effects->ListEffectChoices();
}

bool CTrackEffectsDialog::Add(const std::string& effectName, const std::string& parameterName) {
    if (!m_track) return false;
    for (const Row& row : m_rows) {
        if (SameName(row.profile->GetEffectName(), effectName) && SameName(row.profile->GetParameterName(), parameterName)) {
            m_ui.MessageBox("That effect has already been added to this track.", "Add Effect", MessageButtons::Ok,
                            MessageIcon::Error);
            return false;
        }
    }
    auto profile = MakeRef<CEffectProfile>();
    profile->SetEffectName(effectName);
    profile->SetParameterName(parameterName);
    IEffect* effect = Effect(*profile);
    if (!effect) return false;  // an effect type no plug-in registered
    const double value = effect->GetDefaultValue(profile->GetParameterName());
    profile->AddPiece(0, 0, value, value);
    m_rows.push_back({Label(*profile), profile, true});
    SelectRow(static_cast<int>(m_rows.size()) - 1);
    return true;
}

void CTrackEffectsDialog::Remove() {
    if (m_selected < 0) return;
    m_rows.erase(m_rows.begin() + m_selected);
    if (m_rows.empty()) {
        m_selected = -1;
        ShowSelected();
        return;
    }
    SelectRow(std::max(0, m_selected - 1));
}

void CTrackEffectsDialog::Ok() {
    if (!m_track) return;
    auto& profiles = m_track->GetTrackEffects();
    {
        std::lock_guard lock(profiles.Lock());
        profiles.RemoveAll();
        for (const Row& row : m_rows) profiles.Add(row.profile.get());
    }
    if (CMusicSet* set = m_track->GetOwner()) set->SetModified(true);
    Close();
}

}  // namespace vantor
