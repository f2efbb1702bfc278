#include "find_music_window.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "config/configuration.h"

namespace vantor::gui {

FindMusicWindow::FindMusicWindow(CVantorApp& app) : m_view(app.MakeFindMusicView()) {
    setWindowTitle(CFindMusicView::kTitle);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    for (const char* name : {"Mixer", "Album"}) {
        m_fields[name] = new QLineEdit;
        form->addRow(QString(name) + ":", m_fields[name]);
    }
    auto* tempo = new QHBoxLayout;
    m_fields["From"] = new QLineEdit;
    m_fields["To"] = new QLineEdit;
    tempo->addWidget(m_fields["From"]);
    tempo->addWidget(new QLabel("to"));
    tempo->addWidget(m_fields["To"]);
    form->addRow("Tempo:", tempo);
    layout->addLayout(form);

    auto* kinds = new QGroupBox("Type");
    auto* kindRow = new QHBoxLayout(kinds);
    for (const char* name : {"Song", "Sample", "Beats", "Acapella"}) {
        m_boxes[name] = new QCheckBox(name);
        kindRow->addWidget(m_boxes[name]);
    }
    layout->addWidget(kinds);

    auto* genres = new QGroupBox("Genre");
    auto* grid = new QGridLayout(genres);
    const auto& presets = app.Configuration().GetGenrePresets();
    int cell = 0;
    for (const auto& [id, checked] : m_view->GetGenreBoxes()) {
        QString name = QString::number(id);
        for (int32_t i = 0; i < presets.GetCount(); ++i)
            if (presets.GetAt(i)->GetId() == id) name = QString::fromUtf8(presets.GetAt(i)->GetName());
        auto* box = new QCheckBox(name);
        m_genres[id] = box;
        m_boxes[name] = box;
        grid->addWidget(box, cell / 3, cell % 3);
        ++cell;
    }
    layout->addWidget(genres);

    auto* buttons = new QHBoxLayout;
    for (const char* text : {"Select All", "Select None", "Find"}) {
        m_buttons[text] = new QPushButton(text);
        buttons->addWidget(m_buttons[text]);
    }
    layout->addLayout(buttons);
    connect(m_buttons["Select All"], &QPushButton::clicked, this, [this] {
        m_view->SelectAll();
        Pull();
    });
    connect(m_buttons["Select None"], &QPushButton::clicked, this, [this] {
        m_view->SelectNone();
        Pull();
    });
    connect(m_buttons["Find"], &QPushButton::clicked, this, [this] {
        Push();
        m_view->Find();
    });
    Pull();
}

void FindMusicWindow::Push() {
    auto& fields = m_view->GetFields();
    fields.mixer = m_fields["Mixer"]->text().toStdString();
    fields.album = m_fields["Album"]->text().toStdString();
    fields.tempoFrom = m_fields["From"]->text().toStdString();
    fields.tempoTo = m_fields["To"]->text().toStdString();
    fields.song = m_boxes["Song"]->isChecked();
    fields.sample = m_boxes["Sample"]->isChecked();
    fields.beats = m_boxes["Beats"]->isChecked();
    fields.acapella = m_boxes["Acapella"]->isChecked();
    for (const auto& [id, box] : m_genres) m_view->SetGenreBox(id, box->isChecked());
}

void FindMusicWindow::Pull() {
    const auto& fields = m_view->GetFields();
    m_fields["Mixer"]->setText(QString::fromStdString(fields.mixer));
    m_fields["Album"]->setText(QString::fromStdString(fields.album));
    m_fields["From"]->setText(QString::fromStdString(fields.tempoFrom));
    m_fields["To"]->setText(QString::fromStdString(fields.tempoTo));
    m_boxes["Song"]->setChecked(fields.song);
    m_boxes["Sample"]->setChecked(fields.sample);
    m_boxes["Beats"]->setChecked(fields.beats);
    m_boxes["Acapella"]->setChecked(fields.acapella);
    for (const auto& [id, checked] : m_view->GetGenreBoxes()) m_genres[id]->setChecked(checked);
}

}  // namespace vantor::gui
