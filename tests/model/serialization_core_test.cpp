#include <gtest/gtest.h>

#include <cmath>
#include <atomic>
#include <thread>

#include "model/array.h"
#include "model/effect.h"
#include "model/fixed_text.h"
#include "model/memory_istream.h"
#include "model/memory_ostream.h"
#include "model/ref_ptr.h"
#include "model/value_io.h"
#include "model/weighted_linked_list.h"
#include "support/byte_builder.h"

namespace vantor {
namespace {

using test::ByteBuilder;

// Counts how many of its kind are alive, to see every release.
class Probe : public ISerializable {
public:
    static inline int alive = 0;
    explicit Probe(int32_t value = 0) : value(value) { ++alive; }
    ~Probe() override { --alive; }
    void Serialize(CMemoryOStream& out) const override { WriteInt32(out, value); }
    void Deserialize(CMemoryIStream& in) override { value = ReadInt32(in); }
    Probe* Clone() const override { return new Probe(value); }
    int32_t value;
};

std::vector<uint8_t> Bytes(const ISerializable& object) {
    CMemoryOStream out(16, 16);
    object.Serialize(out);
    return out.ToVector();
}

TEST(SerializationCore, ValuesAreLittleEndianWithoutPadding) {
    CMemoryOStream out(1, 3);
    WriteInt32(out, -2);
    WriteDouble(out, 1.5);
    WriteText(out, "ab", 5);
    EXPECT_EQ(out.ToVector(), ByteBuilder().I32(-2).F64(1.5).I32(5).Raw("ab", 5).Bytes());
    // Growth is in whole steps: 1 + 3k >= 4 + 8 + 9 = 21 bytes.
    EXPECT_EQ(out.GetCapacity(), 22);

    CMemoryIStream in(out.GetData(), out.GetSize());
    EXPECT_EQ(ReadInt32(in), -2);
    EXPECT_EQ(ReadDouble(in), 1.5);
    char text[5] = {'x', 'x', 'x', 'x', 'x'};
    EXPECT_TRUE(ReadText(in, text, 5));
    EXPECT_STREQ(text, "ab");
    EXPECT_EQ(in.GetRemaining(), 0);
}

TEST(SerializationCore, ReadsPastTheEndGiveZeros) {
    const uint8_t bytes[] = {0x01, 0x02};
    CMemoryIStream in(bytes, 2);
    EXPECT_EQ(ReadInt32(in), 0x0201);  // the missing high bytes are zero
    EXPECT_EQ(ReadInt32(in), 0);
    EXPECT_EQ(ReadDouble(in), 0.0);

    // A text field whose stream ends right after its length keeps its buffer.
    auto lengthOnly = ByteBuilder().I32(10).Bytes();
    CMemoryIStream textIn(lengthOnly.data(), static_cast<int32_t>(lengthOnly.size()));
    FixedText<10> field("keep");
    EXPECT_TRUE(field.Read(textIn));
    EXPECT_EQ(field, "keep");
}

TEST(SerializationCore, TextLongerThanItsFieldIsDamageNotOverflow) {
    auto bytes = ByteBuilder().I32(300).Raw("x", 300).I32(7).Bytes();
    CMemoryIStream in(bytes.data(), static_cast<int32_t>(bytes.size()));
    FixedText<50> field("default");
    EXPECT_FALSE(field.Read(in));
    EXPECT_EQ(field, "default");
    EXPECT_TRUE(in.IsDamaged());
    EXPECT_EQ(ReadInt32(in), 0);  // nothing after the damage is trusted

    // A negative length is just as damaged.
    auto negative = ByteBuilder().I32(-1).Bytes();
    CMemoryIStream negIn(negative.data(), 4);
    EXPECT_FALSE(field.Read(negIn));

    // A full-capacity text without a terminator stays terminated.
    auto full = ByteBuilder().I32(4).Raw("abcd", 4).Bytes();
    CMemoryIStream fullIn(full.data(), 8);
    FixedText<4> small;
    EXPECT_TRUE(small.Read(fullIn));
    EXPECT_EQ(small, "abc");
}

TEST(SerializationCore, ReferenceCountsReleaseOnEveryPath) {
    Probe::alive = 0;
    {
        RefPtr<Probe> a = MakeRef<Probe>(1);
        EXPECT_EQ(a->GetRefCount(), 1);
        RefPtr<Probe> b = a;
        EXPECT_EQ(a->GetRefCount(), 2);
        RefPtr<ISerializable> base = a;
        EXPECT_EQ(a->GetRefCount(), 3);
        b = nullptr;
        base.reset();
        EXPECT_EQ(Probe::alive, 1);
    }
    EXPECT_EQ(Probe::alive, 0);

    auto* once = new Probe();
    once->AddRef();
    once->Release();  // count 1 -> 0 destroys
    EXPECT_EQ(Probe::alive, 0);
    (new Probe())->Release();  // count 0 -> -1 destroys too
    EXPECT_EQ(Probe::alive, 0);
}

TEST(SerializationCore, EmptyArrayIsSixteenBytesAndReadsBackAtCapacityZero) {
    CArray<Probe> empty(5, 7);
    EXPECT_EQ(Bytes(empty), ByteBuilder().ArrayHeader(5, 0, 7, 5).Bytes());

    auto bytes = Bytes(empty);
    CMemoryIStream in(bytes.data(), static_cast<int32_t>(bytes.size()));
    CArray<Probe> read;
    read.ReadItems(in, Probe());
    EXPECT_EQ(read.GetCapacity(), 0);
    EXPECT_EQ(read.GetCount(), 0);
    EXPECT_EQ(read.GetInitialCapacity(), 0);
    EXPECT_EQ(read.GetGrowStep(), 7);
    read.Add(new Probe(1));
    EXPECT_EQ(read.GetCapacity(), 7);
}

TEST(SerializationCore, ArrayRoundTripKeepsItemsAndReleasesThem) {
    Probe::alive = 0;
    {
        CArray<Probe> array(2, 3);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(array.Add(new Probe(i * 10)), i);
        EXPECT_EQ(array.GetCapacity(), 5);  // 2, then +3
        EXPECT_EQ(array.GetAt(4), nullptr);
        array.RemoveAt(1);
        array.RemoveAt(9);
        EXPECT_EQ(array.GetCount(), 3);
        EXPECT_EQ(Probe::alive, 3);
        EXPECT_EQ(Bytes(array), ByteBuilder().ArrayHeader(5, 3, 3, 2).I32(0).I32(20).I32(30).Bytes());

        auto bytes = Bytes(array);
        CMemoryIStream in(bytes.data(), static_cast<int32_t>(bytes.size()));
        RefPtr<CArray<Probe>> read = MakeRef<CArray<Probe>>();
        read->ReadItems(in, Probe());
        // Capacity and initial capacity become the count.
        EXPECT_EQ(Bytes(*read), ByteBuilder().ArrayHeader(3, 3, 3, 3).I32(0).I32(20).I32(30).Bytes());

        RefPtr<CArray<Probe>> clone(array.Clone());
        EXPECT_EQ(Bytes(*clone), Bytes(array));
        EXPECT_NE(clone->GetAt(0), array.GetAt(0));
        array.RemoveAll();
        EXPECT_EQ(array.GetCapacity(), 2);
        EXPECT_EQ(clone->GetAt(2)->value, 30);
    }
    EXPECT_EQ(Probe::alive, 0);
}

TEST(SerializationCore, ArrayCountBeyondTheBytesLeftGivesAnEmptyArray) {
    auto bytes = ByteBuilder().ArrayHeader(9, 9, 4, 9).I32(1).I32(99).Bytes();
    CMemoryIStream in(bytes.data(), static_cast<int32_t>(bytes.size()));
    CArray<Probe> read;
    read.ReadItems(in, Probe());
    EXPECT_EQ(read.GetCount(), 0);
    EXPECT_EQ(read.GetCapacity(), 0);
    EXPECT_EQ(read.GetGrowStep(), 1);
    EXPECT_EQ(read.GetInitialCapacity(), 0);
    // The enclosing record goes on from where the stream stands.
    EXPECT_EQ(ReadInt32(in), 1);

    // A negative count is a huge unsigned one.
    auto negative = ByteBuilder().ArrayHeader(0, -1, 0, 0).Bytes();
    CMemoryIStream negIn(negative.data(), 16);
    read.ReadItems(negIn, Probe());
    EXPECT_EQ(read.GetCount(), 0);

    // A growth step of 0 or less becomes 1.
    auto zeroStep = ByteBuilder().ArrayHeader(0, 1, -3, 0).I32(5).Bytes();
    CMemoryIStream stepIn(zeroStep.data(), static_cast<int32_t>(zeroStep.size()));
    read.ReadItems(stepIn, Probe());
    EXPECT_EQ(read.GetCount(), 1);
    EXPECT_EQ(read.GetGrowStep(), 1);
}

TEST(SerializationCore, ItemsStopWhereTheStreamRunsDry) {
    // Count 6 fits the 8 bytes left, but only two items are there: no
    // objects are made for bytes that do not exist.
    auto bytes = ByteBuilder().ArrayHeader(6, 6, 1, 6).I32(1).I32(2).Bytes();
    CMemoryIStream in(bytes.data(), static_cast<int32_t>(bytes.size()));
    CArray<Probe> read;
    read.ReadItems(in, Probe());
    ASSERT_EQ(read.GetCount(), 2);
    EXPECT_EQ(read.GetAt(1)->value, 2);
}

TEST(SerializationCore, ListKeepsWeightOrderAndInsertionOrderAmongEquals) {
    CWeightedLinkedList<Probe> list;
    list.Insert(new Probe(1), 5);
    list.Insert(new Probe(2), 3);
    list.Insert(new Probe(3), 5);
    list.Insert(new Probe(4), 1);
    std::vector<int32_t> order;
    for (auto* n = list.GetHead(); n; n = n->GetNext()) order.push_back(n->GetItem()->value);
    EXPECT_EQ(order, (std::vector<int32_t>{4, 2, 1, 3}));
    std::vector<int32_t> backwards;
    for (auto* n = list.GetTail(); n; n = n->GetPrev()) backwards.push_back(n->GetItem()->value);
    EXPECT_EQ(backwards, (std::vector<int32_t>{3, 1, 2, 4}));

    // Weights compare as unsigned numbers: a negative weight sorts last.
    list.Insert(new Probe(5), -1);
    EXPECT_EQ(list.GetTail()->GetItem()->value, 5);

    EXPECT_EQ(Bytes(list), ByteBuilder()
                               .I32(5).I32(0)
                               .I32(1).I32(4).I32(3).I32(2).I32(5).I32(1).I32(5).I32(3).I32(-1).I32(5)
                               .Bytes());
    list.Remove(list.GetHead()->GetNext());
    EXPECT_EQ(list.GetCount(), 4);
    EXPECT_EQ(list.GetHead()->GetNext()->GetItem()->value, 1);
}

TEST(SerializationCore, ListReadKeepsStoredOrderAndRejectsOversizedCounts) {
    Probe::alive = 0;
    {
        // Stored out of order: read back as stored, not re-sorted.
        auto bytes = ByteBuilder().I32(2).I32(7).I32(50).I32(1).I32(10).I32(2).Bytes();
        CMemoryIStream in(bytes.data(), static_cast<int32_t>(bytes.size()));
        CWeightedLinkedList<Probe> list;
        list.Insert(new Probe(99), 0);
        list.ReadItems(in, Probe());
        ASSERT_EQ(list.GetCount(), 2);
        EXPECT_EQ(list.GetBaseWeight(), 7);
        EXPECT_EQ(list.GetHead()->GetWeight(), 50);
        EXPECT_EQ(list.GetTail()->GetItem()->value, 2);
        EXPECT_EQ(Bytes(list), bytes);

        RefPtr<CWeightedLinkedList<Probe>> clone(list.Clone());
        EXPECT_EQ(Bytes(*clone), bytes);

        auto oversized = ByteBuilder().I32(100).I32(0).I32(1).Bytes();
        CMemoryIStream bad(oversized.data(), static_cast<int32_t>(oversized.size()));
        list.ReadItems(bad, Probe());
        EXPECT_EQ(list.GetCount(), 0);
        EXPECT_EQ(list.GetHead(), nullptr);
    }
    EXPECT_EQ(Probe::alive, 0);
}

TEST(SerializationCore, ThreadedContainersSerializeConsistentlyWhileEdited) {
    // Each container's recursive lock makes its operations atomic: a writer
    // adding and removing pieces never leaves a reader with a torn record.
    RefPtr<CWeightedLinkedList<CEffect>> list = MakeRef<CWeightedLinkedList<CEffect>>();
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; i < 2000; ++i) {
            auto* node = list->Insert(new CEffect(i, i + 1, 1.0, 0.5), i % 97);
            if (i % 3 == 0) list->Remove(node);
        }
        stop = true;
    });
    while (!stop) {
        CMemoryOStream out;
        list->Serialize(out);
        CMemoryIStream in(out.GetData(), out.GetSize());
        int32_t count = ReadInt32(in);
        EXPECT_EQ(out.GetSize(), 8 + count * (4 + 24));
    }
    writer.join();
}

}  // namespace
}  // namespace vantor
