#include <QMimeData>
#include <QTest>

#include "check_set_window.h"
#include "editing/editing_fixtures.h"
#include "event_editor_window.h"
#include "mixer_board_window.h"
#include "model/memory_istream.h"
#include "model/set_clipboard.h"
#include "model/tempo_change.h"
#include "platform/null_audio_device.h"
#include "set_window.h"
#include "system_clipboard.h"
#include "workstation/workstation_fixture.h"

namespace vantor {
namespace {

using test::SetEditorFixture;

// A new set editor at 0.01 s per pixel from 0 s, with two segments of the
// fixture's first song on track 1: A over [0 s, 1 s) and B over [2 s, 3 s).
class SetWindowTest : public SetEditorFixture {
protected:
    void SetUp() override {
        SetEditorFixture::SetUp();
        if (HasFatalFailure()) return;
        a = test::AddSegment(*set, 1, 0, 44100, 88200, 1.0, songs[0], "A");
        b = test::AddSegment(*set, 1, 88200, 44100, 88200, 1.0, songs[0], "B");
        // The dialog after a drop is answered "Do nothing." by closing it.
        window->View().SetInsertSegmentRunner([](CInsertSegmentDialog&) { return false; });
        timeline->update();
        workstation->Main().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&workstation->Main()));
        timeline->setFocus();
        Settle();
    }

    QPoint At(int row, double seconds) const {
        const TimelineGeometry g = timeline->Geometry();
        return {g.XAt(seconds), g.RowTop(row) + g.rowHeights[static_cast<size_t>(row)] / 2};
    }
    void Click(int row, double seconds, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(timeline, Qt::LeftButton, modifiers, At(row, seconds));
        Settle();
    }
    void Drag(int row, double from, double to) {
        QTest::mousePress(timeline, Qt::LeftButton, {}, At(row, from));
        const int steps = 8;
        for (int i = 1; i <= steps; ++i) QTest::mouseMove(timeline, At(row, from + (to - from) * i / steps));
        QTest::mouseRelease(timeline, Qt::LeftButton, {}, At(row, to));
        Settle();
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = {}) {
        // A message box answered a moment ago may have taken the activation along.
        if (!workstation->Main().isActiveWindow()) {
            workstation->Main().activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&workstation->Main()));
        }
        timeline->setFocus();
        QTest::keyClick(timeline, static_cast<Qt::Key>(key), modifiers);
        Settle();
    }
    std::vector<uint8_t> Bytes() const { return test::Bytes(*set); }
    // A drag from the desktop entering the timeline and dropped at the point.
    void DropBytes(const QByteArray& bytes, const QPoint& at) {
        QMimeData data;
        data.setData(QString::fromStdString(gui::SystemClipboard::MimeTypeOf(kSegmentDesignFormat)), bytes);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(timeline, &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(timeline, &drop);
        Settle();
    }

    CEvent* a = nullptr;
    CEvent* b = nullptr;
};

TEST_F(SetWindowTest, DraggingOntoThePreviousSegmentStopsOneFrameAfterItAndCtrlZTakesItBack) {
    window->Command("Disable Auto-Align")->trigger();
    EXPECT_TRUE(window->Command("Disable Auto-Align")->isChecked());
    const auto before = Bytes();
    // The expected set: B taken out and put back one frame after A.
    RefPtr<CMusicSet> expected(set->Clone());
    CTrack& row = *expected->GetTrack(1);
    auto* moved = static_cast<CEvent*>(test::EventAtIndex(row, 1)->Clone());
    moved->SetPosition(44101);
    row.GetEvents().Remove(row.GetEvents().Find(test::EventAtIndex(row, 1)));
    row.AddEvent(moved);

    Drag(1, 2.5, 0.2);
    EXPECT_EQ(b->GetPosition(), 44101);
    EXPECT_EQ(Bytes(), test::Bytes(*expected));
    EXPECT_GT(b->GetPendingEdits(), 0);
    EXPECT_TRUE(window->Command("Undo")->isEnabled());

    timeline->setFocus();
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Bytes(), before);
    EXPECT_FALSE(window->Command("Undo")->isEnabled());
}

