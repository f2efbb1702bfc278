#include <QMdiArea>
#include <QMenuBar>

#include "platform/scripted_user_interface.h"
#include "set_window.h"
#include "views/set_document.h"
#include "workstation/workstation_fixture.h"

namespace vantor {
namespace {

using test::WorkstationFixture;

TEST_F(WorkstationFixture, EveryWindowCommandOpensItsWindowAndClosingTheMainWindowClosesThemAll) {
    auto& main = workstation->Main();
    std::vector<QString> menus;
    for (QAction* menu : main.menuBar()->actions()) menus.push_back(menu->text().remove('&'));
    EXPECT_EQ(menus, (std::vector<QString>{"File", "Edit", "Segment", "Audio", "Music", "Help"}));

    for (QAction* command : main.WindowCommands()) {
        const auto before = main.Area()->subWindowList().size();
        command->trigger();
        Settle();
        EXPECT_EQ(main.Area()->subWindowList().size(), before + 1) << command->text().toStdString();
    }
    for (WindowKind kind : {WindowKind::MusicDatabase, WindowKind::SongProfile, WindowKind::MusicSet,
                            WindowKind::LoadFiles, WindowKind::FindMusic, WindowKind::EditCategories,
                            WindowKind::Playlist})
        EXPECT_TRUE(workstation->App().Registry().IsOpen(kind)) << ViewClassOf(kind);
    // A second "View Music" brings the open window forward.
    Command("View Music")->trigger();
    EXPECT_EQ(workstation->App().Registry().GetWindows(WindowKind::MusicDatabase).size(), 1u);

    EXPECT_TRUE(main.close());
    Settle();
    EXPECT_TRUE(main.Area()->subWindowList().isEmpty());
    EXPECT_FALSE(workstation->App().IsStarted());
}

TEST_F(WorkstationFixture, ShortcutsAndPresetTipsComeFromTheConfiguration) {
    EXPECT_EQ(Command("View Music")->shortcut(), QKeySequence("Ctrl+M"));
    EXPECT_EQ(Command("New")->shortcut(), QKeySequence(QKeySequence::New));
    const auto presets = workstation->Main().PresetButtons();
    ASSERT_EQ(presets.size(), 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(presets[i]->toolTip().toStdString(),
                  workstation->App().Configuration().GetEffectPresetName(i));
}

TEST_F(WorkstationFixture, CancellingTheSaveQuestionKeepsTheMainWindowAndItsWindowsOpen) {
    Command("New")->trigger();
    Command("View Music")->trigger();
    auto* set = workstation->Find<gui::SetWindow>(WindowKind::MusicSet);
    ASSERT_NE(set, nullptr);
    set->Document().GetSet()->SetModified(true);
    boxes.Queue(QMessageBox::Cancel);
    EXPECT_FALSE(workstation->Main().close());
    Settle();
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_NE(boxes.Texts().back().find("save"), std::string::npos);
    EXPECT_TRUE(workstation->App().IsStarted());
    EXPECT_TRUE(workstation->App().Registry().IsOpen(WindowKind::MusicSet));
    EXPECT_FALSE(workstation->App().Registry().IsOpen(WindowKind::MusicDatabase));

    boxes.Queue(QMessageBox::No);
    EXPECT_TRUE(workstation->Main().close());
}

TEST_F(WorkstationFixture, RecentSetsFillTheFileMenu) {
    ScriptedUserInterface quiet;
    CSetDocument document(quiet);
    document.New(NewSetOptions{});
    ASSERT_TRUE(document.SaveAsPath(dir / "one.set"));
    ASSERT_TRUE(workstation->App().OpenPath(dir / "one.set"));
    QMenu* recent = nullptr;
    for (QAction* action : workstation->Main().menuBar()->actions()[0]->menu()->actions())
        if (action->menu() && action->text() == "Recent Sets") recent = action->menu();
    ASSERT_NE(recent, nullptr);
    ASSERT_EQ(recent->actions().size(), 1);
    EXPECT_TRUE(recent->actions()[0]->text().endsWith("one.set"));
    recent->actions()[0]->trigger();
    EXPECT_EQ(workstation->App().Registry().GetWindows(WindowKind::MusicSet).size(), 2u);
}

}  // namespace
}  // namespace vantor
