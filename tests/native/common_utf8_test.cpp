// UTF-8 decoding as the pane reads it: every code point round-trips, every
// malformed byte stands alone, and the cell widths of the scripts we draw.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "common/utf8.h"

namespace qm {
namespace {

std::string Encode(uint32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

int Decode(const std::string& s, uint32_t* c) {
  return DecodeUtf8(reinterpret_cast<const unsigned char*>(s.data()), s.size(), c);
}

TEST(Utf8Decoding, EveryScalarValueRoundTrips) {
  for (uint32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const std::string bytes = Encode(c);
    uint32_t got = 0;
    ASSERT_EQ(Decode(bytes, &got), static_cast<int>(bytes.size())) << std::hex << c;
    ASSERT_EQ(got, c);
    ASSERT_TRUE(IsValidUtf8(bytes)) << std::hex << c;
  }
}

TEST(Utf8Decoding, MalformedBytesStandAloneAsReplacementMarks) {
  struct Case {
    const char* what;
    std::string bytes;
  } const cases[] = {
      {"cp1252 e acute", "\xE9t"},
      {"stray continuation", "\x80"},
      {"overlong slash", "\xC0\xAF"},
      {"overlong three bytes", "\xE0\x80\xAF"},
      {"surrogate", "\xED\xA0\x80"},
      {"above U+10FFFF", "\xF4\x90\x80\x80"},
      {"cut short", "\xE6\x97"},
      {"lead byte F5", "\xF5\x80\x80\x80"},
  };
  for (const Case& c : cases) {
    uint32_t got = 0;
    EXPECT_EQ(Decode(c.bytes, &got), 1) << c.what;
    EXPECT_EQ(got, kReplacementChar) << c.what;
    EXPECT_FALSE(IsValidUtf8(c.bytes)) << c.what;
    EXPECT_FALSE(IsValidUtf8("ok " + c.bytes + " ok")) << c.what;
  }
  EXPECT_TRUE(IsValidUtf8("\xEF\xBF\xBD")) << "a real U+FFFD is well-formed";
}

TEST(Utf8Decoding, RandomBytesAreConsumedWithoutSkippingAny) {
  std::mt19937 random(7);
  for (int round = 0; round < 2000; ++round) {
    std::string bytes(random() % 24, '\0');
    for (char& b : bytes) b = static_cast<char>(random() % 4 == 0 ? 0x80 | random() % 64 : random());
    // Re-encoding what was decoded gives back the input wherever it was
    // well-formed; each malformed byte becomes exactly one mark.
    size_t at = 0;
    std::string rebuilt;
    size_t marks = 0;
    while (at < bytes.size()) {
      uint32_t c = 0;
      const int n = DecodeUtf8(reinterpret_cast<const unsigned char*>(bytes.data()) + at,
                               bytes.size() - at, &c);
      ASSERT_GE(n, 1);
      if (n == 1 && c == kReplacementChar) {
        rebuilt += bytes[at];
        ++marks;
      } else {
        rebuilt += Encode(c);
      }
      at += static_cast<size_t>(n);
    }
    EXPECT_EQ(at, bytes.size());
    EXPECT_EQ(rebuilt, bytes);
    EXPECT_EQ(IsValidUtf8(bytes), marks == 0);
  }
}

TEST(Utf8CellWidths, WideCombiningAndNarrowCharacters) {
  struct Case {
    uint32_t c;
    int cells;
  } const cases[] = {
      {'a', 1},      {0xE9, 1},     {0x0416, 1} /* Cyrillic Zhe */,
      {0x0301, 0} /* combining acute */,           {0x65E5, 2} /* CJK */,
      {0x3042, 2} /* hiragana */,  {0xAC00, 2} /* hangul */,
      {0xFF21, 2} /* fullwidth A */,               {0xFF61, 1} /* halfwidth katakana */,
      {0x1F600, 2} /* emoji */,    {0x20BB7, 2} /* CJK extension B */,
      {0x200D, 0} /* zero-width joiner */,         {0xFFFD, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(CharCells(c.c), c.cells) << std::hex << c.c;
}

}  // namespace
}  // namespace qm
