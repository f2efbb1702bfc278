#include "configuration_window.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include "platform/midi_port.h"

namespace vantor::gui {

ConfigurationWindow::ConfigurationWindow(CVantorApp& app, QWidget* parent)
    : QDialog(parent), m_dialog(app.MakeConfigurationDialog()),
      m_devices(CConfigurationDialog::ListDevices(EnumerateAudioDevices())) {
    setWindowTitle("Configuration");
    const auto& v = m_dialog->GetValues();
    auto* layout = new QVBoxLayout(this);

    auto* audio = new QGroupBox("Audio");
    auto* audioForm = new QFormLayout(audio);
    m_setDevice = DeviceBox(v.setOutputDevice);
    m_auditionDevice = DeviceBox(v.auditionOutputDevice);
    audioForm->addRow("Set Output Device:", m_setDevice);
    audioForm->addRow("Audition Output Device:", m_auditionDevice);
    m_soundServer = Check("Use Sound Server", v.useSoundServer);
    audioForm->addRow(m_soundServer);
    layout->addWidget(audio);

    auto* midi = new QGroupBox("MIDI Controller");
    auto* midiForm = new QFormLayout(midi);
    m_midiChoices = CConfigurationDialog::ListMidiInputs(MidiPort::ListPorts(), v.midiInputDevice);
    m_midiInput = new QComboBox;
    for (const auto& choice : m_midiChoices) {
        m_midiInput->addItem(QString::fromStdString(choice.text));
        if (choice.device == v.midiInputDevice) m_midiInput->setCurrentIndex(m_midiInput->count() - 1);
    }
    midiForm->addRow("In Device:", m_midiInput);
    layout->addWidget(midi);

    auto* sets = new QGroupBox("Sets and Music");
    auto* form = new QFormLayout(sets);
    m_waveDirectory = new QLineEdit(QString::fromStdString(v.waveDirectory));
    form->addRow("Default Wave Directory:", m_waveDirectory);
    m_tracks = new QSpinBox;
    m_tracks->setRange(0, 99);
    m_tracks->setValue(static_cast<int>(v.numberOfTracks));
    form->addRow("Number of Tracks:", m_tracks);
    m_referencePoint = new QLineEdit(QString::fromStdString(v.referencePoint));
    form->addRow("Reference Point:", m_referencePoint);
    m_maxTitles = new QLineEdit(QString::fromStdString(v.maxLatestTitles));
    form->addRow("Maximum Latest Titles:", m_maxTitles);
    m_effectsDirectory = new QLineEdit(QString::fromStdString(v.effectsDirectory));
    m_effectsDirectory->setMinimumWidth(320);
    form->addRow("Effects Directory:", m_effectsDirectory);
    layout->addWidget(sets);

    auto* options = new QGroupBox("Options");
    auto* grid = new QGridLayout(options);
    m_fillFromFileName = Check("Fill From File Name", v.fillFromFileName);
    m_roundTempo = Check("Round Tempo", v.roundTempo);
    m_normalization = Check("Normalization", v.normalization);
    m_deleteSummaries = Check("Delete Summaries", v.deleteSummaries);
    m_hidePrivate = Check("Hide Private Music", v.hidePrivateMusic);
    m_generateSummaries = Check("Generate Summaries", v.generateSummaries);
    m_decodeMp3 = Check("Decode MP3 Files", v.decodeMp3);
    const QList<QCheckBox*> boxes = {m_fillFromFileName, m_roundTempo,       m_normalization, m_deleteSummaries,
                                     m_hidePrivate,      m_generateSummaries, m_decodeMp3};
    for (int i = 0; i < boxes.size(); ++i) grid->addWidget(boxes[i], i / 2, i % 2);
    layout->addWidget(options);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QComboBox* ConfigurationWindow::DeviceBox(const DeviceId& configured) {
    auto* box = new QComboBox;
    for (const auto& choice : m_devices) box->addItem(QString::fromStdString(choice.text));
    box->setCurrentIndex(CConfigurationDialog::SelectDevice(m_devices, configured));
    return box;
}

QCheckBox* ConfigurationWindow::Check(const char* text, bool on) {
    auto* box = new QCheckBox(text);
    box->setChecked(on);
    return box;
}

DeviceId ConfigurationWindow::ChosenDevice(const QComboBox* box,
                                           const std::vector<CConfigurationDialog::DeviceChoice>& choices) {
    const int index = box->currentIndex();
    if (index < 0 || index >= static_cast<int>(choices.size())) return DeviceId{};
    return choices[static_cast<size_t>(index)].id.value_or(DeviceId{});
}

void ConfigurationWindow::accept() {
    auto& v = m_dialog->GetValues();
    v.setOutputDevice = ChosenDevice(m_setDevice, m_devices);
    v.auditionOutputDevice = ChosenDevice(m_auditionDevice, m_devices);
    if (const int midi = m_midiInput->currentIndex(); midi >= 0 && midi < static_cast<int>(m_midiChoices.size()))
        v.midiInputDevice = m_midiChoices[static_cast<size_t>(midi)].device;
    v.waveDirectory = m_waveDirectory->text().toStdString();
    v.fillFromFileName = m_fillFromFileName->isChecked();
    v.roundTempo = m_roundTempo->isChecked();
    v.numberOfTracks = m_tracks->value();
    v.referencePoint = m_referencePoint->text().toStdString();
    v.normalization = m_normalization->isChecked();
    v.maxLatestTitles = m_maxTitles->text().toStdString();
    v.deleteSummaries = m_deleteSummaries->isChecked();
    v.hidePrivateMusic = m_hidePrivate->isChecked();
    v.generateSummaries = m_generateSummaries->isChecked();
    v.decodeMp3 = m_decodeMp3->isChecked();
    v.useSoundServer = m_soundServer->isChecked();
    v.effectsDirectory = m_effectsDirectory->text().toStdString();
    if (m_dialog->OnOK()) QDialog::accept();
}

}  // namespace vantor::gui
