#include "song_profile_window.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "config/configuration.h"

namespace vantor::gui {

namespace {
constexpr std::pair<int32_t, const char*> kKinds[] = {{CSongProfile::kTypeSong, "Song"},
                                                      {CSongProfile::kTypeSample, "Sample"},
                                                      {CSongProfile::kTypeBeats, "Beats"},
                                                      {CSongProfile::kTypeAcapella, "Acapella"}};
// The form's fields, named as the view names the focus, with their labels.
constexpr std::pair<const char*, const char*> kFields[] = {
    {"title", "Title:"},          {"artist", "Artist:"},           {"album", "Album:"},
    {"mixer", "Mixer:"},          {"tempo", "Tempo:"},             {"localPath", "Local Path:"},
    {"archivePath", "Archive Path:"}, {"archiveName", "Archive Name:"},
};
}  // namespace

SongProfileWindow::SongProfileWindow(CVantorApp& app, const RefPtr<CSongProfile>& song)
    : m_app(app), m_view(app.MakeSongProfileView()) {
    setWindowTitle(CSongProfileView::kCaption);
    if (song) {
        m_view->ShowProfile(song);
    } else {
        m_view->ShowEmpty();
    }
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    for (const auto& [name, label] : kFields) {
        auto* edit = new QLineEdit;
        edit->setMinimumWidth(360);
        m_fields[name] = edit;
        if (std::string_view(name) == "localPath") {
            auto* row = new QHBoxLayout;
            row->addWidget(edit);
            auto* browse = new QPushButton("Browse...");
            connect(browse, &QPushButton::clicked, this, [this] {
                FileChoice choice;
                choice.title = "Local Path";
                choice.filter = "wave audio (*.wav)|*.wav|mp3 audio (*.mp3)|*.mp3|all files (*.*)|*.*||";
                auto paths = m_app.UserInterface().ChooseOpenFiles(choice);
                if (paths.empty()) return;
                Push();
                m_view->ChooseLocalFile(paths.front());
                Pull();
            });
            row->addWidget(browse);
            form->addRow(label, row);
        } else {
            form->addRow(label, edit);
        }
    }
    m_kind = new QComboBox;
    for (const auto& [kind, name] : kKinds) m_kind->addItem(name, kind);
    form->addRow("Kind:", m_kind);
    m_genre = new QComboBox;
    const auto& genres = app.Configuration().GetGenrePresets();
    for (int32_t i = 0; i < genres.GetCount(); ++i)
        m_genre->addItem(QString::fromUtf8(genres.GetAt(i)->GetName()), genres.GetAt(i)->GetId());
    form->addRow("Genre:", m_genre);
    m_private = new QCheckBox("Private");
    form->addRow(m_private);
    layout->addLayout(form);
    m_add = new QPushButton;
    layout->addWidget(m_add, 0, Qt::AlignRight);
    connect(m_add, &QPushButton::clicked, this, [this] {
        Push();
        m_view->OnAdd();
        Pull();
        const auto focus = m_fields.find(QString::fromStdString(m_view->GetFocus()));
        if (focus != m_fields.end()) focus->second->setFocus();
    });
    Pull();
}

void SongProfileWindow::Push() {
    auto& form = m_view->Form();
    form.title = m_fields["title"]->text().toStdString();
    form.artist = m_fields["artist"]->text().toStdString();
    form.album = m_fields["album"]->text().toStdString();
    form.mixer = m_fields["mixer"]->text().toStdString();
    form.tempoText = m_fields["tempo"]->text().toStdString();
    form.localPath = m_fields["localPath"]->text().toStdString();
    form.archivePath = m_fields["archivePath"]->text().toStdString();
    form.archiveName = m_fields["archiveName"]->text().toStdString();
    form.kind = m_kind->currentData().toInt();
    if (m_genre->currentIndex() >= 0) form.genreId = m_genre->currentData().toInt();
    form.isPrivate = m_private->isChecked();
}

void SongProfileWindow::Pull() {
    const auto& form = m_view->Form();
    m_fields["title"]->setText(QString::fromStdString(form.title));
    m_fields["artist"]->setText(QString::fromStdString(form.artist));
    m_fields["album"]->setText(QString::fromStdString(form.album));
    m_fields["mixer"]->setText(QString::fromStdString(form.mixer));
    m_fields["tempo"]->setText(QString::fromStdString(form.tempoText));
    m_fields["localPath"]->setText(QString::fromStdString(form.localPath));
    m_fields["archivePath"]->setText(QString::fromStdString(form.archivePath));
    m_fields["archiveName"]->setText(QString::fromStdString(form.archiveName));
    m_kind->setCurrentIndex(std::max(0, m_kind->findData(form.kind)));
    const int genre = m_genre->findData(form.genreId);
    if (genre >= 0) m_genre->setCurrentIndex(genre);
    m_private->setChecked(form.isPrivate);
    m_add->setText(QString::fromStdString(m_view->GetButtonText()));
}

void SongProfileWindow::OnNotification(const Notification& notification) {
    if (notification.message != kSongSaved || !m_view->GetShownProfile()) return;
    const auto* key = std::any_cast<std::string>(&notification.first);
    if (!key || *key != m_view->GetShownProfile()->GetKey()) return;
    if (auto song = m_app.Database().GetSong(*key)) {
        m_view->ShowProfile(song);
        Pull();
    }
}

}  // namespace vantor::gui
