#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include "mix_waveform_widget.h"
#include "views/mixing_helper_view.h"

namespace vantor::gui {

// "Mixing Helper" over its view: song 1's waveform above song 2's, each
// with its cue point list, "+" and "-"; the "R" slider beside waveform 2;
// Show and Audition; the join (cut or mix with fades in bars, optionally
// marked by a tempo change); OK mixes and closes unless the mix was
// refused, Cancel closes.
class MixingHelperWindow : public QDialog {
public:
    MixingHelperWindow(CMixingHelperView& view, QWidget* parent = nullptr);

    CMixingHelperView& View() { return m_view; }
    MixWaveformWidget* Waveform(int song) const { return m_waves[song == 1 ? 1 : 0]; }
    QComboBox* CueList(int song) const { return m_cues[song == 1 ? 1 : 0]; }
    QSlider* TuneSlider() const { return m_tune; }
    QPushButton* AuditionButton() const { return m_audition; }
    QRadioButton* CutButton() const { return m_cut; }
    QRadioButton* MixButton() const { return m_mix; }
    QCheckBox* EnableFades() const { return m_enable; }
    QLineEdit* FadeIn() const { return m_fadeIn; }
    QLineEdit* Hold() const { return m_hold; }
    QLineEdit* FadeOut() const { return m_fadeOut; }
    QCheckBox* MarkTempo() const { return m_mark; }
    QPushButton* OkButton() const { return m_ok; }

    void done(int result) override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* CueRow(int song);
    void FillCues(int song);
    void AddCue(int song);
    void RemoveCue(int song);
    void Repaint();
    void Confirm();

    CMixingHelperView& m_view;
    MixWaveformWidget* m_waves[2] = {};
    QComboBox* m_cues[2] = {};
    QSlider* m_tune = nullptr;
    QPushButton* m_audition = nullptr;
    QRadioButton* m_cut = nullptr;
    QRadioButton* m_mix = nullptr;
    QCheckBox* m_enable = nullptr;
    QLineEdit* m_fadeIn = nullptr;
    QLineEdit* m_hold = nullptr;
    QLineEdit* m_fadeOut = nullptr;
    QCheckBox* m_mark = nullptr;
    QPushButton* m_ok = nullptr;
};

}  // namespace vantor::gui
