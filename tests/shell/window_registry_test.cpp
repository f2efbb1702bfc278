#include <gtest/gtest.h>

#include <string>

#include "shell/drag_tracker.h"
#include "shell/test_desk.h"
#include "shell/window_registry.h"

namespace vantor {
namespace {

using test::Desk;
using test::DeskWindow;

class WindowRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { desk.RegisterAll(); }
    CWindowRegistry registry;
    Desk desk{registry};
};

TEST(WindowRegistryUnregistered, KindsNeverRegisteredDoNothing) {
    CWindowRegistry registry;
    Desk desk(registry);
    registry.Open(WindowKind::MusicDatabase, std::string("data"), false);
    EXPECT_TRUE(desk.windows.empty());
    EXPECT_FALSE(registry.IsOpen(WindowKind::MusicDatabase));
    DeskWindow window(desk, WindowKind::Analyzer, {});
    EXPECT_EQ(registry.AddWindow(WindowKind::Analyzer, &window), -1);
    EXPECT_EQ(registry.RestorePosition(WindowKind::Analyzer, window), -1);
    EXPECT_FALSE(registry.GetOpeningData(WindowKind::Analyzer).has_value());
    ASSERT_TRUE(registry.Register(128, WindowKind::Analyzer, false, desk.Template()));
    EXPECT_FALSE(registry.Register(128, WindowKind::Analyzer, true, desk.Template()));
}

TEST_F(WindowRegistryTest, ReplaceReopensASingleWindowOnNewDataAndBringingForwardKeepsIt) {
    registry.Open(WindowKind::SongProfile, std::string("first"), true);
    ASSERT_EQ(desk.Of(WindowKind::SongProfile).size(), 1u);
    DeskWindow* first = desk.Of(WindowKind::SongProfile)[0];
    EXPECT_EQ(std::any_cast<std::string>(first->data), "first");

    registry.Open(WindowKind::SongProfile, std::string("second"), false);
    ASSERT_EQ(desk.Of(WindowKind::SongProfile).size(), 1u);
    EXPECT_EQ(desk.Of(WindowKind::SongProfile)[0], first);
    EXPECT_EQ(first->broughtToTop, 1);
    EXPECT_EQ(std::any_cast<std::string>(first->data), "first");
    // The opening data stays that of the last Open that made a window.
    EXPECT_EQ(std::any_cast<std::string>(registry.GetOpeningData(WindowKind::SongProfile)), "first");

    registry.Open(WindowKind::SongProfile, std::string("third"), true);
    auto open = desk.Of(WindowKind::SongProfile);
    ASSERT_EQ(open.size(), 1u);
    EXPECT_EQ(std::any_cast<std::string>(open[0]->data), "third");
    EXPECT_EQ(registry.GetWindows(WindowKind::SongProfile), std::vector<IRegistryWindow*>{open[0]});
}

TEST_F(WindowRegistryTest, SeveralSetEditorsOpenAtOnce) {
    registry.Open(WindowKind::MusicSet, 1, false);
    registry.Open(WindowKind::MusicSet, 2, false);
    registry.Open(WindowKind::MusicSet, 3, true);
    EXPECT_EQ(desk.Of(WindowKind::MusicSet).size(), 3u);
    EXPECT_TRUE(registry.IsOpen(WindowKind::MusicSet));
    EXPECT_FALSE(registry.IsOpen(WindowKind::EventEditor));
}

TEST_F(WindowRegistryTest, BroadcastSkipsTheWholeSenderKindAndWaitsForTheLoop) {
    registry.Open(WindowKind::MusicSet, 1, false);
    registry.Open(WindowKind::MusicSet, 2, false);
    registry.Open(WindowKind::EventEditor, 1, false);
    registry.Open(WindowKind::EventEditor, 2, false);
    registry.Open(WindowKind::Playlist, {}, false);
    int wakes = 0;
    registry.SetWake([&] { ++wakes; });

    registry.Broadcast(WindowKind::EventEditor, Notification{kTrackChanged, 7, 0});
    EXPECT_EQ(wakes, 1);
    for (auto* window : desk.Of(WindowKind::MusicSet))
        EXPECT_TRUE(window->received.empty()) << "posting is asynchronous";
    EXPECT_EQ(registry.PendingCount(), 3u);
    EXPECT_EQ(registry.DispatchPosted(), 3u);

    for (auto* window : desk.Of(WindowKind::MusicSet)) {
        ASSERT_EQ(window->received.size(), 1u);
        EXPECT_EQ(window->received[0].message, kUserMessage + 3);
        EXPECT_EQ(std::any_cast<int>(window->received[0].first), 7);
    }
    EXPECT_EQ(desk.Of(WindowKind::Playlist)[0]->received.size(), 1u);
    for (auto* window : desk.Of(WindowKind::EventEditor)) EXPECT_TRUE(window->received.empty());
}

TEST_F(WindowRegistryTest, PostReachesOnlyTheKindInTheOrderPosted) {
    registry.Open(WindowKind::MusicDatabase, {}, false);
    registry.Open(WindowKind::FindMusic, {}, false);
    registry.Post(WindowKind::MusicDatabase, Notification{kShowKeys, std::vector<std::string>{"a"}, {}});
    registry.Post(WindowKind::MusicDatabase, Notification{kSongSaved, {}, {}});
    registry.DispatchPosted();
    auto& received = desk.Of(WindowKind::MusicDatabase)[0]->received;
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].message, kShowKeys);
    EXPECT_EQ(received[1].message, kSongSaved);
    EXPECT_TRUE(desk.Of(WindowKind::FindMusic)[0]->received.empty());
}

