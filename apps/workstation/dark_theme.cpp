#include "dark_theme.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

namespace vantor::gui {

void ApplyDarkTheme(QApplication& application) {
    application.setStyle(QStyleFactory::create("Fusion"));
    QPalette palette;
    const QColor window(37, 39, 44);
    const QColor base(26, 28, 32);
    const QColor text(226, 228, 232);
    const QColor accent(52, 152, 219);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, QColor(33, 35, 40));
    palette.setColor(QPalette::ToolTipBase, QColor(250, 250, 235));
    palette.setColor(QPalette::ToolTipText, QColor(20, 20, 20));
    palette.setColor(QPalette::PlaceholderText, QColor(140, 144, 150));
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(48, 51, 57));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, QColor(255, 90, 90));
    palette.setColor(QPalette::Link, accent);
    palette.setColor(QPalette::Highlight, accent);
    palette.setColor(QPalette::HighlightedText, QColor(255, 255, 255));
    palette.setColor(QPalette::Light, QColor(70, 73, 80));
    palette.setColor(QPalette::Midlight, QColor(58, 61, 67));
    palette.setColor(QPalette::Mid, QColor(44, 46, 52));
    palette.setColor(QPalette::Dark, QColor(20, 21, 24));
    palette.setColor(QPalette::Shadow, QColor(10, 10, 12));
    const QColor disabled(128, 132, 138);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, disabled);
    palette.setColor(QPalette::Disabled, QPalette::Text, disabled);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, disabled);
    palette.setColor(QPalette::Disabled, QPalette::HighlightedText, disabled);
    application.setPalette(palette);
    application.setStyleSheet("QMdiArea { background: #15161a; }"
                              "QToolTip { color: #141414; background-color: #fafaeb; border: 1px solid #888; }"
                              "QHeaderView::section { background-color: #30333a; color: #e2e4e8; padding: 3px; "
                              "border: 0px; border-right: 1px solid #202226; }");
}

}  // namespace vantor::gui
