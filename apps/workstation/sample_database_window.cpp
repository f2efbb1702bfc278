#include "sample_database_window.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace vantor::gui {

SampleDatabaseWindow::SampleDatabaseWindow(CVantorApp& app, IMainFrame& frame)
    : m_frame(frame),
      m_view(app.UserInterface(), &app.Database(), *app.SampleBank(), app.ServerLinkInUse(), app.Configuration()) {
    setWindowTitle(kTitle);
    auto* layout = new QHBoxLayout(this);
    m_list = new QListWidget;
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setMinimumWidth(240);
    layout->addWidget(m_list, 1);

    auto* side = new QVBoxLayout;
    auto* presets = new QGroupBox("Presets (Alt+)");
    auto* grid = new QGridLayout(presets);
    for (int button = 1; button <= CSampleBank::kTriggerSlots; ++button) {
        auto* preset = new QPushButton(QString::number(button));
        preset->setMaximumWidth(36);
        auto* label = new QLabel;
        label->setMinimumWidth(160);
        grid->addWidget(preset, button - 1, 0);
        grid->addWidget(label, button - 1, 1);
        connect(preset, &QPushButton::clicked, this, [this, button] {
            m_view.AssignPreset(button);
            ShowSlots();
        });
        m_presets[static_cast<size_t>(button - 1)] = preset;
        m_labels[static_cast<size_t>(button - 1)] = label;
    }
    side->addWidget(presets);
    auto* files = new QGridLayout;
    const char* texts[] = {"Play", "Load", "Save", "Load Default", "Save Default"};
    int cell = 0;
    for (const char* text : texts) {
        m_buttons[text] = new QPushButton(text);
        // "Play" stands on its own row above the preset file buttons.
        if (cell == 0) {
            files->addWidget(m_buttons[text], 0, 0, 1, 2);
            cell = 2;
        } else {
            files->addWidget(m_buttons[text], cell / 2, cell % 2);
            ++cell;
        }
    }
    side->addLayout(files);
    side->addStretch(1);
    layout->addLayout(side);

    // Only a selected row counts: the list's current row follows focus alone.
    connect(m_list, &QListWidget::itemSelectionChanged, this, [this] {
        const auto chosen = m_list->selectedItems();
        m_view.Select(chosen.isEmpty() ? -1 : m_list->row(chosen.front()));
        Enable();
    });
    connect(m_buttons["Play"], &QPushButton::clicked, this, [this] { m_view.Play(); });
    connect(m_buttons["Load"], &QPushButton::clicked, this, [this] {
        m_view.Load();
        ShowSlots();
    });
    connect(m_buttons["Load Default"], &QPushButton::clicked, this, [this] {
        m_view.LoadDefault();
        ShowSlots();
    });
    connect(m_buttons["Save"], &QPushButton::clicked, this, [this] { m_view.Save(); });
    connect(m_buttons["Save Default"], &QPushButton::clicked, this, [this] { m_view.SaveDefault(); });

    m_view.Refresh();
    Fill({});
    ShowSlots();
    resize(560, 340);
}

std::string SampleDatabaseWindow::SelectedPath() const {
    const int selected = m_view.GetSelection();
    return selected >= 0 ? m_view.GetSamples()[static_cast<size_t>(selected)].path : std::string();
}

void SampleDatabaseWindow::Fill(const std::string& keep) {
    const QSignalBlocker block(m_list);
    m_list->clear();
    int row = -1;
    for (const auto& sample : m_view.GetSamples()) {
        if (!keep.empty() && sample.path == keep) row = m_list->count();
        auto* item = new QListWidgetItem(QString::fromStdString(sample.name));
        item->setToolTip(QString::fromStdString(sample.path));
        m_list->addItem(item);
    }
    m_view.Select(row);
    if (row >= 0) m_list->setCurrentRow(row);
    Enable();
}

void SampleDatabaseWindow::ShowSlots() {
    std::vector<std::string> names;
    const auto& labels = m_view.GetSlotLabels();
    for (size_t slot = 0; slot < labels.size(); ++slot) {
        m_labels[slot]->setText(QString::fromStdString(labels[slot]));
        names.push_back(labels[slot]);
    }
    m_frame.SetSampleTips(names);
}

void SampleDatabaseWindow::Enable() {
    const bool chosen = m_view.GetSelection() >= 0;
    for (QPushButton* preset : m_presets) preset->setEnabled(chosen);
    m_buttons["Play"]->setEnabled(chosen);
}

void SampleDatabaseWindow::OnNotification(const Notification& notification) {
    if (notification.message != kSongSaved) return;
    const std::string keep = SelectedPath();
    m_view.Refresh();
    Fill(keep);
    ShowSlots();
}

}  // namespace vantor::gui
