#include "qt_user_interface.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QStringList>
#include <algorithm>

namespace vantor::gui {

namespace {

QMessageBox::Icon QtIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information: return QMessageBox::Information;
        case MessageIcon::Question: return QMessageBox::Question;
        case MessageIcon::Exclamation: return QMessageBox::Warning;
        case MessageIcon::Error: return QMessageBox::Critical;
        case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons QtButtons(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
        case MessageButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
        case MessageButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MessageButtons::Ok: break;
    }
    return QMessageBox::Ok;
}

}  // namespace

MessageAnswer QtUserInterface::MessageBox(const std::string& text, const std::string& caption,
                                          MessageButtons buttons, MessageIcon icon) {
    m_shown.push_back({text, caption});
    QMessageBox box(QtIcon(icon), QString::fromStdString(caption), QString::fromStdString(text),
                    QtButtons(buttons), m_parent);
    switch (box.exec()) {
        case QMessageBox::Ok: return MessageAnswer::Ok;
        case QMessageBox::Yes: return MessageAnswer::Yes;
        case QMessageBox::No: return MessageAnswer::No;
        default: break;
    }
    // Closing the box is the answer that changes nothing.
    return buttons == MessageButtons::Ok ? MessageAnswer::Ok
           : buttons == MessageButtons::YesNo ? MessageAnswer::No
                                              : MessageAnswer::Cancel;
}

QString QtUserInterface::QtFilter(const std::string& filter) {
    QStringList parts = QString::fromStdString(filter).split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) break;
        QString pattern = parts[i + 1];
        pattern.replace(';', ' ');
        filters << (parts[i].contains(pattern) ? parts[i] : parts[i] + " (" + pattern + ")");
    }
    return filters.join(";;");
}

std::vector<std::string> QtUserInterface::ChooseOpenFiles(const FileChoice& choice) {
    const QString title = QString::fromStdString(choice.title);
    const QString start = QString::fromStdString(choice.initialPath);
    std::vector<std::string> paths;
    if (choice.multiple) {
        for (const QString& path : QFileDialog::getOpenFileNames(m_parent, title, start, QtFilter(choice.filter)))
            paths.push_back(path.toStdString());
    } else {
        const QString path = QFileDialog::getOpenFileName(m_parent, title, start, QtFilter(choice.filter));
        if (!path.isEmpty()) paths.push_back(path.toStdString());
    }
    return paths;
}

std::optional<std::string> QtUserInterface::ChooseSaveFile(const FileChoice& choice) {
    QFileDialog dialog(m_parent, QString::fromStdString(choice.title), QString::fromStdString(choice.initialPath),
                       QtFilter(choice.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    QString suffix = QString::fromStdString(choice.defaultExtension);
    if (suffix.startsWith('.')) suffix.remove(0, 1);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
}

std::optional<std::string> QtUserInterface::PromptText(const std::string& prompt, const std::string& initial) {
    bool ok = false;
    const QString text = QInputDialog::getText(m_parent, QApplication::applicationDisplayName(),
                                               QString::fromStdString(prompt), QLineEdit::Normal,
                                               QString::fromStdString(initial), &ok);
    if (!ok) return std::nullopt;
    return text.toStdString();
}

void QtUserInterface::SetStatusBar(QStatusBar* bar) {
    m_statusBar = bar;
    m_progressLabel = new QLabel;
    m_progress = new QProgressBar;
    m_progress->setRange(0, 100);
    m_progress->setMaximumWidth(220);
    bar->addPermanentWidget(m_progressLabel);
    bar->addPermanentWidget(m_progress);
    m_progressLabel->hide();
    m_progress->hide();
}

void QtUserInterface::ShowProgress(const std::string& label, int percent) {
    if (!m_progress || !m_progressLabel) return;
    m_progressLabel->setText(QString::fromStdString(label));
    m_progress->setValue(std::clamp(percent, 0, 100));
    m_progressLabel->show();
    m_progress->show();
    // Work that reports from the user interface thread still repaints.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtUserInterface::EndProgress() {
    if (m_progress) m_progress->hide();
    if (m_progressLabel) m_progressLabel->hide();
}

}  // namespace vantor::gui
