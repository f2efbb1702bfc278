#include <QHeaderView>
#include <QMouseEvent>
#include <QTest>

#include "edit_categories_window.h"
#include "find_music_window.h"
#include "music_database_window.h"
#include "playlist_window.h"
#include "song_profile_window.h"
#include "workstation/workstation_fixture.h"

namespace vantor {
namespace {

using test::WorkstationFixture;

class MusicDatabaseWindowTest : public WorkstationFixture {
protected:
    void SetUp() override {
        WorkstationFixture::SetUp();
        workstation->App().ViewMusic();
        window = workstation->Find<gui::MusicDatabaseWindow>(WindowKind::MusicDatabase);
        ASSERT_NE(window, nullptr);
        Frame(WindowKind::MusicDatabase)->setGeometry(0, 0, 800, 400);
        Settle();
    }

    std::vector<std::string> Column(int column) const {
        std::vector<std::string> texts;
        for (int r = 0; r < window->Table()->rowCount(); ++r)
            texts.push_back(window->Table()->item(r, column)->text().toStdString());
        return texts;
    }

    void ClickHeader(int column) {
        QHeaderView* header = window->Table()->horizontalHeader();
        const QPoint at(header->sectionViewportPosition(column) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

    // Presses on a row, moves past the drag distance and releases over a
    // point in another window's frame, as a user drags.
    void DragRow(int row, QWidget* over, QPoint local) {
        QWidget* viewport = window->Table()->viewport();
        const QPoint start(20, window->Table()->rowViewportPosition(row) + 5);
        auto send = [](QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
            QMouseEvent event(type, at, target->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                              buttons, Qt::NoModifier);
            QApplication::sendEvent(target, &event);
        };
        send(viewport, QEvent::MouseButtonPress, start, Qt::LeftButton);
        send(viewport, QEvent::MouseMove, start + QPoint(30, 10), Qt::LeftButton);
        ASSERT_TRUE(workstation->Drag().IsDragging());
        const QPoint global = over->mapToGlobal(local);
        QMouseEvent release(QEvent::MouseButtonRelease, window->mapFromGlobal(global), global, Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(window, &release);
        Settle();
    }

    gui::MusicDatabaseWindow* window = nullptr;
};

TEST_F(MusicDatabaseWindowTest, ListsSongsByTitleAndSortsByTheClickedHeader) {
    EXPECT_EQ(window->windowTitle(), "Music Database");
    EXPECT_EQ(Column(0), (std::vector<std::string>{"Night Drive", "Sunrise", "Warehouse"}));
    EXPECT_EQ(Column(2), (std::vector<std::string>{"128.000", "124.000", "132.000"}));
    EXPECT_EQ(Column(3), (std::vector<std::string>{"", "", ""}));
    ClickHeader(1);
    EXPECT_EQ(window->View().GetSortMode(), 1);
    EXPECT_EQ(Column(1), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
    ClickHeader(2);
    EXPECT_EQ(Column(2), (std::vector<std::string>{"124.000", "128.000", "132.000"}));
    ClickHeader(4);
    EXPECT_EQ(window->View().GetSortMode(), 2) << "the other headers do nothing";
    // Widths follow the columns' shares of the list.
    EXPECT_GT(window->Table()->columnWidth(0), window->Table()->columnWidth(1));
    EXPECT_LT(window->Table()->columnWidth(3), window->Table()->columnWidth(2));
}

TEST_F(MusicDatabaseWindowTest, KindTogglesLettersAndTheMissingFileMark) {
    QTest::mouseClick(window->KindButton(CSongProfile::kTypeSong), Qt::LeftButton);
    EXPECT_FALSE(window->View().IsKindShown(CSongProfile::kTypeSong));
    EXPECT_EQ(window->Table()->rowCount(), 0);
    QTest::mouseClick(window->KindButton(CSongProfile::kTypeSong), Qt::LeftButton);
    EXPECT_EQ(window->Table()->rowCount(), 3);

    window->View().SetVisibleRows(1);
    QTest::mouseClick(window->LetterButton('W'), Qt::LeftButton);
    EXPECT_EQ(window->View().GetTopRow(), 2);
    EXPECT_EQ(window->RowScroll()->value(), 2);
    EXPECT_EQ(window->LetterButton('O'), nullptr);
    EXPECT_EQ(window->LetterButton('X'), nullptr);
    ASSERT_NE(window->LetterButton('1'), nullptr);

    std::filesystem::remove(songs[0]);
    window->View().SetVisibleRows(10);
    window->View().Refill();
    window->Fill();
    EXPECT_EQ(Column(3), (std::vector<std::string>{"", "X", ""}));
}

TEST_F(MusicDatabaseWindowTest, DoubleClickOpensTheProfileEditorOnThatSong) {
    const QRect cell = window->Table()->visualItemRect(window->Table()->item(2, 0));
    QTest::mouseClick(window->Table()->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(window->Table()->viewport(), Qt::LeftButton, {}, cell.center());
    Settle();
    auto* editor = workstation->Find<gui::SongProfileWindow>(WindowKind::SongProfile);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Field("title")->text(), "Warehouse");
    EXPECT_EQ(editor->AddButton()->text(), "Modify");
}

TEST_F(MusicDatabaseWindowTest, ASongDraggedOntoTheCategoriesWindowJoinsTheSelectedCategory) {
    workstation->App().EditCategories();
    auto* categories = workstation->Find<gui::EditCategoriesWindow>(WindowKind::EditCategories);
    ASSERT_NE(categories, nullptr);
    auto* frame = Frame(WindowKind::EditCategories);
    frame->setGeometry(820, 0, 500, 400);
    ASSERT_TRUE(categories->View().Add("Warm Up"));
    categories->Fill();
    Settle();

    // Released over the empty background: the drag stays on.
    DragRow(0, workstation->Main().Area()->viewport(), QPoint(700, 700));
    EXPECT_TRUE(workstation->Drag().IsDragging());
    EXPECT_EQ(categories->Entries()->count(), 0);

    const QPoint global = frame->mapToGlobal(QPoint(200, 200));
    QMouseEvent release(QEvent::MouseButtonRelease, window->mapFromGlobal(global), global, Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window, &release);
    EXPECT_FALSE(workstation->Drag().IsDragging());
    ASSERT_EQ(categories->Entries()->count(), 1);
    EXPECT_EQ(categories->Total()->text(), "Total Items: 1");

    DragRow(1, frame, QPoint(100, 100));
    EXPECT_EQ(categories->Entries()->count(), 2);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MusicDatabaseWindowTest, ASongDraggedOntoThePlaylistIsAddedOnce) {
    workstation->App().NewPlaylist();
    auto* playlist = workstation->Find<gui::PlaylistWindow>(WindowKind::Playlist);
    ASSERT_NE(playlist, nullptr);
    auto* frame = Frame(WindowKind::Playlist);
    frame->setGeometry(820, 0, 500, 400);
    Settle();
    DragRow(0, frame, QPoint(150, 150));
    ASSERT_EQ(playlist->Table()->rowCount(), 1);
    EXPECT_EQ(playlist->Table()->item(0, 0)->text(), "Night Drive");
    EXPECT_EQ(playlist->Total()->text(), "Total: 00:00:06");
    DragRow(0, frame, QPoint(150, 150));
    EXPECT_EQ(playlist->Table()->rowCount(), 1);
    ASSERT_FALSE(boxes.Texts().empty());
    EXPECT_EQ(boxes.Texts().back(), "Entry already exists in the playlist.");
}

TEST_F(MusicDatabaseWindowTest, FoundSongsAreShownInTheDatabaseWindow) {
    workstation->App().Find();
    auto* find = workstation->Find<gui::FindMusicWindow>(WindowKind::FindMusic);
    ASSERT_NE(find, nullptr);
    find->Field("Mixer")->setText("mixer b");
    QTest::mouseClick(find->Button("Find"), Qt::LeftButton);
    Settle();
    EXPECT_EQ(window->View().GetListMode(), CMusicDatabaseView::ListMode::Keys);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"Warehouse"}));
    find->Field("Mixer")->clear();
    find->Field("From")->setText("fast");
    QTest::mouseClick(find->Button("Find"), Qt::LeftButton);
    Settle();
    EXPECT_FALSE(boxes.Texts().empty()) << "a tempo that is no number is refused";
    QTest::mouseClick(find->Button("Select All"), Qt::LeftButton);
    EXPECT_TRUE(find->Box("Acapella")->isChecked());
}

}  // namespace
}  // namespace vantor
