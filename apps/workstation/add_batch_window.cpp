#include "add_batch_window.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantor::gui {

AddBatchWindow::AddBatchWindow(CVantorApp& app, QWidget* parent)
    : QDialog(parent), m_dialog(app.MakeAddBatchDialog()) {
    setWindowTitle(CAddBatchDialog::kTitle);
    const auto& settings = m_dialog->Settings();
    auto* layout = new QVBoxLayout(this);
    auto* location = new QGroupBox("Location");
    auto* locationRow = new QHBoxLayout(location);
    m_local = new QRadioButton("Local");
    m_archive = new QRadioButton("Archive");
    (settings.location == BatchAddSettings::Location::Local ? m_local : m_archive)->setChecked(true);
    locationRow->addWidget(m_local);
    locationRow->addWidget(m_archive);
    layout->addWidget(location);

    auto* form = new QFormLayout;
    m_archiveName = new QLineEdit(QString::fromStdString(settings.archiveName));
    form->addRow("Archive Name:", m_archiveName);
    m_volumeLabel = new QCheckBox("Volume Label");
    m_volumeLabel->setChecked(settings.useVolumeLabel);
    form->addRow(m_volumeLabel);
    m_waveDirectory = new QLineEdit(QString::fromStdString(settings.localWaveDirectory));
    m_waveDirectory->setMinimumWidth(320);
    form->addRow("Local Wave Dir:", m_waveDirectory);
    m_fillFromFileName = new QCheckBox("Fill From File Name");
    m_fillFromFileName->setChecked(settings.fillFromFileName);
    form->addRow(m_fillFromFileName);
    layout->addLayout(form);

    m_results = new QListWidget;
    layout->addWidget(m_results);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    auto* start = buttons->addButton("Start", QDialogButtonBox::ActionRole);
    connect(start, &QPushButton::clicked, this, [this] {
        Push();
        Show(m_dialog->Start());
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

BatchAddOutcome AddBatchWindow::AddFiles(const std::vector<std::string>& files) {
    Push();
    BatchAddOutcome outcome = m_dialog->AddFiles(files);
    Show(outcome);
    return outcome;
}

void AddBatchWindow::Push() {
    auto& settings = m_dialog->Settings();
    settings.location = m_archive->isChecked() ? BatchAddSettings::Location::Archive : BatchAddSettings::Location::Local;
    settings.useVolumeLabel = m_volumeLabel->isChecked();
    settings.archiveName = m_archiveName->text().toStdString();
    settings.localWaveDirectory = m_waveDirectory->text().toStdString();
    settings.fillFromFileName = m_fillFromFileName->isChecked();
}

void AddBatchWindow::Show(const BatchAddOutcome& outcome) {
    m_results->clear();
    for (const auto& key : outcome.added) m_results->addItem("Added: " + QString::fromStdString(key));
    for (const auto& key : outcome.skipped) m_results->addItem("Already stored: " + QString::fromStdString(key));
    for (const auto& [file, refusal] : outcome.refused)
        m_results->addItem("Refused: " + QString::fromStdString(file) + " - " + QString::fromStdString(refusal.text));
}

}  // namespace vantor::gui
