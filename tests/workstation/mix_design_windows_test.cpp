#include <QMenu>
#include <QPointer>
#include <QTest>
#include <algorithm>
#include <functional>

#include "create_mixing_design_window.h"
#include "editing/editing_fixtures.h"
#include "manage_mix_designs_window.h"
#include "model/set_clipboard.h"
#include "platform/clipboard.h"
#include "music_database_window.h"
#include "select_mixing_design_window.h"
#include "set_window.h"
#include "single_segment_editor_window.h"
#include "workstation/workstation_fixture.h"

namespace vantor {
namespace {

using test::SetEditorFixture;

// A new set editor at 0.01 s per pixel from 0 s: segment A of the first
// song (frames 1 s to 3 s) on track 1 from 0 s, and B of the second song
// (its first two seconds) on track 2 from half a second. The dialogs the
// editor opens are handed to `modal` from a timer, as a user would meet them.
class MixDesignWindowsTest : public SetEditorFixture {
protected:
    void SetUp() override {
        SetEditorFixture::SetUp();
        if (HasFatalFailure()) return;
        a = test::AddSegment(*set, 1, 0, 44100, 132300, 1.0, songs[0], "A", 124.0);
        test::AddSegment(*set, 2, 22050, 0, 88200, 1.0, songs[1], "B");
        workstation->Main().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&workstation->Main()));
        Settle();
        QObject::connect(&poll, &QTimer::timeout, [this] {
            QWidget* shown = QApplication::activePopupWidget();
            if (!shown) shown = QApplication::activeModalWidget();
            if (!shown || !shown->isVisible() || !modal || dynamic_cast<QMessageBox*>(shown)) return;
            // A dialog met once: the handler may open message boxes of its own.
            auto handle = std::move(modal);
            modal = nullptr;
            handle(shown);
        });
        poll.start(20);
    }

    QPoint At(int row, double seconds) const {
        const TimelineGeometry g = timeline->Geometry();
        return {g.XAt(seconds), g.RowTop(row) + g.rowHeights[static_cast<size_t>(row)] / 2};
    }
    void Click(int row, double seconds) {
        QTest::mouseClick(timeline, Qt::LeftButton, {}, At(row, seconds));
        Settle();
    }
    void Trigger(const char* command) {
        QAction* action = window->Command(command);
        ASSERT_NE(action, nullptr) << command;
        ASSERT_TRUE(action->isEnabled()) << command;
        action->trigger();
        Settle();
    }
    void Undo() {
        if (!workstation->Main().isActiveWindow()) {
            workstation->Main().activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&workstation->Main()));
        }
        // The keys reach the set editor while it is the active window.
        Frame(WindowKind::MusicSet)->BringToTop();
        timeline->setFocus();
        QTest::keyClick(timeline, Qt::Key_Z, Qt::ControlModifier);
        Settle();
    }
    RefPtr<CSongProfile> Stored(int song) { return workstation->App().Database().GetSong(songs[static_cast<size_t>(song)]); }
    // Stores the section [0 s, 1.5 s) with A as its primary segment.
    void StoreDesign(const std::string& name, bool mixOut) {
        window->View().GetState().SetLeftMarker(0.0);
        window->View().GetState().SetRightMarker(1.5);
        ASSERT_TRUE(window->View().CreateMixDesign(name, mixOut, [](const std::vector<std::string>&) { return 0; }));
    }
    size_t Count(const std::vector<std::string>& texts, const std::string& text) {
        return static_cast<size_t>(std::count(texts.begin(), texts.end(), text));
    }
    std::vector<uint8_t> Bytes() const { return test::Bytes(*set); }

    CEvent* a = nullptr;
    QTimer poll;
    std::function<void(QWidget*)> modal;
};