TEST_F(SetWindowTest, MovesSnapToTheBarByDefaultAndTheCursorShowsTheEdges) {
    // B's start dragged 1.6 s right, to 3.6 s, lands on the nearest bar.
    const SnapGrid& grid = window->View().GetState().GetSnapGrid();
    EXPECT_EQ(grid.GetFraction(), 1.0);
    EXPECT_TRUE(window->Command("Align to Bar")->isChecked());
    Drag(1, 2.5, 4.1);
    EXPECT_EQ(b->GetPosition(), static_cast<int32_t>(grid.Snap(3.6) * 44100));
    EXPECT_NE(b->GetPosition(), static_cast<int32_t>(3.6 * 44100));

    QTest::mouseMove(timeline, At(1, 0.0));
    EXPECT_EQ(timeline->cursor().shape(), Qt::SizeHorCursor);
    QTest::mouseMove(timeline, At(1, 0.5));
    EXPECT_EQ(timeline->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseMove(timeline, At(1, 1.0));
    EXPECT_EQ(timeline->cursor().shape(), Qt::SizeHorCursor);
}

TEST_F(SetWindowTest, CutPasteElsewhereAndTwoUndosRestoreTheSet) {
    const auto before = Bytes();
    timeline->setFocus();
    EXPECT_FALSE(window->Command("Cut")->isEnabled());
    Click(1, 0.5);  // A
    EXPECT_TRUE(window->Command("Cut")->isEnabled());
    Key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(set->GetTrack(1)->GetEvents().GetCount(), 1);
    EXPECT_TRUE(window->Command("Paste")->isEnabled());

    // The left marker to 3 s in the ruler, track 2 selected, then paste.
    QTest::mouseClick(timeline, Qt::LeftButton, {}, QPoint(At(1, 3.0).x(), 5));
    EXPECT_DOUBLE_EQ(window->View().GetState().GetLeftMarker(), 3.0);
    Click(2, 6.0);
    EXPECT_EQ(window->View().GetState().GetSelectedTrack(), 2);
    Key(Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(set->GetTrack(2)->GetEvents().GetCount(), 1);
    const CEvent* pasted = test::EventAtIndex(*set->GetTrack(2), 0);
    EXPECT_EQ(pasted->GetPosition(), window->View().GetState().GetLeftPosition());
    EXPECT_STREQ(pasted->GetSegment()->GetName(), "A");

    Key(Qt::Key_Z, Qt::ControlModifier);
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Bytes(), before);
}

TEST_F(SetWindowTest, ADropOntoASelectedSegmentAsksToReplaceIt) {
    Click(1, 2.5);  // B is current
    auto design = MakeRef<CSegmentDesign>();
    design->SetName("Dropped");
    design->SetTempo(130.0);
    design->GetSegment()->SetSongKey(songs[1]);
    design->GetSegment()->SetStart(0);
    design->GetSegment()->SetEnd(44100);
    design->GetSegment()->SetRatio(1.0);
    const auto bytes = test::Bytes(*design);
    {
        auto copy = MakeRef<CSegmentDesign>();
        CMemoryIStream in(bytes.data(), static_cast<int32_t>(bytes.size()));
        copy->Deserialize(in);
        ASSERT_FALSE(in.IsDamaged());
        ASSERT_FALSE(in.RanShort());
        ASSERT_EQ(in.GetRemaining(), 0);
    }
    auto drop = [&] {
        DropBytes(QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size())), At(3, 8.0));
    };

    const auto before = Bytes();
    boxes.Queue(QMessageBox::Cancel);
    drop();
    ASSERT_FALSE(boxes.Texts().empty()) ;
    EXPECT_EQ(boxes.Texts().back(), "Replace segment \"B\"?");
    EXPECT_EQ(boxes.Captions().back(), "Insert Segment");
    EXPECT_EQ(Bytes(), before);

    boxes.Queue(QMessageBox::Ok);
    drop();
    // B left for the clipboard; the dropped segment took its place, not the drop point's.
    ASSERT_EQ(set->GetTrack(1)->GetEvents().GetCount(), 2);
    const CEvent* placed = test::EventAtIndex(*set->GetTrack(1), 1);
    EXPECT_EQ(placed->GetPosition(), 88200);
    EXPECT_STREQ(placed->GetSegment()->GetName(), "Dropped");
    EXPECT_EQ(set->GetTrack(3)->GetEvents().GetCount(), 0);
    timeline->setFocus();
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Bytes(), before);
}

