#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "effects/effects_fixture.h"
#include "engine/audio_fixtures.h"
#include "engine/name_hash_table.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

TEST(EffectRegistryTableTest, HashProbingAndDeletedSlots) {
    using Table = NameHashTable<int>;
    // "Echo" as one little-endian word; "Volume" as "Volu" ^ "me\0\0".
    EXPECT_EQ(Table::Hash("Echo"), 0x6F686345u);
    EXPECT_EQ(Table::Hash("Volume"), 0x756C6F56u ^ 0x0000656Du);
    EXPECT_EQ(Table::Hash(nullptr), 0u);
    EXPECT_EQ(Table::Hash(""), 0u);

    // Names whose bytes trade places between words share a hash and so a probe path.
    Table table;
    const char* colliding[] = {"abcdefgh", "efghabcd", "ebcdafgh"};
    EXPECT_EQ(Table::Hash(colliding[0]), Table::Hash(colliding[1]));
    EXPECT_EQ(Table::Hash(colliding[0]), Table::Hash(colliding[2]));
    EXPECT_TRUE(table.Insert(colliding[0], 1));
    EXPECT_TRUE(table.Insert(colliding[1], 2));
    EXPECT_TRUE(table.Insert(colliding[2], 3));
    EXPECT_FALSE(table.Insert(colliding[1], 9));  // present already
    std::vector<std::string> order = {table.KeyAt(0), table.KeyAt(1), table.KeyAt(2)};
    // Removing the first of the path leaves a mark the others are found past.
    EXPECT_TRUE(table.Remove(colliding[0]));
    ASSERT_NE(table.Find(colliding[2]), nullptr);
    EXPECT_EQ(*table.Find(colliding[2]), 3);
    EXPECT_EQ(table.Find(colliding[0]), nullptr);
    EXPECT_EQ(table.Count(), 2u);
    // Insertion reuses the deleted slot, so the slot order is as before.
    EXPECT_TRUE(table.Insert(colliding[0], 5));
    EXPECT_EQ((std::vector<std::string>{table.KeyAt(0), table.KeyAt(1), table.KeyAt(2)}), order);
    EXPECT_EQ(table.Count(), 3u);

    // 113 slots and no more; case matters; a full table still answers.
    Table full;
    for (int i = 0; i < 113; ++i) ASSERT_TRUE(full.Insert(("effect" + std::to_string(i)).c_str(), i));
    EXPECT_FALSE(full.Insert("one too many", 0));
    EXPECT_EQ(full.Find("Effect1"), nullptr);
    EXPECT_EQ(*full.Find("effect112"), 112);
    EXPECT_EQ(full.KeyAt(113), nullptr);

    // Long names are cut to 255 characters on both sides.
    Table names;
    std::string longName(300, 'x');
    EXPECT_TRUE(names.Insert(longName.c_str(), 1));
    EXPECT_NE(names.Find(std::string(255, 'x').c_str()), nullptr);
    EXPECT_EQ(std::string(names.KeyAt(0)).size(), 255u);
}

class EffectHostTest : public ::testing::Test {
protected:
    void CopyTonebank(const std::string& name) {
        fs::copy_file(test::TonebankPath(), m_dir / name, fs::copy_options::overwrite_existing);
    }
    test::TempDir m_dir;
};