TEST_F(WindowRegistryTest, ANotificationForAWindowClosedBeforeDeliveryIsDropped) {
    registry.Open(WindowKind::Analyzer, {}, false);
    registry.Open(WindowKind::MusicDatabase, {}, false);
    registry.Broadcast(WindowKind::SongProfile, Notification{kSongSaved, std::string("key"), {}});
    desk.Of(WindowKind::Analyzer)[0]->Destroy();
    EXPECT_EQ(registry.DispatchPosted(), 1u);
    EXPECT_EQ(desk.Of(WindowKind::MusicDatabase)[0]->received.size(), 1u);
}

TEST_F(WindowRegistryTest, AReopenedWindowStandsWhereTheLastOneClosedWithItsOwnSize) {
    registry.Open(WindowKind::Analyzer, {}, false);
    DeskWindow* first = desk.Of(WindowKind::Analyzer)[0];
    EXPECT_EQ(first->rect.left, 0);
    first->rect = {120, 80, 620, 480};
    first->Destroy();
    registry.Open(WindowKind::Analyzer, {}, false);
    const WindowRect& rect = desk.Of(WindowKind::Analyzer)[0]->rect;
    EXPECT_EQ(rect.left, 120);
    EXPECT_EQ(rect.top, 80);
    EXPECT_EQ(rect.right - rect.left, 300);
    EXPECT_EQ(rect.bottom - rect.top, 200);
}

TEST_F(WindowRegistryTest, CancellingTheSecondOfThreeSetEditorsStopsCloseAll) {
    registry.Open(WindowKind::MusicDatabase, {}, false);
    for (int i = 0; i < 3; ++i) registry.Open(WindowKind::MusicSet, i, false);
    registry.Open(WindowKind::Playlist, {}, false);
    auto sets = desk.Of(WindowKind::MusicSet);
    sets[1]->refuseClose = true;

    EXPECT_FALSE(registry.CloseAll());
    EXPECT_FALSE(registry.IsOpen(WindowKind::MusicDatabase));
    auto left = desk.Of(WindowKind::MusicSet);
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(std::any_cast<int>(left[0]->data), 1);
    EXPECT_EQ(std::any_cast<int>(left[1]->data), 2);
    EXPECT_TRUE(registry.IsOpen(WindowKind::Playlist));
    // The windows that stayed are still known: they get notifications and
    // guard the settings that need every set closed.
    EXPECT_TRUE(registry.IsOpen(WindowKind::MusicSet));
    registry.Broadcast(WindowKind::EventEditor, Notification{kTrackChanged, {}, {}});
    EXPECT_EQ(registry.DispatchPosted(), 3u);

    left[0]->refuseClose = false;
    EXPECT_TRUE(registry.CloseAll());
    EXPECT_TRUE(desk.windows.empty());
    EXPECT_FALSE(registry.IsOpen(WindowKind::MusicSet));
}

