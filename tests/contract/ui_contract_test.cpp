// Message boxes, and the installed program's window found and asked to quit.
#include <string>
#include <vector>

#include "platform/ui.h"
#include "tests/contract/contract_world.h"

namespace velt::contract {
namespace {

class UiContract : public ContractTest {};

// The button pressed comes back, from either function and either kind of box,
// and the box shows the caption, the text and the buttons asked for.
TEST_F(UiContract, TheButtonPressedComesBack) {
  using platform::kIdNo, platform::kIdOk, platform::kIdYes;
  AnswerBoxes({kIdYes, kIdOk, kIdNo});
  EXPECT_EQ(platform::MessageBox("Install the update?", "Velt",
                                 platform::kMbYesNo | platform::kMbIconQuestion),
            kIdYes);
  EXPECT_EQ(platform::MessageBoxEx("The update is installed.", "Velt update",
                                   platform::kMbOk | platform::kMbIconError, 1033),
            kIdOk);
  EXPECT_EQ(platform::MessageBoxEx("Start Velt?", "Velt", platform::kMbYesNo, 1033), kIdNo);
  EXPECT_EQ(AnsweredBoxes(), (std::vector<std::string>{"Velt: Install the update? [6 7]",
                                                       "Velt update: The update is installed. [1]",
                                                       "Velt: Start Velt? [6 7]"}));
}

TEST_F(UiContract, FindsTheWindowByClassAndPostsQuitToIt) {
  const std::string window_class = ObjectName("VeltContractWindow");
  void* window = NewWindow(window_class);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(platform::FindWindow(window_class), window);
  EXPECT_EQ(platform::FindWindow("VeltNoSuchWindowClass"), nullptr);
  ASSERT_TRUE(platform::PostMessage(window, platform::kWmQuit, 3, 4));
  EXPECT_EQ(TakePostedMessage(window), std::to_string(platform::kWmQuit) + " 3 4");
  EXPECT_EQ(TakePostedMessage(window), "");
  DestroyTestWindow(window);
  EXPECT_EQ(platform::FindWindow(window_class), nullptr);
  EXPECT_FALSE(platform::PostMessage(window, platform::kWmQuit, 0, 0));
}

}  // namespace
}  // namespace velt::contract