TEST_F(EffectHostTest, SecondLibraryRegisteringTheSameNamesIsRefused) {
    CopyTonebank("a.so");
    CopyTonebank("b.so");
    CEffectManagerImpl manager;
    manager.LoadEffectLibraries(m_dir.Path());
    EXPECT_EQ(manager.GetLibraryCount(), 2);
    EXPECT_EQ(manager.GetEffectCount(), 7);
    IEffect* echo = manager.FindEffect("Echo");
    ASSERT_NE(echo, nullptr);
    // The one that stays is the first library's.
    void* first = ::dlopen((m_dir / "a.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(first, nullptr);
    Dl_info info{};
    ASSERT_NE(::dladdr(*reinterpret_cast<void**>(echo), &info), 0);
    EXPECT_EQ(fs::path(info.dli_fname).filename(), "a.so");
    ::dlclose(first);
    EXPECT_EQ(echo->GetName(), std::string("Echo"));
}

TEST_F(EffectHostTest, DirectoriesLibrariesWithoutTheExportAndJunk) {
    CopyTonebank("Tonebank.so");
    fs::copy_file("/lib/x86_64-linux-gnu/libz.so.1", m_dir / "plain.so");
    std::ofstream(m_dir / "junk.so") << "not a library";
    std::ofstream(m_dir / "notes.txt") << "ignored";

    for (const std::string& dir : {m_dir.Path(), m_dir.Path() + "/"}) {
        SCOPED_TRACE(dir);
        CEffectManagerImpl manager;
        manager.LoadEffectLibraries(dir);
        EXPECT_EQ(manager.GetLibraryCount(), 1);
        EXPECT_EQ(manager.GetEffectCount(), 7);
        // The library without the export was unloaded again.
        EXPECT_EQ(::dlopen((m_dir / "plain.so").c_str(), RTLD_LAZY | RTLD_NOLOAD), nullptr);
        std::vector<std::string> names;
        for (int i = 0; i < manager.GetEffectCount(); ++i) names.push_back(manager.GetEffectNameAt(i));
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"Bass Filter", "Ch. Inverter", "Echo", "Flanger", "Panning",
                                                   "Treble Filter", "Volume"}));
        EXPECT_EQ(manager.GetEffectNameAt(7), nullptr);
        EXPECT_EQ(manager.GetEffectNameAt(-1), nullptr);
        EXPECT_EQ(manager.FindEffect("echo"), nullptr);
        EXPECT_EQ(manager.FindEffect(nullptr), nullptr);
    }
    CEffectManagerImpl empty;
    empty.LoadEffectLibraries("");
    empty.LoadEffectLibraries(m_dir / "missing");
    EXPECT_EQ(empty.GetEffectCount(), 0);
    EXPECT_FALSE(empty.LoadEffectLibrary(m_dir / "junk.so"));
}

TEST(EffectEntryTest, ConstantAndEnvelopeEntries) {
    CEffectEntryConstImpl constant("Echo", "Decay", 0.25);
    EXPECT_STREQ(constant.GetParameterName(), "Decay");
    EXPECT_EQ(constant.GetStart(), 0u);
    EXPECT_EQ(constant.GetEnd(), 0xFFFFFFFFu);
    EXPECT_EQ(constant.GetStartValue(), 0.25);
    EXPECT_EQ(constant.GetEndValue(), 0.25);
    EXPECT_FALSE(constant.Next());
    EXPECT_FALSE(constant.Prev());
    EXPECT_TRUE(constant.IsValid());

    std::vector<EffectSpan> spans = {{0, 100, 0.0, 1.0}, {100, 300, 1.0, 0.5}, {300, 400, 0.5, 0.5}};
    CEffectEntryImpl entry("Volume", std::string(150, 'L'), spans, 1);
    EXPECT_EQ(std::string(entry.GetParameterName()).size(), 99u);  // the field holds 100 with its terminator
    EXPECT_EQ(entry.GetStart(), 100u);
    EXPECT_TRUE(entry.Next());
    EXPECT_EQ(entry.GetEnd(), 400u);
    EXPECT_FALSE(entry.Next());
    EXPECT_FALSE(entry.IsValid());
    EXPECT_FALSE(entry.Prev());  // valid again, not moved
    EXPECT_TRUE(entry.IsValid());
    EXPECT_EQ(entry.GetStart(), 300u);
    EXPECT_TRUE(entry.Prev());
    EXPECT_TRUE(entry.Prev());
    EXPECT_EQ(entry.GetStart(), 0u);
    EXPECT_FALSE(entry.Prev());
    entry.Rewind();
    EXPECT_EQ(entry.GetStart(), 100u);

    std::vector<EffectSpan> none;
    CEffectEntryImpl empty("Volume", "Level", none);
    EXPECT_FALSE(empty.IsValid());
    EXPECT_EQ(empty.GetEnd(), 0u);
}

}  // namespace
}  // namespace vantor
