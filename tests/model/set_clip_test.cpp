#include <gtest/gtest.h>

#include "model/set_clip.h"
#include "model/set_clipboard.h"
#include "model/set_file.h"
#include "platform/clipboard.h"
#include "support/byte_builder.h"

namespace vantor {
namespace {

using test::ByteBuilder;
using test::SameBytes;

CSegmentDesign* Design(const char* name, int32_t offset) {
    auto* design = new CSegmentDesign();
    design->SetName(name);
    design->SetPositionOffset(offset);
    design->GetSegment()->SetEnd(4410);
    return design;
}

void ExpectedDesign(ByteBuilder& b, const char* name, int32_t offset) {
    b.Text(name, 255).I32(offset).I32(0).F64(130.0).F64(1.0);
    b.I32(0).I32(4410).F64(1.0).Text("", 255).Text("", 50).ArrayHeader(5, 0, 5, 5);
}

TEST(SetClip, TwoTracksWithADesignEachMatchTheLayoutAndReadBack) {
    CSetClip clip;
    clip.SetCount(2);
    clip.GetArray(0)->Add(Design("first", 0));
    clip.GetArray(1)->Add(Design("second", 22050));

    ByteBuilder b;
    b.I32(2).I32(-1);
    b.ArrayHeader(5, 1, 5, 5);
    ExpectedDesign(b, "first", 0);
    b.ArrayHeader(5, 1, 5, 5);
    ExpectedDesign(b, "second", 22050);
    EXPECT_TRUE(SameBytes(SerializeToBytes(clip), b.Bytes()));

    CSetClip read;
    DeserializeFromBytes(read, b.Bytes().data(), b.Size());
    ASSERT_EQ(read.GetCount(), 2);
    EXPECT_EQ(read.GetTag(), -1);
    EXPECT_STREQ(read.GetArray(1)->GetAt(0)->GetName(), "second");
    EXPECT_EQ(read.GetArray(1)->GetAt(0)->GetPositionOffset(), 22050);

    read.ShiftOffsets(-50);
    EXPECT_EQ(read.GetArray(0)->GetAt(0)->GetPositionOffset(), -50);
    RefPtr<CSetClip> clone(read.Clone());
    EXPECT_EQ(clone->GetArray(1)->GetAt(0)->GetPositionOffset(), 22000);
    EXPECT_NE(clone->GetArray(1), read.GetArray(1));
    EXPECT_EQ(read.GetArray(2), nullptr);
}

TEST(SetClip, DamagedCountsNeverAllocateBeyondTheInput) {
    // A count far beyond what the bytes could hold reads as an empty clip.
    auto huge = ByteBuilder().I32(0x7FFFFFFF).I32(5).Bytes();
    CSetClip clip;
    DeserializeFromBytes(clip, huge.data(), huge.size());
    EXPECT_EQ(clip.GetCount(), 0);
    auto negative = ByteBuilder().I32(-3).I32(-1).Bytes();
    DeserializeFromBytes(clip, negative.data(), negative.size());
    EXPECT_EQ(clip.GetCount(), 0);

    // Every truncation of a good clip reads without harm.
    CSetClip good;
    good.SetCount(3);
    good.GetArray(2)->Add(Design("x", 7));
    std::vector<uint8_t> bytes = SerializeToBytes(good);
    for (size_t size = 0; size <= bytes.size(); ++size) {
        CSetClip part;
        DeserializeFromBytes(part, bytes.data(), size);
        EXPECT_LE(part.GetCount(), 3);
    }
}

TEST(SetClipboard, DesignsAndClipsTravelUnderTheirOwnFormats) {
    RegisterSetClipboardFormats();
    Clipboard& clipboard = Clipboard::Instance();
    EXPECT_NE(clipboard.FindFormat("VantorSet Clip"), 0u);
    EXPECT_NE(clipboard.FindFormat("VantorSegment Design"), clipboard.FindFormat("VantorSet Clip"));

    RefPtr<CSegmentDesign> design(Design("copied", 0));
    ASSERT_TRUE(PutOnClipboard(*design, kSegmentDesignFormat));
    auto block = clipboard.GetData(clipboard.FindFormat(kSegmentDesignFormat));
    ASSERT_TRUE(block);
    EXPECT_EQ(*block, SerializeToBytes(*design));  // exactly the record, nothing more

    CSegmentDesign pasted;
    ASSERT_TRUE(ReadFromClipboard(kSegmentDesignFormat, pasted));
    EXPECT_STREQ(pasted.GetName(), "copied");
    CSetClip clip;
    EXPECT_FALSE(ReadFromClipboard(kSetClipFormat, clip));

    // Putting a clip empties the clipboard first.
    CSetClip section;
    section.SetCount(1);
    ASSERT_TRUE(PutOnClipboard(section, kSetClipFormat));
    EXPECT_FALSE(ReadFromClipboard(kSegmentDesignFormat, pasted));
    ASSERT_TRUE(ReadFromClipboard(kSetClipFormat, clip));
    EXPECT_EQ(clip.GetCount(), 1);
}

}  // namespace
}  // namespace vantor
