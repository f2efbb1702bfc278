#include "set_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>

#include "mixdown_window.h"
#include "model/track.h"

namespace vantor::gui {

SetWindow::SetWindow(CVantorApp& app, std::shared_ptr<CSetDocument> document)
    : m_app(app), m_document(std::move(document)) {
    auto* layout = new QVBoxLayout(this);
    m_tracks = new QTableWidget(0, 3);
    m_tracks->setHorizontalHeaderLabels({"Track", "Events", "Track Effects"});
    m_tracks->verticalHeader()->hide();
    m_tracks->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tracks->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    layout->addWidget(m_tracks);
    auto* buttons = new QHBoxLayout;
    auto* save = new QPushButton("Save");
    auto* mixdown = new QPushButton("Mixdown...");
    buttons->addWidget(save);
    buttons->addWidget(mixdown);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(save, &QPushButton::clicked, this, [this] {
        m_document->Save();
        Fill();
    });
    connect(mixdown, &QPushButton::clicked, this, [this] {
        if (m_document->GetPath().empty() && !m_document->Save()) return;
        if (auto* mix = MixdownWindow::Start(m_app, m_document->GetPath(), window())) mix->show();
    });
    resize(520, 360);
    Fill();
}

void SetWindow::Fill() {
    setWindowTitle(QString::fromStdString(m_document->GetTitle()));
    CMusicSet* set = m_document->GetSet();
    const int count = set ? set->GetTracks().GetCount() : 0;
    m_tracks->setRowCount(count);
    for (int i = 0; i < count; ++i) {
        const CTrack* track = set->GetTrack(i);
        if (!track) continue;
        m_tracks->setItem(i, 0, new QTableWidgetItem(QString::fromUtf8(track->GetName())));
        m_tracks->setItem(i, 1, new QTableWidgetItem(QString::number(track->GetEvents().GetCount())));
        m_tracks->setItem(i, 2, new QTableWidgetItem(QString::number(track->GetTrackEffects().GetCount())));
    }
}

bool SetWindow::QueryClose() { return m_document->Close(); }

}  // namespace vantor::gui
