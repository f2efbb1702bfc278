#include "platform/user_interface.h"

#include <gtest/gtest.h>

#include "platform/scripted_user_interface.h"

namespace vantor {
namespace {

TEST(UserInterfaceTest, ARefusalIsShownInAnOkBoxUnlessItIsSilent) {
    ScriptedUserInterface ui;
    ui.ShowRefusal(Refusal{"", "Mixdown", MessageIcon::Error});
    EXPECT_TRUE(ui.Messages().empty());
    ui.ShowRefusal(Refusal{"Insufficient disk space.", "Mixdown", MessageIcon::Exclamation});
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Insufficient disk space.");
    EXPECT_EQ(ui.Messages()[0].caption, "Mixdown");
    EXPECT_EQ(ui.Messages()[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(ui.Messages()[0].icon, MessageIcon::Exclamation);
}

}  // namespace
}  // namespace vantor
