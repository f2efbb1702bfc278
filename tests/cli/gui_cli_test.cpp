#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace vantor {
namespace {

// vantor gui replaces itself by the workstation found beside it, started in
// the program directory; a stand-in workstation reports what it was given.
class GuiCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("VANTOR_BIN");
        ASSERT_NE(bin, nullptr);
        original = bin;
        std::filesystem::create_directory(dir / "bin");
        std::filesystem::create_directory(dir / "home");
        std::filesystem::copy_file(bin, dir / "bin/vantor");
        ::setenv("VANTOR_BIN", (dir / "bin/vantor").c_str(), 1);
    }
    void TearDown() override { ::setenv("VANTOR_BIN", original.c_str(), 1); }

    test::TempDir dir;
    std::string original;
};

TEST_F(GuiCliTest, StartsTheWorkstationBesideItInTheProgramDirectory) {
    {
        std::ofstream script(dir / "bin/vantor-workstation");
        script << "#!/bin/sh\npwd\necho \"$@\"\n";
    }
    std::filesystem::permissions(dir / "bin/vantor-workstation", std::filesystem::perms::owner_all);
    std::ofstream(dir / "party.plt") << "";
    auto result = test::RunVantor({"--home", dir / "home", "gui", dir / "party.plt"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, std::filesystem::canonical(dir / "home").string() + "\n" + (dir / "party.plt") + "\n");
}

TEST_F(GuiCliTest, AMissingWorkstationIsNamed) {
    auto result = test::RunVantor({"--home", dir / "home", "gui"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("vantor-workstation is not installed beside vantor"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace vantor
