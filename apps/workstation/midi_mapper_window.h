#pragma once

#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <chrono>
#include <map>
#include <optional>

#include "shell/vantor_app.h"
#include "views/midi_control_mapper_view.h"

namespace vantor::gui {

// "MIDI Control Mapper": the bindings of the app's three controller maps,
// one line each, and the fields that add one. "Add" and "Remove" act on
// the maps at once; "OK" stores them in "MIDI.MAP", "Cancel" (and closing)
// reads that file back. "Learn" takes channel and control number from the
// next controller moved, waiting in short turns so the window stays live.
class MidiMapperWindow : public QDialog {
public:
    static constexpr std::chrono::milliseconds kLearnTime{10000};

    // The app must be started: its controller bindings exist.
    MidiMapperWindow(CVantorApp& app, QWidget* parent = nullptr);

    CMIDIControlMapperView& View() { return m_view; }
    QTreeWidget* Lines() const { return m_lines; }
    QLineEdit* Field(const QString& name) const { return m_fields.at(name); }
    QRadioButton* KindButton(CMIDIControlMapperView::Kind kind) const { return m_kinds.at(kind); }
    QComboBox* Effects() const { return m_effects; }
    QPushButton* Button(const QString& text) const { return m_buttons.at(text); }

    bool IsLearning() const { return m_learn.isActive(); }
    // How long "Learn" waits for a controller.
    void SetLearnTime(std::chrono::milliseconds time) { m_learnTime = time; }

    void reject() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Add();
    void Remove();
    void Ok();
    void StartLearning();
    void LearnTurn();
    void StopLearning();
    void TellServerHoldsInput();
    // The typed number of a field, or nothing after telling the user.
    std::optional<int32_t> Number(const QString& name);
    // The fields and the list from the view.
    void Pull();
    void FillLines();
    void ChooseKind(CMIDIControlMapperView::Kind kind);

    CVantorApp& m_app;
    CMIDIControlMapperView m_view;
    QTreeWidget* m_lines = nullptr;
    QComboBox* m_effects = nullptr;
    std::map<QString, QLineEdit*> m_fields;
    std::map<CMIDIControlMapperView::Kind, QRadioButton*> m_kinds;
    std::map<QString, QPushButton*> m_buttons;
    QTimer m_learn;
    QElapsedTimer m_learning;
    std::chrono::milliseconds m_learnTime = kLearnTime;
};

}  // namespace vantor::gui
