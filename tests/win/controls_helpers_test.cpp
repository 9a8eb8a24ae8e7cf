// The shared Win32 helpers of controls/: strings and message texts come from
// this module's own resources.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "controls/message_box.h"
#include "controls/res_string.h"
#include "resources/resource.h"

namespace qm {
namespace {

TEST(ResourceStrings, LoadAndFormatFromThisModule) {
  EXPECT_EQ(LoadResString(IDS_PRODUCT_NAME), "Quillmere");
  EXPECT_EQ(LoadResString(65000), "") << "an id the table lacks";
  EXPECT_EQ(FormatResString(IDS_RECENT_PAIR, {reinterpret_cast<DWORD_PTR>("a.txt"),
                                              reinterpret_cast<DWORD_PTR>("b.txt")}),
            "a.txt <---> b.txt");
  EXPECT_EQ(FormatResString(IDS_STATUS_DIFFS, {3, 1200}), "Diffs: 3, Lines: 1200");
  EXPECT_EQ(FormatResString(IDS_STATUS_DIFFS), "Diffs: %1!ld!, Lines: %2!ld!")
      << "no inserts: the string as it stands";
  EXPECT_EQ(FormatString("%1 and %2!ld!", {reinterpret_cast<DWORD_PTR>("x"), 7}), "x and 7");
}

TEST(ResourceStrings, SystemMessagesLoseTheirLineBreak) {
  const std::string text = SystemMessage(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.back(), '\n');
  EXPECT_NE(text.back(), '\r');
  EXPECT_EQ(SystemMessage(0x2000FFFF), "Error 536936447") << "no text for the code";
}

}  // namespace
}  // namespace qm