TEST_F(MixDesignWindowsTest, CreateMixDesignAsksForANameThenStoresTheSectionWithThePrimarySong) {
    const auto before = Bytes();
    // The markers must enclose the design first.
    Trigger("Create Mix Design");
    EXPECT_EQ(Count(boxes.Texts(), "Before selecting this option, position the left marker where the design begins, "
                                   "and the right marker where it ends."),
              1u);

    window->View().GetState().SetLeftMarker(0.0);
    window->View().GetState().SetRightMarker(1.5);
    bool stayedOpen = false;
    modal = [&](QWidget* shown) {
        auto* dialog = dynamic_cast<gui::CreateMixingDesignWindow*>(shown);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Create Mixing Design");
        // B starts after the section does: only A can be the primary segment.
        ASSERT_EQ(dialog->Primaries()->count(), 1);
        EXPECT_EQ(dialog->Primaries()->item(0)->text(), "Track 1: A");
        EXPECT_TRUE(dialog->WithinButton()->isChecked());
        EXPECT_FALSE(dialog->MixInButton()->isVisibleTo(dialog));
        EXPECT_FALSE(dialog->MixInButton()->isEnabled());
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
        stayedOpen = dialog->isVisible();
        dialog->NameEdit()->setText("Build up");
        dialog->MixOutButton()->setChecked(true);
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
    };
    Trigger("Create Mix Design");
    EXPECT_FALSE(modal);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(Count(boxes.Texts(), "Specify a name for this mixing design."), 1u);

    RefPtr<CSongProfile> song = Stored(0);
    ASSERT_TRUE(song);
    EXPECT_EQ(song->GetWithinSongDesigns().GetCount(), 0);
    ASSERT_EQ(song->GetMixOutDesigns().GetCount(), 1);
    const CMixingProfile& design = *song->GetMixOutDesigns().GetAt(0);
    EXPECT_STREQ(design.GetName(), "Build up");
    ASSERT_NE(design.GetClip(), nullptr);
    EXPECT_EQ(design.GetClip()->GetTag(), 0);
    // One array per audio track: A on the first, B on the second.
    ASSERT_GE(design.GetClip()->GetCount(), 2);
    EXPECT_EQ(design.GetClip()->GetArray(0)->GetCount(), 1);
    EXPECT_EQ(design.GetClip()->GetArray(1)->GetCount(), 1);
    // The set itself is untouched.
    EXPECT_EQ(Bytes(), before);
    EXPECT_FALSE(window->Command("Undo")->isEnabled());
}

TEST_F(MixDesignWindowsTest, ApplyDesignThroughTheSelectDialogChangesTheSetAndOneUndoRestoresIt) {
    StoreDesign("Build up", false);
    // C plays the first song from its start at 5 s: the design's A starts a second later in the song.
    CEvent* c = test::AddSegment(*set, 1, 220500, 0, 132300, 1.0, songs[0], "C");
    Settle();
    const auto before = Bytes();
    EXPECT_FALSE(window->Command("Apply Design")->isEnabled());

    Click(1, 6.0);
    modal = [&](QWidget* shown) {
        auto* dialog = dynamic_cast<gui::SelectMixingDesignWindow*>(shown);
        ASSERT_NE(dialog, nullptr);
        ASSERT_EQ(dialog->Designs()->count(), 1);
        EXPECT_EQ(dialog->Designs()->item(0)->text(), "Build up (Within)");
        EXPECT_EQ(dialog->Designs()->currentRow(), 0);
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
    };
    Trigger("Apply Design");
    EXPECT_FALSE(modal);

    EXPECT_NE(Bytes(), before);
    // C now ends where the design's primary segment begins in the song; A
    // and B follow it a second after C's position.
    EXPECT_EQ(c->GetSegment()->GetSegment()->GetEnd(), 44099);
    EXPECT_EQ(test::Positions(*set->GetTrack(1)), (std::vector<int32_t>{0, 220500, 264600}));
    ASSERT_EQ(set->GetTrack(2)->GetEvents().GetCount(), 2);
    EXPECT_GT(test::EventAtIndex(*set->GetTrack(2), 1)->GetPosition(), 264600);
    EXPECT_TRUE(test::TimelineIsSound(*set));

    Undo();
    EXPECT_EQ(Bytes(), before);
    EXPECT_FALSE(window->Command("Undo")->isEnabled());
}

TEST_F(MixDesignWindowsTest, ASegmentsContextMenuSelectsItAndOffersTheSegmentCommands) {
    QStringList offered;
    modal = [&](QWidget* shown) {
        auto* menu = qobject_cast<QMenu*>(shown);
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions()) offered << action->text().remove('&');
        // The right click selected B, so its song takes a copy.
        QAction* copy = menu->actions().value(3);
        ASSERT_NE(copy, nullptr);
        EXPECT_TRUE(copy->isEnabled());
        menu->close();
        copy->trigger();
    };
    const int before = Stored(1)->GetSegmentDesigns().GetCount();
    QTest::mouseClick(timeline, Qt::RightButton, {}, At(2, 1.0));
    Settle();
    EXPECT_FALSE(modal);
    EXPECT_EQ(offered, (QStringList{"Make Mix Suggestion", "Create Mix Design", "Apply Design", "Copy To Profile",
                                    "Edit Segment"}));
    EXPECT_EQ(Stored(1)->GetSegmentDesigns().GetCount(), before + 1);

    // A right click on empty track space offers nothing.
    bool menuShown = false;
    modal = [&](QWidget* shown) {
        menuShown = true;
        shown->close();
    };
    QTest::mouseClick(timeline, Qt::RightButton, {}, At(3, 4.0));
    Settle();
    EXPECT_FALSE(menuShown);
    modal = nullptr;
}

