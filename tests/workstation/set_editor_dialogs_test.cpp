#include <QDialogButtonBox>
#include <QMimeData>
#include <QTest>
#include <algorithm>

#include "editing/editing_fixtures.h"
#include "insert_segment_window.h"
#include "mixing_helper_window.h"
#include "segment_designer_window.h"
#include "set_window.h"
#include "system_clipboard.h"
#include "workstation/workstation_fixture.h"

namespace vantor {
namespace {

using test::SetEditorFixture;

// A new set editor with segment A of the first song (frames 1 s to 3 s)
// on track 1 from 0 s; a design of the second song dropped on track 2 over
// A can be mixed into A. The dialogs the set editor opens are answered from
// a timer, as a user would.
class SetEditorDialogsTest : public SetEditorFixture {
protected:
    void SetUp() override {
        SetEditorFixture::SetUp();
        if (HasFatalFailure()) return;
        a = test::AddSegment(*set, 1, 0, 44100, 132300, 1.0, songs[0], "A");
        Settle();
        QObject::connect(&poll, &QTimer::timeout, [this] { Answer(); });
        poll.start(20);
    }

    void Answer() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) return;
        if (auto* insert = dynamic_cast<gui::InsertSegmentWindow*>(modal)) {
            mixOffered = insert->Choice(InsertChoice::MixInto)->isEnabled();
            if (!mixOffered) {
                insert->reject();
                return;
            }
            insert->Choice(InsertChoice::MixInto)->setChecked(true);
            insert->MixTargets()->setCurrentIndex(0);
            insert->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        } else if (auto* helper = dynamic_cast<gui::MixingHelperWindow*>(modal)) {
            if (helperRuns++ == 0 && drive) drive(*helper);
        } else if (auto* designer = dynamic_cast<gui::SegmentDesignerWindow*>(modal)) {
            if (designerRuns++ == 0 && design) design(*designer);
        }
    }

    void Drop() {
        const auto bytes = test::Bytes(*test::SongDesign(songs[1], 0, 132300, 140.0, "New"));
        QMimeData data;
        data.setData(QString::fromStdString(gui::SystemClipboard::MimeTypeOf(kSegmentDesignFormat)),
                     QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size())));
        const TimelineGeometry g = timeline->Geometry();
        const QPoint at(g.XAt(0.5), g.RowTop(2) + g.rowHeights[2] / 2);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(timeline, &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(timeline, &drop);
        Settle();
    }

    std::vector<uint8_t> Bytes() const { return test::Bytes(*set); }

    CEvent* a = nullptr;
    QTimer poll;
    bool mixOffered = false;
    int helperRuns = 0;
    std::function<void(gui::MixingHelperWindow&)> drive;
    int designerRuns = 0;
    std::function<void(gui::SegmentDesignerWindow&)> design;
};

TEST_F(SetEditorDialogsTest, MixIntoOpensTheHelperWhoseOkSplitsTheSegmentInOneUndo) {
    const auto before = Bytes();
    std::vector<uint8_t> afterDrop;
    drive = [&](gui::MixingHelperWindow& helper) {
        CMixingHelperView& view = helper.View();
        // Both waveforms open on their segments' starts, drawn as wide as the widgets.
        EXPECT_EQ(view.GetWidth(), helper.Waveform(0)->width());
        EXPECT_EQ(helper.Waveform(0)->width(), helper.Waveform(1)->width());
        EXPECT_DOUBLE_EQ(view.GetCursor(0), 1.0);
        EXPECT_TRUE(helper.MixButton()->isChecked());
        EXPECT_FALSE(helper.CutButton()->isChecked());
        EXPECT_EQ(helper.TuneSlider()->value(), CMixingHelperView::kTuneCentre);
        // A click in waveform 1 halfway across moves song 1's cursor to A's middle.
        QTest::mouseClick(helper.Waveform(0), Qt::LeftButton, {},
                          QPoint(helper.Waveform(0)->width() / 2, helper.Waveform(0)->height() / 2));
        EXPECT_NEAR(view.GetCursor(0), 2.0, 0.05);
        EXPECT_EQ(view.CursorX(0), helper.Waveform(0)->width() / 2);
        view.SetCursor(0, 1.5);
        // Show puts both cursors two seconds into a four-second window.
        QTest::mouseClick(helper.findChild<QPushButton*>("show"), Qt::LeftButton);
        EXPECT_NEAR(view.GetWindow(0).startTime, -0.5, 1e-9);
        // The marked mixing point is where A is split.
        helper.MarkTempo()->setChecked(true);
        QTest::mouseClick(helper.OkButton(), Qt::LeftButton);
        EXPECT_TRUE(view.IsClosed());
        EXPECT_EQ(view.GetResult(), 22050);
    };
    Drop();
    ASSERT_TRUE(mixOffered);
    EXPECT_EQ(helperRuns, 1);
    for (const std::string& caption : boxes.Captions()) EXPECT_NE(caption, "Mixing Wizard");
    // A is split at the mixing point, half a second in, which a tempo change
    // marks; the new segment starts there on track 2.
    EXPECT_EQ(set->GetTrack(0)->GetEvents().GetCount(), 2);
    ASSERT_EQ(set->GetTrack(1)->GetEvents().GetCount(), 2);
    EXPECT_EQ(test::EventAtIndex(*set->GetTrack(1), 1)->GetPosition(), 22050);
    ASSERT_EQ(set->GetTrack(2)->GetEvents().GetCount(), 1);
    EXPECT_EQ(test::EventAtIndex(*set->GetTrack(2), 0)->GetPosition(), 22050);
    EXPECT_TRUE(test::TimelineIsSound(*set));

    // Drop, mix and split are one Undo.
    timeline->setFocus();
    window->Command("Undo")->trigger();
    Settle();
    EXPECT_EQ(Bytes(), before);
    EXPECT_FALSE(window->Command("Undo")->isEnabled());
}

