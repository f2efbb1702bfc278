#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QSpinBox>
#include <memory>
#include <vector>

#include "shell/vantor_app.h"
#include "views/configuration_dialog.h"

namespace vantor::gui {

// "Configuration": the controls of the configuration dialog; OK hands them
// to it and closes only when it stored them.
class ConfigurationWindow : public QDialog {
public:
    ConfigurationWindow(CVantorApp& app, QWidget* parent);

    CConfigurationDialog& Dialog() { return *m_dialog; }
    QSpinBox* Tracks() const { return m_tracks; }
    QComboBox* SetDevice() const { return m_setDevice; }
    QComboBox* AuditionDevice() const { return m_auditionDevice; }
    QCheckBox* SoundServer() const { return m_soundServer; }
    QComboBox* MidiInput() const { return m_midiInput; }
    QLineEdit* EffectsDirectory() const { return m_effectsDirectory; }
    QLineEdit* ReferencePoint() const { return m_referencePoint; }

    void accept() override;

private:
    QComboBox* DeviceBox(const DeviceId& configured);
    QCheckBox* Check(const char* text, bool on);
    static DeviceId ChosenDevice(const QComboBox* box, const std::vector<CConfigurationDialog::DeviceChoice>& choices);

    std::unique_ptr<CConfigurationDialog> m_dialog;
    std::vector<CConfigurationDialog::DeviceChoice> m_devices;
    QComboBox* m_setDevice;
    QComboBox* m_auditionDevice;
    std::vector<CConfigurationDialog::MidiChoice> m_midiChoices;
    QComboBox* m_midiInput;
    QLineEdit* m_waveDirectory;
    QCheckBox* m_fillFromFileName;
    QCheckBox* m_roundTempo;
    QSpinBox* m_tracks;
    QLineEdit* m_referencePoint;
    QCheckBox* m_normalization;
    QLineEdit* m_maxTitles;
    QCheckBox* m_deleteSummaries;
    QCheckBox* m_hidePrivate;
    QCheckBox* m_generateSummaries;
    QCheckBox* m_decodeMp3;
    QCheckBox* m_soundServer;
    QLineEdit* m_effectsDirectory;
};

}  // namespace vantor::gui