TEST_F(MixDesignWindowsTest, MakeMixSuggestionListsTheFittingSongsInTheMusicDatabase) {
    EXPECT_FALSE(window->Command("Make Mix Suggestion")->isEnabled());
    Click(1, 1.0);
    Trigger("Make Mix Suggestion");
    Settle();
    // The database window shows the suggested songs: of the fixture's songs
    // at 124, 128 and 132 beats per minute only A's own is within reach.
    auto* database = workstation->Find<gui::MusicDatabaseWindow>(WindowKind::MusicDatabase);
    ASSERT_NE(database, nullptr);
    ASSERT_EQ(database->View().GetRows().size(), 1u);
    EXPECT_EQ(database->View().GetRows().front().song->GetKey(), songs[0]);
}

TEST_F(MixDesignWindowsTest, ManageMixDesignsRemovesADesignFromTheStoredProfileOnlyAfterYes) {
    StoreDesign("One", false);
    StoreDesign("Two", true);
    workstation->App().Registry().Open(WindowKind::ManageMixDesigns, Stored(0), true);
    Settle();
    auto* manage = workstation->Find<gui::ManageMixDesignsWindow>(WindowKind::ManageMixDesigns);
    ASSERT_NE(manage, nullptr);
    EXPECT_EQ(manage->windowTitle(), "Manage Mix Designs - Sunrise");
    ASSERT_EQ(manage->WithinList()->count(), 1);
    EXPECT_EQ(manage->WithinList()->item(0)->text(), "One");
    ASSERT_EQ(manage->MixOutList()->count(), 1);
    EXPECT_EQ(manage->MixOutList()->item(0)->text(), "Two");

    manage->WithinList()->setCurrentRow(0);
    boxes.Queue(QMessageBox::No);
    QTest::mouseClick(manage->RemoveWithinButton(), Qt::LeftButton);
    Settle();
    EXPECT_EQ(Stored(0)->GetWithinSongDesigns().GetCount(), 1);
    EXPECT_EQ(manage->WithinList()->count(), 1);

    manage->WithinList()->setCurrentRow(0);
    boxes.Queue(QMessageBox::Yes);
    QTest::mouseClick(manage->RemoveWithinButton(), Qt::LeftButton);
    Settle();
    EXPECT_EQ(Count(boxes.Texts(), "Remove One. Are you sure?"), 2u);
    EXPECT_EQ(Count(boxes.Captions(), "Remove Within Mix"), 2u);
    EXPECT_EQ(Stored(0)->GetWithinSongDesigns().GetCount(), 0);
    EXPECT_EQ(Stored(0)->GetMixOutDesigns().GetCount(), 1);
    EXPECT_EQ(manage->WithinList()->count(), 0);
    EXPECT_FALSE(manage->RemoveWithinButton()->isEnabled());
    EXPECT_EQ(manage->MixOutList()->count(), 1);
}

