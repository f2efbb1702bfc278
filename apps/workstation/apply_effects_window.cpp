#include "apply_effects_window.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>

namespace vantor::gui {

namespace {
void Fill(QListWidget* list, const std::vector<std::string>& names, int selected) {
    const QSignalBlocker block(list);
    list->clear();
    for (const std::string& name : names) list->addItem(QString::fromStdString(name));
    list->setCurrentRow(selected);
}
}  // namespace

ApplyEffectsWindow::ApplyEffectsWindow(CApplyEffectsDialog& dialog, CEffectManagerImpl* effects, int32_t sampleRate,
                                       QWidget* parent)
    : QDialog(parent), m_dialog(dialog), m_rate(sampleRate) {
    setWindowTitle(QString::fromStdString(dialog.GetTitle()));
    m_choices = dialog.GetEffectChoices();
    auto* layout = new QVBoxLayout(this);
    auto* lists = new QGridLayout;
    auto button = [this](const QString& text, std::function<void()> run) {
        auto* b = new QPushButton(text);
        connect(b, &QPushButton::clicked, this, [this, run = std::move(run)] {
            Push();
            run();
            Pull();
        });
        return b;
    };

    // Profile presets.
    lists->addWidget(new QLabel("Profile:"), 0, 0);
    m_profiles = new QListWidget;
    lists->addWidget(m_profiles, 1, 0);
    m_profileName = new QLineEdit;
    lists->addWidget(m_profileName, 2, 0);
    auto* profileButtons = new QHBoxLayout;
    profileButtons->addWidget(button("Add", [this] { m_dialog.AddProfile(); }));
    profileButtons->addWidget(button("Remove", [this] { m_dialog.RemoveProfile(); }));
    lists->addLayout(profileButtons, 3, 0);

    // The chosen profile's effects.
    lists->addWidget(new QLabel("Effects:"), 0, 1);
    m_effects = new QListWidget;
    lists->addWidget(m_effects, 1, 1);
    auto* choose = new QHBoxLayout;
    m_effect = new QComboBox;
    m_parameter = new QComboBox;
    for (const auto& choice : m_choices) m_effect->addItem(QString::fromStdString(choice.first));
    choose->addWidget(m_effect, 1);
    choose->addWidget(m_parameter, 1);
    lists->addLayout(choose, 2, 1);
    auto* effectButtons = new QHBoxLayout;
    effectButtons->addWidget(button("Add", [this] {
        m_dialog.AddEffect(m_effect->currentText().toStdString(), m_parameter->currentText().toStdString());
    }));
    effectButtons->addWidget(button("Remove", [this] { m_dialog.RemoveEffect(); }));
    lists->addLayout(effectButtons, 3, 1);

    // Waveform shapes.
    lists->addWidget(new QLabel("Waveform:"), 0, 2);
    m_waveforms = new QListWidget;
    lists->addWidget(m_waveforms, 1, 2);
    m_waveformName = new QLineEdit;
    lists->addWidget(m_waveformName, 2, 2);
    auto* waveformButtons = new QHBoxLayout;
    waveformButtons->addWidget(button("Add", [this] { m_dialog.AddWaveform(); }));
    waveformButtons->addWidget(button("Remove", [this] { m_dialog.RemoveWaveform(); }));
    waveformButtons->addWidget(button("Reverse", [this] { m_dialog.Reverse(); }));
    lists->addLayout(waveformButtons, 3, 2);
    layout->addLayout(lists);

    auto* curve = new QHBoxLayout;
    m_curve = new EffectCurveWidget(effects);
    curve->addWidget(m_curve, 3);
    m_preview = new QTableWidget(0, 4);
    m_preview->setHorizontalHeaderLabels({"Start", "End", "From", "To"});
    m_preview->verticalHeader()->hide();
    m_preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_preview->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    curve->addWidget(m_preview, 2);
    layout->addLayout(curve, 1);

    auto* presets = new QHBoxLayout;
    presets->addWidget(new QLabel("Quick presets:"));
    for (int slot = 0; slot < CApplyEffectsDialog::kQuickPresets; ++slot) {
        auto* preset = button(QString::number(slot + 1), [this, slot] { m_dialog.StoreQuickPreset(slot); });
        preset->setMaximumWidth(36);
        m_presets.push_back(preset);
        presets->addWidget(preset);
        auto* caption = new QLabel;
        m_presetCaptions.push_back(caption);
        presets->addWidget(caption);
        presets->addSpacing(8);
    }
    presets->addStretch();
    layout->addLayout(presets);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    layout->addWidget(buttons);

    connect(m_effect, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_parameter->clear();
        if (index < 0 || index >= static_cast<int>(m_choices.size())) return;
        for (const std::string& name : m_choices[static_cast<size_t>(index)].second)
            m_parameter->addItem(QString::fromStdString(name));
    });
    m_effect->setCurrentIndex(-1);
    m_effect->setCurrentIndex(m_choices.empty() ? -1 : 0);
    connect(m_profiles, &QListWidget::currentRowChanged, this, [this](int row) {
        Push();
        m_dialog.ChooseProfile(row);
        Pull();
    });
    connect(m_effects, &QListWidget::currentRowChanged, this, [this](int row) {
        m_dialog.ChooseEffect(row);
        Pull();
    });
    connect(m_waveforms, &QListWidget::currentRowChanged, this, [this](int row) {
        m_dialog.ChooseWaveform(row);
        Pull();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        Push();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(900, 560);
    Pull();
}

QString ApplyEffectsWindow::Time(int32_t frame) const {
    return m_rate > 0 ? QString::number(static_cast<double>(frame) / m_rate, 'f', 3) + " s" : QString::number(frame);
}

void ApplyEffectsWindow::Push() {
    m_dialog.SetProfileText(m_profileName->text().toStdString());
    m_dialog.SetWaveformText(m_waveformName->text().toStdString());
}

void ApplyEffectsWindow::Pull() {
    Fill(m_profiles, m_dialog.GetProfileNames(), m_dialog.GetSelectedProfile());
    Fill(m_effects, m_dialog.GetEffectLabels(), m_dialog.GetSelectedEffect());
    Fill(m_waveforms, m_dialog.GetWaveformNames(), m_dialog.GetSelectedWaveform());
    m_profileName->setText(QString::fromStdString(m_dialog.GetProfileText()));
    m_waveformName->setText(QString::fromStdString(m_dialog.GetWaveformText()));
    const auto preview = m_dialog.GetPreview();
    m_preview->setRowCount(static_cast<int>(preview.size()));
    for (int r = 0; r < static_cast<int>(preview.size()); ++r) {
        const auto& row = preview[static_cast<size_t>(r)];
        const QString cells[] = {Time(row.start), Time(row.end), QString::fromStdString(row.from),
                                 QString::fromStdString(row.to)};
        for (int c = 0; c < 4; ++c) m_preview->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
    m_curve->SetCurve(m_dialog.GetSelectedCurve(), preview.empty() ? QString() : Time(preview.front().start),
                      preview.empty() ? QString() : Time(preview.back().end));
    for (int slot = 0; slot < static_cast<int>(m_presetCaptions.size()); ++slot)
        m_presetCaptions[static_cast<size_t>(slot)]->setText(
            QString::fromStdString(m_dialog.GetQuickPresetCaption(slot)));
}

}  // namespace vantor::gui
