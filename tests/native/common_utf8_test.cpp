// UTF-8: the decoder's three kinds of character, the encoder, the pane's
// strict reading (every code point round-trips, every malformed byte stands
// alone), the Windows-1252 table and the cell widths of the scripts we draw.
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
    char buf[4];
    ASSERT_EQ(std::string(buf, PutUtf8(c, buf)), bytes) << std::hex << c;
  }
}

TEST(Utf8Decoding, NextCharTellsScalarsSurrogateFormsAndInvalidBytes) {
  struct Case {
    const char* what;
    std::string bytes;
    uint32_t code;
    uint32_t length;
    CharKind kind;
  } const cases[] = {
      {"ASCII", "ab", 'a', 1, CharKind::Scalar},
      {"NUL", std::string(1, '\0'), 0, 1, CharKind::Scalar},
      {"two bytes", "\xC3\xA9x", 0xE9, 2, CharKind::Scalar},
      {"three bytes", "\xE2\x82\xAC", 0x20AC, 3, CharKind::Scalar},
      {"four bytes", "\xF0\x9F\x98\x80", 0x1F600, 4, CharKind::Scalar},
      {"last scalar", "\xF4\x8F\xBF\xBF", 0x10FFFF, 4, CharKind::Scalar},
      {"last before surrogates", "\xED\x9F\xBF", 0xD7FF, 3, CharKind::Scalar},
      {"first after surrogates", "\xEE\x80\x80", 0xE000, 3, CharKind::Scalar},
      {"high surrogate form", "\xED\xA0\x80", 0xD800, 3, CharKind::Surrogate},
      {"low surrogate form", "\xED\xBF\xBF", 0xDFFF, 3, CharKind::Surrogate},
      {"cp1252 e acute", "\xE9t", 0xE9, 1, CharKind::Invalid},
      {"stray continuation", "\x80", 0x80, 1, CharKind::Invalid},
      {"overlong slash", "\xC0\xAF", 0xC0, 1, CharKind::Invalid},
      {"overlong three bytes", "\xE0\x9F\xBF", 0xE0, 1, CharKind::Invalid},
      {"overlong four bytes", "\xF0\x8F\xBF\xBF", 0xF0, 1, CharKind::Invalid},
      {"above U+10FFFF", "\xF4\x90\x80\x80", 0xF4, 1, CharKind::Invalid},
      {"lead byte F5", "\xF5\x80\x80\x80", 0xF5, 1, CharKind::Invalid},
      {"cut short", "\xE6\x97", 0xE6, 1, CharKind::Invalid},
      {"surrogate form cut short", "\xED\xA0", 0xED, 1, CharKind::Invalid},
      {"third byte no continuation", "\xE6\x97x", 0xE6, 1, CharKind::Invalid},
      {"fourth byte no continuation", "\xF0\x9F\x98x", 0xF0, 1, CharKind::Invalid},
  };
  for (const Case& c : cases) {
    const TextChar ch = NextChar(c.bytes.data(), c.bytes.size());
    EXPECT_EQ(ch.code, c.code) << c.what;
    EXPECT_EQ(ch.length, c.length) << c.what;
    EXPECT_EQ(ch.kind, c.kind) << c.what;
  }
  EXPECT_EQ(NextChar("x", 0).length, 0u) << "nothing to read";
}

TEST(Utf8Decoding, SurrogatesEncodeToTheFormNextCharReadsBack) {
  for (uint32_t c = 0xD800; c <= 0xDFFF; ++c) {
    char buf[4];
    const size_t n = PutUtf8(c, buf);
    ASSERT_EQ(n, 3u) << std::hex << c;
    const TextChar ch = NextChar(buf, n);
    ASSERT_EQ(ch.kind, CharKind::Surrogate) << std::hex << c;
    ASSERT_EQ(ch.code, c);
    ASSERT_EQ(ch.length, 3u);
    uint32_t strict = 0;
    ASSERT_EQ(DecodeUtf8(reinterpret_cast<const unsigned char*>(buf), n, &strict), 1);
    ASSERT_EQ(strict, kReplacementChar);
    ASSERT_FALSE(IsValidUtf8(std::string(buf, n)));
  }
}

TEST(Utf8Decoding, CutSequencesAreToldFromMalformedOnes) {
  struct Case {
    const char* what;
    std::string bytes;
    bool cut;
  } const cases[] = {
      {"nothing", "", false},
      {"ASCII", "a", false},
      {"lead of two", "\xC3", true},
      {"lead of three", "\xE6", true},
      {"two of three", "\xE6\x97", true},
      {"three of four", "\xF0\x9F\x98", true},
      {"surrogate form, two of three", "\xED\xA0", true},
      {"whole two bytes", "\xC3\xA9", false},
      {"whole three bytes", "\xE6\x97\xA5", false},
      {"stray continuation", "\x80", false},
      {"never a lead", "\xC1", false},
      {"lead F5", "\xF5", false},
      {"overlong second byte", "\xE0\x80", false},
      {"above U+10FFFF second byte", "\xF4\x90", false},
      {"second byte no continuation", "\xE6x", false},
      {"third byte no continuation", "\xF0\x9Fx", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsCutUtf8(c.bytes.data(), c.bytes.size()), c.cut) << c.what;
  // Every proper prefix of every well-formed sequence is a cut one.
  for (uint32_t c = 0x80; c <= 0x10FFFF; c += 7) {
    char buf[4];
    const size_t n = PutUtf8(c, buf);
    for (size_t k = 1; k < n; ++k) ASSERT_TRUE(IsCutUtf8(buf, k)) << std::hex << c << " " << k;
  }
}

TEST(Windows1252, HighControlsAndLatin1) {
  struct Case {
    unsigned char byte;
    uint32_t c;
  } const cases[] = {
      {'A', 'A'},        {0x00, 0x00},      {0x7F, 0x7F},      {0x80, 0x20AC} /* euro */,
      {0x81, 0x81},      {0x8D, 0x8D},      {0x8F, 0x8F},      {0x90, 0x90},
      {0x9D, 0x9D},      {0x85, 0x2026} /* ellipsis */,        {0x93, 0x201C},
      {0x96, 0x2013},    {0x99, 0x2122},    {0x9F, 0x0178},    {0xA0, 0xA0},
      {0xE9, 0xE9},      {0xFF, 0xFF},
  };
  for (const Case& c : cases) EXPECT_EQ(Windows1252Char(c.byte), c.c) << std::hex << int(c.byte);
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