TEST_F(MixDesignWindowsTest, TheSegmentEditorRefusesABadRatioAndAppliesAGoodOneAsOneUndo) {
    const auto before = Bytes();
    EXPECT_FALSE(window->Command("Segment Properties")->isEnabled());
    QTest::mouseDClick(timeline, Qt::LeftButton, {}, At(1, 1.0));
    Settle();
    auto* editor = workstation->Find<gui::SingleSegmentEditorWindow>(WindowKind::SingleSegmentEditor);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->NameField()->text(), "A");
    EXPECT_EQ(editor->RatioField()->text().toDouble(), 1.0);
    EXPECT_NEAR(editor->StartField()->text().toDouble(), 1.0, 1e-6);
    EXPECT_NEAR(editor->EndField()->text().toDouble(), 3.0, 1e-6);
    EXPECT_EQ(Bytes(), before);

    for (const char* bad : {"0", "-2", "fast"}) {
        editor->RatioField()->setText(bad);
        QTest::mouseClick(editor->ApplyButton(), Qt::LeftButton);
        Settle();
    }
    EXPECT_EQ(Count(boxes.Texts(), "The ratio must be a number above 0 (1.0 plays the song as recorded)."), 3u);
    EXPECT_EQ(Bytes(), before);
    EXPECT_FALSE(window->Command("Undo")->isEnabled());

    // Revert brings the segment's own values back.
    QTest::mouseClick(editor->RevertButton(), Qt::LeftButton);
    EXPECT_EQ(editor->RatioField()->text().toDouble(), 1.0);

    editor->RatioField()->setText("0.5");
    QTest::mouseClick(editor->ApplyButton(), Qt::LeftButton);
    Settle();
    ASSERT_EQ(set->GetTrack(1)->GetEvents().GetCount(), 1);
    const CSegment& segment = *test::EventAtIndex(*set->GetTrack(1), 0)->GetSegment()->GetSegment();
    EXPECT_DOUBLE_EQ(segment.GetRatio(), 0.5);
    EXPECT_EQ(segment.GetStart(), 44100);
    EXPECT_EQ(segment.GetEnd(), 132300);
    EXPECT_NE(Bytes(), before);

    // The set editor heard of the change: its Undo takes it back.
    EXPECT_TRUE(window->Command("Undo")->isEnabled());
    Undo();
    EXPECT_EQ(Bytes(), before);
}

TEST_F(MixDesignWindowsTest, ASegmentErasedAndCommittedUnderItsEditorGoesToTheClipboardOnApply) {
    Click(1, 1.0);
    Trigger("Segment Properties");
    auto* editor = workstation->Find<gui::SingleSegmentEditorWindow>(WindowKind::SingleSegmentEditor);
    ASSERT_NE(editor, nullptr);
    Click(1, 1.0);
    Trigger("Erase");
    Trigger("Commit Changes");
    ASSERT_EQ(set->GetTrack(1)->GetEvents().GetCount(), 0);
    test::ClearClipboard();
    const auto before = Bytes();

    editor->NameField()->setText("Kept");
    QTest::mouseClick(editor->ApplyButton(), Qt::LeftButton);
    Settle();
    EXPECT_EQ(Count(boxes.Texts(), "Segment no longer exists in track. Segment has been placed on the clipboard."), 1u);
    EXPECT_EQ(Bytes(), before);
    Clipboard& clipboard = Clipboard::Instance();
    const uint32_t format = clipboard.FindFormat(kSegmentDesignFormat);
    ASSERT_NE(format, 0u);
    EXPECT_TRUE(clipboard.GetData(format));
}

TEST_F(MixDesignWindowsTest, SeveralSegmentEditorsOpenAndCloseWithTheirSetEditor) {
    Click(1, 1.0);
    Trigger("Segment Properties");
    Click(2, 1.0);
    Trigger("Segment Properties");
    const auto editors = workstation->App().Registry().GetWindows(WindowKind::SingleSegmentEditor);
    ASSERT_EQ(editors.size(), 2u);
    auto* second = workstation->Find<gui::SingleSegmentEditorWindow>(WindowKind::SingleSegmentEditor);
    ASSERT_NE(second, nullptr);

    set->SetModified(false);
    Frame(WindowKind::MusicSet)->close();
    Settle();
    EXPECT_FALSE(workstation->App().Registry().IsOpen(WindowKind::MusicSet));
    EXPECT_FALSE(workstation->App().Registry().IsOpen(WindowKind::SingleSegmentEditor));
}

TEST_F(MixDesignWindowsTest, ASegmentEditorLeftBehindByItsSetEditorDoesNothingBeforeItCloses) {
    Click(1, 1.0);
    Trigger("Segment Properties");
    QPointer<gui::SingleSegmentEditorWindow> editor =
        workstation->Find<gui::SingleSegmentEditorWindow>(WindowKind::SingleSegmentEditor);
    ASSERT_NE(editor, nullptr);
    // The set editor goes at once, without a turn of the event loop between.
    set->SetModified(false);
    Frame(WindowKind::MusicSet)->Destroy();
    ASSERT_FALSE(editor.isNull());
    EXPECT_EQ(editor->View(), nullptr);
    editor->RatioField()->setText("0.5");
    QTest::mouseClick(editor->ApplyButton(), Qt::LeftButton);
    QTest::mouseClick(editor->RevertButton(), Qt::LeftButton);
    editor->Waveform()->repaint();
    Settle();
    EXPECT_TRUE(editor.isNull());
}

}  // namespace
}  // namespace vantor
