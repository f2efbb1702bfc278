#include "views/insert_segment_dialog.h"

#include <cstdio>

namespace vantor {

namespace {
std::string TempoText(double tempo) {
    char text[64];
    std::snprintf(text, sizeof text, "%3.2f", tempo);
    return text;
}
}  // namespace

CInsertSegmentDialog::CInsertSegmentDialog(InsertChoices choices)
    : m_choices(std::move(choices)), m_choice(m_choices.defaultChoice) {}

std::string CInsertSegmentDialog::GetSegmentTempoText() const { return TempoText(m_choices.segmentTempo); }
std::string CInsertSegmentDialog::GetInsertTempoText() const { return TempoText(m_choices.insertTempo); }
std::string CInsertSegmentDialog::GetPositionText() const {
    return std::to_string(static_cast<uint32_t>(m_choices.position));
}

bool CInsertSegmentDialog::IsAvailable(InsertChoice choice) const {
    switch (choice) {
        case InsertChoice::MixInto: return m_choices.mixAvailable;
        case InsertChoice::Resample: return m_choices.resampleAvailable;
        case InsertChoice::SplitTempo: return m_choices.splitAvailable;
        case InsertChoice::Nothing: return true;
    }
    return false;
}

bool CInsertSegmentDialog::Choose(InsertChoice choice) {
    if (!IsAvailable(choice)) return false;
    m_choice = choice;
    return true;
}

bool CInsertSegmentDialog::ChooseMixTarget(int index) {
    if (!m_choices.mixAvailable || index < 0 || index >= static_cast<int>(m_choices.mixTargets.size())) return false;
    m_mixTarget = index;
    m_choice = InsertChoice::MixInto;
    return true;
}

}  // namespace vantor
