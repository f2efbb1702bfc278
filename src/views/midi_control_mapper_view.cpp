#include "views/midi_control_mapper_view.h"

#include <algorithm>

#include "control/sample_bank.h"
#include "engine/effect_manager_impl.h"

namespace vantor {

namespace {

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

Refusal FieldRefusal(const std::string& text) { return Refusal{text, CMIDIControlMapperView::kTitle}; }

}  // namespace

CMIDIControlMapperView::CMIDIControlMapperView(IUserInterface& ui, CMIDIBindings& bindings,
                                               CEffectManagerImpl* effects, std::string mapPath, CMIDIInput* input)
    : m_ui(ui), m_bindings(bindings), m_effects(effects), m_mapPath(std::move(mapPath)), m_input(input) {}

void CMIDIControlMapperView::Open() {
    m_effectEntries.clear();
    if (m_effects)
        for (const auto& [effect, parameters] : m_effects->ListEffectChoices())
            for (const auto& parameter : parameters) m_effectEntries.push_back(effect + "/" + parameter);
    m_effect = m_effectEntries.empty() ? -1 : 0;
    channel = 0;
    controlNumber = 0;
    trackNumber = 1;
    triggerSample = 1;
    volumeSample = 1;
    m_kind = Kind::TrackEffect;
    Rebuild();
}

std::vector<CMIDIControlMapperView::Column> CMIDIControlMapperView::GetColumns() {
    return {{"Chnl #", 10}, {"Ctrl #", 10}, {"Description", 80}};
}

bool CMIDIControlMapperView::SelectEffect(int index) {
    if (index < 0 || index >= static_cast<int>(m_effectEntries.size())) return false;
    m_effect = index;
    return true;
}

bool CMIDIControlMapperView::IsEnabled(Field field) const {
    switch (field) {
        case Field::TrackNumber:
        case Field::EffectBox: return m_kind == Kind::TrackEffect;
        case Field::TriggerSample: return m_kind == Kind::TriggerSample;
        case Field::VolumeSample: return m_kind == Kind::SampleVolume;
    }
    return false;
}

void CMIDIControlMapperView::Rebuild() {
    m_lines.clear();
    for (const auto& b : m_bindings.TrackEffects().GetBindings())
        m_lines.push_back({b.channel, b.controller,
                           b.effect.str() + "/" + b.parameter.str() + " on track " +
                               std::to_string(static_cast<uint32_t>(b.track)),
                           Kind::TrackEffect, 0});
    for (const auto& b : m_bindings.Triggers().GetBindings())
        m_lines.push_back({b.channel, b.controller, "Sample #" + std::to_string(static_cast<uint32_t>(b.sampleNumber)),
                           Kind::TriggerSample, b.triggerValue});
    for (const auto& b : m_bindings.Volumes().GetBindings())
        m_lines.push_back({b.channel, b.controller,
                           "Sample Volume #" + std::to_string(static_cast<uint32_t>(b.slot + 1)), Kind::SampleVolume,
                           0});
    std::stable_sort(m_lines.begin(), m_lines.end(),
                     [](const Line& a, const Line& b) { return a.Order() < b.Order(); });
}

Status CMIDIControlMapperView::Add() {
    if (!CMIDIInput::IsCell(channel, controlNumber))
        return FieldRefusal("The channel runs from 0 to 7 and the control number from 0 to 127.");
    switch (m_kind) {
        case Kind::TrackEffect: {
            if (m_effect < 0) return FieldRefusal("There is no effect to bind.");
            if (trackNumber < 1) return FieldRefusal("Tracks are counted from 1.");
            const std::string& text = m_effectEntries[static_cast<size_t>(m_effect)];
            const auto slash = text.find('/');
            const std::string effect = Trim(text.substr(0, slash));
            const std::string parameter = slash == std::string::npos ? std::string() : Trim(text.substr(slash + 1));
            m_bindings.TrackEffects().Add(channel, controlNumber, trackNumber, effect, parameter);
            break;
        }
        case Kind::TriggerSample:
            if (triggerSample < 1 || triggerSample > CSampleBank::kTriggerSlots)
                return FieldRefusal("The sample number runs from 1 to 8.");
            m_bindings.Triggers().Add(channel, controlNumber, CSampleTriggerMap::kTriggerValue, triggerSample);
            break;
        case Kind::SampleVolume:
            if (volumeSample < 1 || volumeSample > CSampleBank::kSlotCount)
                return FieldRefusal("The sample number runs from 1 to 9.");
            m_bindings.Volumes().Add(channel, controlNumber, volumeSample - 1);
            break;
    }
    Rebuild();
    return Status::Success();
}

bool CMIDIControlMapperView::Remove(int line) {
    if (line < 0 || line >= static_cast<int>(m_lines.size())) return false;
    const Line& chosen = m_lines[static_cast<size_t>(line)];
    switch (chosen.kind) {
        case Kind::TrackEffect: m_bindings.TrackEffects().Remove(chosen.channel, chosen.controller); break;
        case Kind::TriggerSample:
            m_bindings.Triggers().Remove(chosen.channel, chosen.controller, chosen.triggerValue);
            break;
        case Kind::SampleVolume: m_bindings.Volumes().Remove(chosen.channel, chosen.controller); break;
    }
    Rebuild();
    return true;
}

bool CMIDIControlMapperView::Learn(std::chrono::milliseconds timeout) {
    if (!m_input) return false;
    auto moved = m_input->WaitForController(timeout);
    if (!moved) return false;
    channel = moved->channel;
    controlNumber = moved->controller;
    return true;
}

bool CMIDIControlMapperView::Ok() {
    if (m_bindings.Save(m_mapPath)) return true;
    m_ui.MessageBox("The MIDI map could not be written to \"" + m_mapPath + "\".", kTitle, MessageButtons::Ok,
                    MessageIcon::Error);
    return false;
}

void CMIDIControlMapperView::Cancel() {
    m_bindings.Load(m_mapPath);
    Rebuild();
}

}  // namespace vantor
