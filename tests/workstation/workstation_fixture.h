#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "analysis/analysis_fixtures.h"
#include "config/configuration.h"
#include "database/music_database.h"
#include "registry_sub_window.h"
#include "set_window.h"
#include "workstation.h"

namespace vantor::test {

// Answers the message boxes the windows show, as a user would click them:
// the queued answers in order, then the box's escape button.
class BoxAnswerer {
public:
    BoxAnswerer() {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Answer(); });
        m_timer.start(10);
    }
    void Queue(QMessageBox::StandardButton button) { m_answers.push_back(button); }
    const std::vector<std::string>& Texts() const { return m_texts; }
    const std::vector<std::string>& Captions() const { return m_captions; }

private:
    void Answer() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        m_texts.push_back(box->text().toStdString());
        m_captions.push_back(box->windowTitle().toStdString());
        QAbstractButton* button = nullptr;
        if (!m_answers.empty()) {
            button = box->button(m_answers.front());
            // An agreeing answer fits a Yes box as well as an OK box.
            if (!button && m_answers.front() == QMessageBox::Ok) button = box->button(QMessageBox::Yes);
            m_answers.pop_front();
        }
        if (!button) button = box->escapeButton() ? box->escapeButton() : box->defaultButton();
        if (button) {
            button->click();
        } else {
            box->done(QMessageBox::Cancel);
        }
    }

    QTimer m_timer;
    std::deque<QMessageBox::StandardButton> m_answers;
    std::vector<std::string> m_texts;
    std::vector<std::string> m_captions;
};

// A program directory with three songs in its database, each a click track
// after a stretch of silence, and a workstation started on it.
class WorkstationFixture : public ::testing::Test {
protected:
    void SetUp() override {
        CMusicDatabase database;
        ASSERT_TRUE(database.Open(Home()));
        const char* names[][3] = {{"Gamma", "Sunrise", "Mixer C"}, {"Alpha", "Night Drive", "Mixer A"},
                                  {"Beta", "Warehouse", "Mixer B"}};
        double tempo = 124;
        for (const auto& name : names) {
            const std::string path = dir / (std::string(name[1]) + ".wav");
            WriteBytes(path, WaveBytes(ClickTrack(tempo, 6, 44100).Bytes()));
            CSongProfile profile;
            profile.SetLocalPath(path);
            profile.SetTitle(name[1]);
            profile.SetArtist(name[0]);
            profile.SetMixer(name[2]);
            profile.SetTempo(tempo);
            ASSERT_TRUE(database.PutSong(profile));
            songs.push_back(path);
            tempo += 4;
        }
        database.Close();
        CConfiguration config;
        config.SetDefaults();
        config.SetProgramDirectory(Home());
        for (int i = 0; i < 6; ++i) config.SetEffectPresetName(i, "Preset " + std::to_string(i + 1));
        ASSERT_TRUE(config.Save(config.ProgramPath("Vantor.cfg")));
        workstation = std::make_unique<gui::Workstation>();
        ASSERT_TRUE(workstation->Start(Home(), {}));
        workstation->Main().resize(1400, 900);
        workstation->Main().show();
    }

    void TearDown() override {
        if (workstation && workstation->App().IsStarted()) workstation->Main().close();
        Settle();
        workstation.reset();
    }

    std::string Home() const { return dir.Path() + "/"; }
    static void Settle() {
        for (int i = 0; i < 3; ++i) {
            QApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
    gui::RegistrySubWindow* Frame(WindowKind kind) {
        auto windows = workstation->App().Registry().GetWindows(kind);
        return windows.empty() ? nullptr : dynamic_cast<gui::RegistrySubWindow*>(windows.front());
    }
    QAction* Command(const char* name) { return workstation->Main().Commands().at(name); }
    // File > New, with the set editor's frame at 1200 x 560; null when no
    // set editor opened.
    gui::SetWindow* OpenNewSetEditor() {
        Command("New")->trigger();
        Settle();
        auto* editor = workstation->Find<gui::SetWindow>(WindowKind::MusicSet);
        if (!editor) return nullptr;
        Frame(WindowKind::MusicSet)->resize(1200, 560);
        Settle();
        return editor;
    }

    TempDir dir{"vantor-workstation"};
    std::vector<std::string> songs;
    std::unique_ptr<gui::Workstation> workstation;
    BoxAnswerer boxes;
};

// A new set editor, its timeline at 0.01 s per pixel from 0 s; each suite
// places its own segments.
class SetEditorFixture : public WorkstationFixture {
protected:
    void SetUp() override {
        WorkstationFixture::SetUp();
        window = OpenNewSetEditor();
        ASSERT_NE(window, nullptr);
        timeline = window->Timeline();
        set = &window->View().GetSet();
        timeline->SetScale(0.01);
        timeline->ScrollTo(0);
    }

    gui::SetWindow* window = nullptr;
    gui::SetTimelineWidget* timeline = nullptr;
    CMusicSet* set = nullptr;
};

}  // namespace vantor::test
