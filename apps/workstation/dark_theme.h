#pragma once

class QApplication;

namespace vantor::gui {

// The workstation's dark look: the Fusion style with a dark palette whose
// text keeps a strong contrast, including disabled items and tool tips.
void ApplyDarkTheme(QApplication& application);

}  // namespace vantor::gui