TEST_F(SetEditorDialogsTest, ARefusedCutIsToldAndKeepsTheHelperOpenUntilCancel) {
    bool stayedOpen = false;
    drive = [&](gui::MixingHelperWindow& helper) {
        // Song 1's cursor before A's start cannot be a cut.
        helper.View().SetCursor(0, 0.5);
        helper.CutButton()->setChecked(true);
        QTest::mouseClick(helper.OkButton(), Qt::LeftButton);
        stayedOpen = helper.isVisible() && !helper.View().IsClosed();
        // A fade text the view refuses keeps the dialog open too.
        helper.CutButton()->setChecked(false);
        helper.MixButton()->setChecked(true);
        helper.EnableFades()->setChecked(true);
        helper.FadeIn()->setText("");
        QTest::mouseClick(helper.OkButton(), Qt::LeftButton);
        stayedOpen = stayedOpen && helper.isVisible();
        helper.reject();
        EXPECT_TRUE(helper.View().IsClosed());
        EXPECT_FALSE(helper.View().GetResult().has_value());
    };
    Drop();
    ASSERT_TRUE(mixOffered);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(std::count(boxes.Captions().begin(), boxes.Captions().end(), "Mixing Wizard"), 1);
    // Nothing split: A whole, the dropped segment where it fell.
    EXPECT_EQ(set->GetTrack(1)->GetEvents().GetCount(), 1);
    EXPECT_EQ(a->GetSegment()->GetSegment()->GetEnd(), 132300);
}

TEST_F(SetEditorDialogsTest, EditSegmentRefusesABadResamplingThenHandsTheChangedDesignBackInOneUndo) {
    const auto before = Bytes();
    bool stayedOpen = false;
    design = [&](gui::SegmentDesignerWindow& designer) {
        // The controls start from A.
        EXPECT_EQ(designer.NameEdit()->text(), "A");
        EXPECT_NEAR(designer.StartBox()->value(), 1.0, 1e-3);
        EXPECT_NEAR(designer.LengthBox()->value(), 2.0, 1e-3);
        for (const char* bad : {"0", "-1", "fast"}) {
            designer.ResamplingEdit()->setText(bad);
            QTest::mouseClick(designer.OkButton(), Qt::LeftButton);
        }
        stayedOpen = designer.isVisible() && !designer.View().IsClosed();
        designer.ResamplingEdit()->setText("1.0");
        designer.NameEdit()->setText("Renamed");
        QTest::mouseClick(designer.OkButton(), Qt::LeftButton);
        EXPECT_TRUE(designer.View().IsClosed());
    };
    QTest::mouseClick(timeline, Qt::LeftButton, {}, [this] {
        const TimelineGeometry g = timeline->Geometry();
        return QPoint(g.XAt(0.5), g.RowTop(1) + g.rowHeights[1] / 2);
    }());
    Settle();
    ASSERT_TRUE(window->Command("Edit Segment")->isEnabled());
    window->Command("Edit Segment")->trigger();
    Settle();
    EXPECT_EQ(designerRuns, 1);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(std::count(boxes.Texts().begin(), boxes.Texts().end(),
                         "Resampling must be a number above 0 (1.0 plays the song as recorded)."),
              3);
    ASSERT_EQ(set->GetTrack(1)->GetEvents().GetCount(), 1);
    const CSegmentDesign& changed = *test::EventAtIndex(*set->GetTrack(1), 0)->GetSegment();
    EXPECT_STREQ(changed.GetName(), "Renamed");
    EXPECT_EQ(changed.GetSegment()->GetStart(), 44100);
    EXPECT_EQ(changed.GetSegment()->GetEnd(), 132300);

    window->Command("Undo")->trigger();
    Settle();
    EXPECT_EQ(Bytes(), before);
}

}  // namespace
}  // namespace vantor