TEST_F(SetWindowTest, ADamagedDropIsIgnoredAndADropBelowTheRowsInsertsNothing) {
    const auto before = Bytes();
    DropBytes(QByteArray("\x05\x00", 2), At(2, 5.0));
    EXPECT_EQ(Bytes(), before);
    EXPECT_TRUE(boxes.Texts().empty());
    // A whole design below the last row: refused without a word.
    auto design = MakeRef<CSegmentDesign>();
    design->GetSegment()->SetSongKey(songs[1]);
    design->GetSegment()->SetEnd(44100);
    const auto bytes = test::Bytes(*design);
    const TimelineGeometry g = timeline->Geometry();
    DropBytes(QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size())),
              QPoint(g.XAt(5.0), g.RowTop(static_cast<int>(g.rowHeights.size())) + 4));
    EXPECT_EQ(Bytes(), before);
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(SetWindowTest, ZoomWithCtrlWheelAndKeysKeepsTheTimeUnderTheMouse) {
    const QPoint at = At(1, 2.0);
    const double time = timeline->Geometry().TimeAt(at.x());
    QWheelEvent in(QPointF(at), QPointF(timeline->mapToGlobal(at)), QPoint(), QPoint(0, 120), Qt::NoButton,
                   Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(timeline, &in);
    EXPECT_DOUBLE_EQ(timeline->Scale(), 0.005);
    EXPECT_NEAR(timeline->Geometry().TimeAt(at.x()), time, 0.005);
    timeline->setFocus();
    Key(Qt::Key_Minus);
    Key(Qt::Key_Minus);
    EXPECT_DOUBLE_EQ(timeline->Scale(), 0.02);
    Key(Qt::Key_Plus);
    EXPECT_DOUBLE_EQ(timeline->Scale(), 0.01);
    // The widest zoom shows the whole set, however far one zooms out.
    for (int i = 0; i < 30; ++i) Key(Qt::Key_Minus);
    EXPECT_DOUBLE_EQ(timeline->Scale(), timeline->WidestScale());
    EXPECT_GE(timeline->VisibleSeconds(), timeline->SetSeconds());
    // A plain wheel scrolls; the start never goes below 0.
    QWheelEvent up(QPointF(at), QPointF(timeline->mapToGlobal(at)), QPoint(), QPoint(0, 120), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(timeline, &up);
    EXPECT_EQ(window->View().GetViewStartTime(), 0.0);
}

TEST_F(SetWindowTest, RowsThatOverflowScrollUnderTheRulerWhichStays) {
    window->resize(900, 260);
    Settle();
    const int range = timeline->RowScrollRange();
    ASSERT_GT(range, 0);
    const int rulerHeight = gui::TimelineRenderer::kRulerHeight;
    auto ruler = [&] { return timeline->grab().toImage().copy(0, 0, timeline->width(), rulerHeight); };
    const QImage rulerBefore = ruler();

    // Shift and the wheel scroll the rows a row at a time; the ruler and the
    // header corner are drawn as they were.
    const QPoint middle(timeline->width() / 2, timeline->height() / 2);
    QWheelEvent down(QPointF(middle), QPointF(timeline->mapToGlobal(middle)), QPoint(), QPoint(0, -120),
                     Qt::NoButton, Qt::ShiftModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(timeline, &down);
    EXPECT_EQ(timeline->RowScroll(), std::min(range, gui::TimelineRenderer::kAudioRowHeight));
    EXPECT_EQ(ruler(), rulerBefore);

    // Track 1 now lies partly under the ruler: a click there places the
    // left marker and selects nothing.
    const QPoint hidden = At(1, 2.5);
    ASSERT_LT(hidden.y(), rulerHeight);
    QTest::mouseClick(timeline, Qt::LeftButton, {}, hidden);
    Settle();
    EXPECT_NEAR(window->View().GetState().GetLeftMarker(), 2.5, 0.011);
    EXPECT_FALSE(window->View().GetState().IsSelected(1, b));

    // Page Up brings it back; the same kind of click now selects B.
    Key(Qt::Key_PageUp);
    EXPECT_EQ(timeline->RowScroll(), 0);
    Click(1, 2.5);
    EXPECT_TRUE(window->View().GetState().IsSelected(1, b));
    // Scrolling never passes the last row.
    timeline->ScrollRowsTo(1 << 20);
    EXPECT_EQ(timeline->RowScroll(), range);
}

TEST_F(SetWindowTest, TheTempoListEditsTheTempoTrackAndTheSetEditorRepaintsIt) {
    window->Command("Tempo List")->trigger();
    Settle();
    auto* editor = workstation->Find<gui::EventEditorWindow>(WindowKind::EventEditor);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->windowTitle(), "Event Editor - Tempo");
    ASSERT_EQ(editor->Rows()->rowCount(), 1);
    EXPECT_FALSE(editor->NameField()->isVisible());
    editor->Rows()->setCurrentCell(0, 0);
    editor->ValueField()->setText("128.5");
    for (auto* button : editor->findChildren<QPushButton*>())
        if (button->text() == "Update Event") QTest::mouseClick(button, Qt::LeftButton);
    Settle();
    const CTempoChange* tempo = set->GetTrack(0)->GetEvents().GetHead()->GetItem()->GetTempoChange();
    ASSERT_NE(tempo, nullptr);
    EXPECT_DOUBLE_EQ(tempo->GetTempo(), 128.5);
    EXPECT_TRUE(window->Command("Undo")->isEnabled());
}

TEST_F(SetWindowTest, CheckSetRowsAndTheChosenRow) {
    CheckSetReport report{"Check Set - /sets/x.set",
                          {{"/music/a.wav", 3, 44100, "No song profile defined."},
                           {"/music/b.wav", 1, 0, "Summary file needs to be created."}}};
    gui::CheckSetWindow dialog(report);
    EXPECT_EQ(dialog.windowTitle(), "Check Set - /sets/x.set");
    ASSERT_EQ(dialog.Rows()->rowCount(), 2);
    EXPECT_EQ(dialog.Rows()->horizontalHeaderItem(1)->text(), "Track/Pos");
    EXPECT_EQ(dialog.Rows()->item(0, 1)->text(), "3/44100");
    dialog.Rows()->selectRow(0);
    dialog.Rows()->cellDoubleClicked(0, 0);
    ASSERT_TRUE(dialog.Chosen());
    window->View().GoToCheckRow(*dialog.Chosen());
    EXPECT_EQ(window->View().GetState().GetSelectedTrack(), 3);
    EXPECT_DOUBLE_EQ(window->View().GetViewStartTime(), 1.0);
}

TEST_F(SetWindowTest, TheSetPlaysThroughTheViewsAudioAndTheMixerBoardReachesItsPlayer) {
    EXPECT_FALSE(window->Command("Stop")->isEnabled());
    EXPECT_FALSE(window->Command("Mixer Board")->isEnabled());
    EXPECT_EQ(window->OpenMixerBoard(), nullptr);
    ASSERT_TRUE(window->StartSet(gui::SetWindow::StartPoint::Beginning, &NullDeviceId()));
    EXPECT_TRUE(window->IsPlaying());
    EXPECT_NE(window->View().GetAudio().GetPlayer(), nullptr) << "the configuration plays the set here";
    EXPECT_FALSE(window->Command("Set Start")->isEnabled());
    EXPECT_TRUE(window->Command("Stop")->isEnabled());
    EXPECT_TRUE(window->Command("Mixer Board")->isEnabled());
    EXPECT_FALSE(window->StartSet(gui::SetWindow::StartPoint::Beginning, &NullDeviceId()));

    gui::MixerBoardWindow* board = window->OpenMixerBoard();
    ASSERT_NE(board, nullptr);
    board->Fader(0)->setValue(1000);
    EXPECT_DOUBLE_EQ(window->View().GetAudio().GetTrackVolume(0), 0.5);
    board->close();

    window->StopSet(false);
    EXPECT_FALSE(window->IsPlaying());
    EXPECT_TRUE(window->Command("Set Start")->isEnabled());
    EXPECT_LT(timeline->PlayCursor(), 0.0);
}

}  // namespace
}  // namespace vantor
