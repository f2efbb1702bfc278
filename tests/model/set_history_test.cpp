#include <gtest/gtest.h>

#include "model/music_set.h"
#include "model/set_file.h"
#include "model/set_history.h"
#include "support/byte_builder.h"

namespace vantor {
namespace {

using test::ByteBuilder;
using test::SameBytes;

RefPtr<CMusicSet> NewSet() {
    NewSetOptions options;
    options.audioTracks = 2;
    return CMusicSet::CreateNew(options);
}

CEvent* SegmentEvent(int32_t position, int32_t start, int32_t end, const char* key) {
    auto* event = new CEvent();
    event->SetPosition(position);
    auto design = MakeRef<CSegmentDesign>();
    design->GetSegment()->SetStart(start);
    design->GetSegment()->SetEnd(end);
    design->GetSegment()->SetSongKey(key);
    event->SetSegment(design.get());
    return event;
}

CEvent* TempoEvent(int32_t position, double tempo) {
    auto* event = new CEvent();
    event->SetPosition(position);
    event->SetTempoChange(new CTempoChange(tempo));
    return event;
}

std::vector<int32_t> Positions(const CTrack& track) {
    std::vector<int32_t> positions;
    for (auto* n = track.GetEvents().GetHead(); n; n = n->GetNext()) positions.push_back(n->GetItem()->GetPosition());
    return positions;
}

// Inserts the event into the track and records it, as an editor command does.
void Insert(CSetHistory& history, CMusicSet& set, int32_t track, CEvent* event) {
    set.GetTrack(track)->AddEvent(event);
    history.RecordInsert(track, event);
}

// Moves an event: a new event replaces the old one in the list.
CEvent* Move(CSetHistory& history, CMusicSet& set, int32_t track, int32_t from, int32_t to) {
    CTrack* t = set.GetTrack(track);
    auto* node = t->GetEvents().GetHead();
    while (node && node->GetItem()->GetPosition() != from) node = node->GetNext();
    RefPtr<CEvent> old(node->GetItem());
    CEvent* moved = old->Clone();
    moved->SetPosition(to);
    t->GetEvents().Remove(node);
    t->AddEvent(moved);
    history.RecordReplace(track, old.get(), moved);
    return moved;
}

TEST(SetHistory, EditsOutsideAGroupAreUndoneOneAtATime) {
    RefPtr<CMusicSet> set = NewSet();
    CSetHistory history(set.get());
    CEvent* a = SegmentEvent(100, 0, 50, "a");
    Insert(history, *set, 1, a);
    EXPECT_TRUE(set->IsModified());
    EXPECT_EQ(a->GetPendingEdits(), 1);
    EXPECT_EQ(history.GetRecords().GetAt(0)->GetNewCopy()->GetPendingEdits(), 1);  // copy taken after the mark
    Insert(history, *set, 1, SegmentEvent(500, 0, 50, "b"));
    EXPECT_EQ(Positions(*set->GetTrack(1)), (std::vector<int32_t>{100, 500}));

    history.Undo();
    EXPECT_EQ(Positions(*set->GetTrack(1)), (std::vector<int32_t>{100}));
    history.Undo();
    EXPECT_TRUE(Positions(*set->GetTrack(1)).empty());
    EXPECT_FALSE(history.HasRecords());
}

TEST(SetHistory, AGroupIsUndoneWholeAndLeavesEarlierEditsAlone) {
    RefPtr<CMusicSet> set = NewSet();
    CSetHistory history(set.get());
    Insert(history, *set, 1, SegmentEvent(10, 0, 5, "before"));

    EXPECT_EQ(history.Group(true), 1);
    Insert(history, *set, 1, SegmentEvent(100, 0, 5, "x"));
    Insert(history, *set, 2, SegmentEvent(200, 0, 5, "y"));
    Move(history, *set, 1, 100, 150);
    EXPECT_EQ(history.Group(false), 0);
    // Three linked edits and the group end.
    ASSERT_EQ(history.GetRecords().GetCount(), 5);
    EXPECT_EQ(history.GetRecords().GetAt(4)->GetKind(), CSetOperationInfo::kGroupEnd);
    EXPECT_FALSE(history.GetRecords().GetAt(4)->IsLinked());
    EXPECT_TRUE(history.GetRecords().GetAt(3)->IsLinked());
    EXPECT_FALSE(history.GetRecords().GetAt(0)->IsLinked());

    history.Undo();
    EXPECT_EQ(history.GetRecords().GetCount(), 1);
    EXPECT_EQ(Positions(*set->GetTrack(1)), (std::vector<int32_t>{10}));
    EXPECT_TRUE(Positions(*set->GetTrack(2)).empty());

    // Opening and closing a group without edits records nothing; nested
    // groups end once; closing too often stays at depth 0.
    history.Group(true);
    history.Group(false);
    EXPECT_EQ(history.GetRecords().GetCount(), 1);
    history.Group(true);
    history.Group(true);
    Insert(history, *set, 1, SegmentEvent(300, 0, 5, "z"));
    EXPECT_EQ(history.Group(false), 1);
    EXPECT_EQ(history.GetRecords().GetCount(), 2);
    EXPECT_EQ(history.Group(false), 0);
    EXPECT_EQ(history.GetRecords().GetCount(), 3);
    EXPECT_EQ(history.Group(false), 0);
    EXPECT_FALSE(history.IsInGroup());
}

TEST(SetHistory, UndoOfAReplacePutsTheOldEventBack) {
    RefPtr<CMusicSet> set = NewSet();
    CSetHistory history(set.get());
    CEvent* original = SegmentEvent(1000, 0, 10, "song");
    set->GetTrack(1)->AddEvent(original);
    RefPtr<CEvent> keep(original);
    CEvent* moved = Move(history, *set, 1, 1000, 4000);
    EXPECT_EQ(original->GetPendingEdits(), 1);
    EXPECT_EQ(moved->GetPendingEdits(), 1);
    EXPECT_EQ(Positions(*set->GetTrack(1)), (std::vector<int32_t>{4000}));

    history.Undo();
    ASSERT_EQ(Positions(*set->GetTrack(1)), (std::vector<int32_t>{1000}));
    EXPECT_EQ(set->GetTrack(1)->GetEvents().GetHead()->GetItem(), original);
    EXPECT_EQ(original->GetPendingEdits(), 0);

    // Undo of a remove inserts the removed event again.
    auto* node = set->GetTrack(1)->GetEvents().GetHead();
    history.RecordRemove(1, original);
    set->GetTrack(1)->GetEvents().Remove(node);
    EXPECT_TRUE(Positions(*set->GetTrack(1)).empty());
    history.UndoAll();
    EXPECT_EQ(Positions(*set->GetTrack(1)), (std::vector<int32_t>{1000}));
    EXPECT_EQ(original->GetPendingEdits(), 0);
}

TEST(SetHistory, RecordOfInsertAndReplaceMatchesTheLayout) {
    RefPtr<CMusicSet> set = NewSet();
    CSetHistory history(set.get());
    Insert(history, *set, 1, SegmentEvent(100, 5, 9, "k"));
    CEvent* tempo = set->GetTrack(0)->GetEvents().GetHead()->GetItem();
    RefPtr<CEvent> old(tempo);
    CEvent* faster = TempoEvent(0, 140.0);
    faster->SetColour(kTempoEventColour);
    set->GetTrack(0)->GetEvents().Remove(set->GetTrack(0)->GetEvents().GetHead());
    set->GetTrack(0)->AddEvent(faster);
    history.RecordReplace(0, old.get(), faster, true);

    ByteBuilder b;
    b.ArrayHeader(5, 2, 5, 5);
    // Insert on track 1: no old copy, the new copy.
    b.I32(1).I32(1).I32(0).I32(0).I32(1);
    b.I32(1).I32(100).I32(215);
    b.Text("", 255).I32(0).I32(0).F64(130.0).F64(1.0);
    b.I32(5).I32(9).F64(1.0).Text("k", 255).Text("", 50).ArrayHeader(5, 0, 5, 5);
    // Replace on track 0, linked: both copies.
    b.I32(3).I32(0).I32(1);
    b.I32(1).I32(2).I32(0).I32(0x7F7F7F).I32(0).F64(130.0);
    b.I32(1).I32(2).I32(0).I32(0x7F7F7F).I32(0).F64(140.0);
    EXPECT_TRUE(SameBytes(SerializeToBytes(history), b.Bytes()));

    // Read back: the copies only, no live events and no set.
    CSetHistory read;
    DeserializeFromBytes(read, b.Bytes().data(), b.Size());
    ASSERT_EQ(read.GetRecords().GetCount(), 2);
    const CSetOperationInfo* replace = read.GetRecords().GetAt(1);
    EXPECT_EQ(replace->GetKind(), CSetOperationInfo::kReplace);
    EXPECT_TRUE(replace->IsLinked());
    EXPECT_EQ(replace->GetOldCopy()->GetTempoChange()->GetTempo(), 130.0);
    EXPECT_EQ(replace->GetNewCopy()->GetTempoChange()->GetTempo(), 140.0);
    EXPECT_EQ(replace->GetOldEvent(), nullptr);
    EXPECT_EQ(read.GetSet(), nullptr);
    RefPtr<CSetHistory> clone(history.Clone());
    EXPECT_EQ(clone->GetSet(), nullptr);
    EXPECT_EQ(clone->GetRecords().GetAt(0)->GetNewEvent(), nullptr);
    EXPECT_TRUE(SameBytes(SerializeToBytes(*clone), b.Bytes()));
}

TEST(SetHistory, ReplayOfASerializedHistoryReproducesTheEditedSet) {
    RefPtr<CMusicSet> set = NewSet();
    Insert(*MakeRef<CSetHistory>(set.get()), *set, 1, SegmentEvent(50, 0, 10, "existing"));
    RefPtr<CMusicSet> before(set->Clone());

    CSetHistory history(set.get());
    history.Group(true);
    Insert(history, *set, 1, SegmentEvent(1000, 0, 100, "a"));
    Insert(history, *set, 2, SegmentEvent(2000, 20, 300, "b"));
    history.Group(false);
    Move(history, *set, 1, 50, 70000);
    CEvent* tempo = TempoEvent(88200, 126.0);
    Insert(history, *set, 0, tempo);
    // A remove of the event inserted above.
    auto* node = set->GetTrack(2)->GetEvents().GetHead();
    history.RecordRemove(2, node->GetItem());
    set->GetTrack(2)->GetEvents().Remove(node);
    // A record for a track the copy does not have is skipped.
    history.RecordInsert(9, SegmentEvent(1, 0, 1, "nowhere"));

    std::vector<uint8_t> wire = SerializeToBytes(history);
    CSetHistory received;
    DeserializeFromBytes(received, wire.data(), wire.size());
    received.Replay(*before);

    // Compared as written after one trip through a reader, which settles
    // every array's capacity words on its count.
    auto settled = [](const CMusicSet& s) {
        std::vector<uint8_t> bytes = SerializeToBytes(s);
        CMusicSet read;
        DeserializeFromBytes(read, bytes.data(), bytes.size());
        return SerializeToBytes(read);
    };
    EXPECT_TRUE(SameBytes(settled(*before), settled(*set)));
    // Replayed events start without pending marks.
    for (auto* n = before->GetTrack(1)->GetEvents().GetHead(); n; n = n->GetNext())
        EXPECT_EQ(n->GetItem()->GetPendingEdits(), 0);
    EXPECT_TRUE(received.HasRecords());  // replay keeps the records
}

TEST(SetHistory, CommitClearsPendingMarksAndDropsRecords) {
    RefPtr<CMusicSet> set = NewSet();
    CSetHistory history(set.get());
    CEvent* a = SegmentEvent(100, 0, 50, "a");
    Insert(history, *set, 1, a);
    CEvent* moved = Move(history, *set, 1, 100, 300);
    EXPECT_EQ(moved->GetPendingEdits(), 2);  // cloned with the insert's mark, then marked again
    history.Commit();
    EXPECT_FALSE(history.HasRecords());
    EXPECT_EQ(moved->GetPendingEdits(), 0);
    // Nothing is left to undo.
    history.Undo();
    EXPECT_EQ(Positions(*set->GetTrack(1)), (std::vector<int32_t>{300}));
}

TEST(SetHistory, DamagedHistoryBytesNeverCrash) {
    RefPtr<CMusicSet> set = NewSet();
    CSetHistory history(set.get());
    Insert(history, *set, 1, SegmentEvent(100, 0, 50, "a"));
    Move(history, *set, 1, 100, 300);
    const std::vector<uint8_t> good = SerializeToBytes(history);
    for (size_t size = 0; size <= good.size(); ++size) {
        CSetHistory read;
        DeserializeFromBytes(read, good.data(), size);
        RefPtr<CMusicSet> target = NewSet();
        read.Replay(*target);
        EXPECT_LE(target->GetTrack(1)->GetEvents().GetCount(), 1) << size;
    }
}

}  // namespace
}  // namespace vantor
