#include "common/text_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qm {
namespace {

TEST(DecimalDigits, CountsTheDigitsOfPositiveNumbersOnly) {
  const struct {
    int32_t n;
    int digits;
  } cases[] = {{0, 0}, {-5, 0}, {1, 1}, {9, 1}, {10, 2}, {99, 2}, {100, 3},
               {999999, 6}, {1000000, 7}, {2147483647, 10}};
  for (const auto& c : cases) EXPECT_EQ(DecimalDigits(c.n), c.digits) << c.n;
}

TEST(FormatInserts, ReplacesNumberedInsertsAndSkipsTheirFormats) {
  const std::vector<std::string> args = {"12", "345", "x"};
  const struct {
    const char* format;
    const char* text;
  } cases[] = {
      {"Diffs: %1!ld!, Lines: %2!ld!", "Diffs: 12, Lines: 345"},
      {"%2 before %1", "345 before 12"},
      {"%3%3", "xx"},
      {"100%%", "100%"},
      {"%9 is missing", " is missing"},
      {"a lone % stays", "a lone % stays"},
      {"ends in %", "ends in %"},
      {"%1!ld never closed", "12!ld never closed"},
      {"%0 and %a stay", "%0 and %a stay"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatInserts(c.format, args), c.text) << c.format;
}

}  // namespace
}  // namespace qm
