#include "views/create_mixing_design_dialog.h"

#include "platform/user_interface.h"

namespace vantor {

bool CCreateMixingDesignDialog::ChoosePrimary(int row) {
    if (row < 0 || row >= static_cast<int>(m_candidates.size())) return false;
    m_primary = row;
    return true;
}

bool CCreateMixingDesignDialog::SetType(Type type) {
    if (type == Type::MixIn) return false;
    m_type = type;
    return true;
}

bool CCreateMixingDesignDialog::Ok() {
    if (!m_name.empty()) return true;
    m_ui.MessageBox("Specify a name for this mixing design.", kCaption, MessageButtons::Ok, MessageIcon::Exclamation);
    return false;
}

}  // namespace vantor