TEST_F(WindowRegistryTest, DestroyAllLeavesNoTemplateToOpenWith) {
    registry.DestroyAll();
    registry.Open(WindowKind::MusicDatabase, {}, false);
    EXPECT_TRUE(desk.windows.empty());
}

class DragTrackerTest : public WindowRegistryTest {
protected:
    DragTrackerTest() : tracker(registry, MakeHost()) {}

    CDragTracker::Host MakeHost() {
        CDragTracker::Host host;
        host.windowAt = [this](int x, int) -> IRegistryWindow* { return x >= 100 ? target : nullptr; };
        host.captureMouse = [this](IRegistryWindow*) { captured = true; };
        host.releaseMouse = [this] { captured = false; };
        host.setDesignCursor = [this] { designCursor = true; };
        host.restoreCursor = [this] { designCursor = false; };
        return host;
    }

    IRegistryWindow* target = nullptr;
    bool captured = false;
    bool designCursor = false;
    CDragTracker tracker;
};

TEST_F(DragTrackerTest, ReleaseOverTheBackgroundKeepsTheDragAndOverAWindowDrops) {
    registry.Open(WindowKind::MusicDatabase, {}, false);
    registry.Open(WindowKind::EditCategories, {}, false);
    target = desk.Of(WindowKind::EditCategories)[0];
    RefPtr<CSegmentDesign> design(new CSegmentDesign());
    design->SetName("Night Drive");

    EXPECT_FALSE(tracker.EndDrag(150, 10)) << "no drag yet";
    tracker.BeginDrag(desk.Of(WindowKind::MusicDatabase)[0], CDragTracker::kDesignCursorKind, design);
    EXPECT_TRUE(captured);
    EXPECT_TRUE(designCursor);
    EXPECT_EQ(design->GetRefCount(), 2);

    EXPECT_FALSE(tracker.EndDrag(20, 20));
    EXPECT_TRUE(tracker.IsDragging());
    EXPECT_TRUE(captured);

    EXPECT_TRUE(tracker.EndDrag(150, 40));
    EXPECT_FALSE(tracker.IsDragging());
    EXPECT_FALSE(captured);
    EXPECT_FALSE(designCursor);
    auto& received = desk.Of(WindowKind::EditCategories)[0]->received;
    ASSERT_EQ(received.size(), 1u) << "a drop is sent, not posted";
    EXPECT_EQ(received[0].message, kUserMessage + 2);
    const auto& drop = std::any_cast<const DropRecord&>(received[0].first);
    EXPECT_EQ(drop.x, 150);
    EXPECT_EQ(drop.y, 40);
    EXPECT_EQ(drop.kind, 1);
    EXPECT_EQ(drop.design.get(), design.get());
    received.clear();
    EXPECT_EQ(design->GetRefCount(), 1);
}

TEST_F(DragTrackerTest, ANewDragReleasesTheDesignOfOneThatNeverEnded) {
    RefPtr<CSegmentDesign> first(new CSegmentDesign());
    RefPtr<CSegmentDesign> second(new CSegmentDesign());
    tracker.BeginDrag(nullptr, 2, first);
    EXPECT_FALSE(designCursor) << "only kind 1 shows the design cursor";
    tracker.BeginDrag(nullptr, 1, second);
    EXPECT_EQ(first->GetRefCount(), 1);
    EXPECT_EQ(tracker.GetDesign().get(), second.get());
    tracker.Abandon();
    EXPECT_EQ(second->GetRefCount(), 1);
    EXPECT_FALSE(designCursor);
}

}  // namespace
}  // namespace vantor
