// Encodings: detection, the lossless UTF-16 conversion, and files of every
// encoding and line format loaded, compared and saved back byte for byte.
#include "engine/encoding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "common/utf8.h"
#include "engine/compare_state.h"
#include "engine/text_file.h"
#include "engine_test_util.h"

namespace qm {
namespace {

using test::TempFolder;

std::string DocText(const TextDoc& doc) { return test::Text(doc, 0, doc.Length()); }

TEST(EncodingDetection, OrderOfTheRules) {
  struct Case {
    const char* name;
    std::string bytes;
    TextEncoding encoding;
  } cases[] = {
      {"empty", "", TextEncoding::Legacy},
      {"ASCII only", "plain text\r\n", TextEncoding::Legacy},
      {"UTF-8 mark", "\xEF\xBB\xBFx", TextEncoding::Utf8Bom},
      {"UTF-8 mark before invalid bytes", "\xEF\xBB\xBF\xFF\xE9", TextEncoding::Utf8Bom},
      {"UTF-8 mark alone", "\xEF\xBB\xBF", TextEncoding::Utf8Bom},
      {"half a UTF-8 mark", "\xEF\xBBx", TextEncoding::Legacy},
      {"UTF-16 LE mark", "\xFF\xFE" "a\0", TextEncoding::Utf16Le},
      {"UTF-16 BE mark", "\xFE\xFF\0a", TextEncoding::Utf16Be},
      {"UTF-16 LE mark alone", "\xFF\xFE", TextEncoding::Utf16Le},
      {"a UTF-32 LE mark reads as UTF-16 LE", std::string("\xFF\xFE\0\0", 4),
       TextEncoding::Utf16Le},
      {"valid two-byte sequence", "caf\xC3\xA9", TextEncoding::Utf8},
      {"emoji", "smile \xF0\x9F\x98\x80", TextEncoding::Utf8},
      {"non-ASCII far behind ASCII", std::string(40, 'a') + "\xE2\x82\xAC", TextEncoding::Utf8},
      {"Latin-1 byte", "caf\xE9", TextEncoding::Legacy},
      {"valid start, invalid far behind", "\xC3\xA9" + std::string(40, 'a') + "\xE9",
       TextEncoding::Legacy},
      {"overlong slash", "\xC0\xAF", TextEncoding::Legacy},
      {"overlong three bytes", "\xE0\x80\xAF", TextEncoding::Legacy},
      {"encoded surrogate", "\xED\xA0\x80", TextEncoding::Legacy},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", TextEncoding::Legacy},
      {"cut short at the end", "ok \xE4\xB8", TextEncoding::Legacy},
      {"lone continuation byte", "\x80", TextEncoding::Legacy},
      {"E0 needs A0 or more", "\xE0\xA0\x80 \xE0\x9F\x80", TextEncoding::Legacy},
      {"F0 and F4 bounds", "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", TextEncoding::Utf8},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DetectEncoding(c.bytes.data(), c.bytes.size()), c.encoding) << c.name;
    // A file is checked as it is read: cut anywhere, or fed byte by byte,
    // the bytes give the same answer.
    const bool utf8 = c.encoding == TextEncoding::Utf8;
    if (EncodingFromBom(c.bytes.data(), c.bytes.size()) != TextEncoding::Legacy) continue;
    for (size_t cut = 0; cut <= c.bytes.size(); ++cut) {
      Utf8Check check;
      check.Add(c.bytes.data(), cut);
      check.Add(c.bytes.data() + cut, c.bytes.size() - cut);
      EXPECT_EQ(check.IsUtf8WithNonAscii(), utf8) << c.name << " cut at " << cut;
    }
    Utf8Check bytewise;
    for (const char& b : c.bytes) bytewise.Add(&b, 1);
    EXPECT_EQ(bytewise.IsUtf8WithNonAscii(), utf8) << c.name << " byte by byte";
  }
}

// --- Random files of every encoding and line format ------------------------

// A piece of text: a character (code point, surrogates allowed for UTF-16)
// or, in byte-oriented encodings, a raw byte that is no valid UTF-8.
struct Token {
  uint32_t value;
  bool rawByte;
};

struct Sample {
  std::vector<std::vector<Token>> lines;
  bool finalLineEnd;
  bool oddByte;  // UTF-16 only: a half unit at the end of the file
  unsigned char odd;
};

Sample RandomSample(std::mt19937& rng, TextEncoding encoding) {
  static const uint32_t kChars[] = {'a', 'z', ' ', '\t', '<', 0xE9, 0x20AC, 0x4E2D, 0x1F600, 0x10FFFF};
  static const uint32_t kSurrogates[] = {0xD800, 0xDBFF, 0xDC00, 0xDFFF};
  static const uint32_t kBytes[] = {0x80, 0xE9, 0xFF, 0xC0, 0xF8};
  Sample s;
  const int lines = static_cast<int>(rng() % 7);
  for (int l = 0; l < lines; ++l) {
    std::vector<Token> line;
    for (int n = static_cast<int>(rng() % 12); n > 0; --n) {
      const uint32_t pick = rng() % 10;
      if (pick == 0 && IsUtf16(encoding)) {
        // Unpaired: a low half never follows a high one.
        const bool afterHigh = !line.empty() && line.back().value >= 0xD800 &&
                               line.back().value <= 0xDBFF;
        line.push_back({kSurrogates[rng() % 2 + (afterHigh ? 0 : rng() % 2 * 2)], false});
      } else if (pick == 0 && encoding != TextEncoding::Utf8) {
        line.push_back({kBytes[rng() % 5], true});
      } else {
        line.push_back({kChars[rng() % 10], false});
      }
    }
    s.lines.push_back(line);
  }
  // Make the detection certain: a byte no UTF-8 has, or a character that
  // is not ASCII.
  if (s.lines.empty()) s.lines.emplace_back();
  if (encoding == TextEncoding::Legacy) s.lines[0].insert(s.lines[0].begin(), {0xFF, true});
  if (encoding == TextEncoding::Utf8) s.lines[0].insert(s.lines[0].begin(), {0xE9, false});
  s.finalLineEnd = rng() % 2 == 0;
  s.oddByte = IsUtf16(encoding) && rng() % 3 == 0;
  s.odd = static_cast<unsigned char>(rng());
  return s;
}

void PutUnit(std::string& out, uint32_t unit, bool bigEndian) {
  const char hi = static_cast<char>(unit >> 8), lo = static_cast<char>(unit & 0xFF);
  out += bigEndian ? hi : lo;
  out += bigEndian ? lo : hi;
}

// The sample as the bytes of a file: line ends of the format, the encoding's
// units and mark. Written independently of the code under test.
std::string FileBytes(const Sample& s, TextEncoding encoding, LineFormat format) {
  const std::string end = format == LineFormat::Unix ? "\n" : format == LineFormat::Mac ? "\r" : "\r\n";
  const bool utf16 = IsUtf16(encoding);
  const bool be = encoding == TextEncoding::Utf16Be;
  std::string out(ByteOrderMark(encoding));
  const auto put = [&](uint32_t c) {
    if (!utf16) {
      char buf[4];
      out.append(buf, PutUtf8(c, buf));
    } else if (c >= 0x10000) {
      PutUnit(out, 0xD800 + ((c - 0x10000) >> 10), be);
      PutUnit(out, 0xDC00 + ((c - 0x10000) & 0x3FF), be);
    } else {
      PutUnit(out, c, be);
    }
  };
  for (size_t l = 0; l < s.lines.size(); ++l) {
    for (const Token& t : s.lines[l]) {
      if (t.rawByte) {
        out += static_cast<char>(t.value);
      } else {
        put(t.value);
      }
    }
    if (l + 1 < s.lines.size() || s.finalLineEnd) {
      for (char c : end) put(static_cast<unsigned char>(c));
    }
  }
  if (s.oddByte) out += static_cast<char>(s.odd);
  return out;
}

// The text a loaded document must hold: LF-only lines, UTF-8 (surrogates
// in their 3-byte form), raw bytes as they were, an odd byte as F8-FB, 80-BF.
std::string DocumentText(const Sample& s) {
  std::string out;
  for (size_t l = 0; l < s.lines.size(); ++l) {
    for (const Token& t : s.lines[l]) {
      char buf[4];
      if (t.rawByte) {
        out += static_cast<char>(t.value);
      } else {
        out.append(buf, PutUtf8(t.value, buf));
      }
    }
    if (l + 1 < s.lines.size() || s.finalLineEnd) out += '\n';
  }
  if (s.oddByte) {
    out += static_cast<char>(0xF8 | s.odd >> 6);
    out += static_cast<char>(0x80 | (s.odd & 0x3F));
  }
  return out;
}

TEST(EncodingRoundTrip, RandomFilesOfEveryEncodingAndLineFormat) {
  const TextEncoding encodings[] = {TextEncoding::Legacy, TextEncoding::Utf8, TextEncoding::Utf8Bom,
                                    TextEncoding::Utf16Le, TextEncoding::Utf16Be};
  const LineFormat formats[] = {LineFormat::Unix, LineFormat::Dos, LineFormat::Mac};
  std::mt19937 rng(20261208);
  TempFolder dir;
  for (int round = 0; round < 60; ++round) {
    for (TextEncoding encoding : encodings) {
      const Sample sample = RandomSample(rng, encoding);
      for (LineFormat format : formats) {
        const std::string bytes = FileBytes(sample, encoding, format);
        const std::string label = "round " + std::to_string(round) + " encoding " +
                                  std::to_string(static_cast<int>(encoding)) + " format " +
                                  std::to_string(static_cast<int>(format));
        const std::string path = dir.Write("in.txt", bytes);
        CompareState state;
        ASSERT_EQ(LoadAndCompare(state, path, path, {}, nullptr).code, CompareCode::Ok) << label;
        const SideState& side = state.side[0];
        EXPECT_EQ(side.encoding, encoding) << label;
        // Without a line end every file reads as Dos and is written so; a
        // CR that is the file's last character is no line end to detection.
        LineFormat expectFormat = format;
        std::string expectText = DocumentText(sample);
        const bool anyEnd = sample.lines.size() > 1 || sample.finalLineEnd;
        if (!anyEnd) expectFormat = LineFormat::Dos;
        if (format == LineFormat::Mac &&
            std::count(expectText.begin(), expectText.end(), '\n') == 1 &&
            expectText.back() == '\n') {
          expectFormat = LineFormat::Dos;
          expectText.back() = '\r';
        }
        EXPECT_EQ(side.format, expectFormat) << label;
        EXPECT_EQ(DocText(side.doc), expectText) << label;
        EXPECT_EQ(state.list->diffCount, 0) << label;
        ASSERT_EQ(SaveTextFile(state, 0, dir.File("out.txt")), 0u) << label;
        ASSERT_EQ(dir.Read("out.txt"), bytes) << label;
      }
    }
  }
}

// --- The conversions one by one --------------------------------------------

TEST(Utf16Decoding, PiecesCutAnywhereGiveTheSameText) {
  // a, U+20AC, U+1F600 (a pair), a lone low surrogate, a lone high one at
  // the end, then an odd byte: every way of cutting the bytes in two.
  const std::string le("a\0\xAC\x20\x3D\xD8\x00\xDE\x00\xDC\x00\xD8\x41", 13);
  const std::string expected = "a\xE2\x82\xAC\xF0\x9F\x98\x80\xED\xB0\x80\xED\xA0\x80\xF9\x81";
  for (size_t cut = 0; cut <= le.size(); ++cut) {
    Utf16Decoder decoder(false);
    std::string out(Utf16Decoder::Room(le.size()) * 3, '\0');
    size_t n = decoder.Decode(le.data(), cut, &out[0]);
    n += decoder.Decode(le.data() + cut, le.size() - cut, &out[n]);
    n += decoder.Finish(&out[n]);
    EXPECT_EQ(out.substr(0, n), expected) << "cut at " << cut;
  }
}

TEST(Utf16Encoding, BytesThatAreNoUtf8) {
  struct Case {
    const char* name;
    std::string text;
    std::string le;  // the units written, little endian
  } cases[] = {
      {"a Windows-1252 byte is its character", "\x80", "\xAC\x20"},
      {"a Latin-1 byte is its character", "\xE9", std::string("\xE9\0", 2)},
      {"an undefined 1252 byte is its C1 control", "\x81", std::string("\x81\0", 2)},
      {"an odd-byte pair at the end is the byte", "a\xF9\x81", std::string("a\0\x41", 3)},
      {"an odd-byte pair inside is two characters", "\xF9\x81x",
       std::string("\xF9\0\x81\0x\0", 6)},
      {"a cut sequence is its bytes' characters", "\xE4\xB8", std::string("\xE4\0\xB8\0", 4)},
  };
  for (const Case& c : cases) {
    std::string out(2 * c.text.size(), '\0');
    out.resize(EncodeUtf16(c.text.data(), c.text.size(), false, &out[0]));
    EXPECT_EQ(out, c.le) << c.name;
  }
}

// --- Loading and comparing ---------------------------------------------------

std::string Utf16(const std::string& utf8, bool bigEndian) {
  std::string out(ByteOrderMark(bigEndian ? TextEncoding::Utf16Be : TextEncoding::Utf16Le));
  std::string units(2 * utf8.size(), '\0');
  units.resize(EncodeUtf16(utf8.data(), utf8.size(), bigEndian, &units[0]));
  return out + units;
}

TEST(EncodingLoad, Utf16PairComparesByCharacters) {
  TempFolder dir;
  const std::string oldText = "alpha\r\nb\xC3\xA9ta \xF0\x9F\x98\x80\r\ngamma\r\n";
  const std::string newText = "alpha\r\nbeta \xF0\x9F\x98\x80\r\ngamma\r\ndelta\r\n";
  const std::string left = dir.Write("l.txt", Utf16(oldText, false));
  const std::string right = dir.Write("r.txt", Utf16(newText, true));
  CompareState state;
  ASSERT_EQ(LoadAndCompare(state, left, right, {}, nullptr).code, CompareCode::Ok);
  EXPECT_EQ(state.side[0].encoding, TextEncoding::Utf16Le);
  EXPECT_EQ(state.side[1].encoding, TextEncoding::Utf16Be);
  EXPECT_EQ(state.side[0].format, LineFormat::Dos);
  EXPECT_EQ(test::Kinds(*state.list), "SCSRS");
  EXPECT_EQ(state.list->diffCount, 2);
  EXPECT_EQ(state.list->diffLineCount, 2);
  // The same text as UTF-8 on the other side is no difference at all.
  const std::string same = dir.Write("u8.txt", oldText);
  ASSERT_EQ(LoadAndCompare(state, left, same, {}, nullptr).code, CompareCode::Ok);
  EXPECT_EQ(state.side[1].encoding, TextEncoding::Utf8);
  EXPECT_EQ(state.list->diffCount, 0);
}

TEST(EncodingLoad, Utf16IsNeverBinary) {
  TempFolder dir;
  const std::string text = "a\r\nb\r\n";
  EXPECT_FALSE(IsBinaryFile(dir.Write("le.txt", Utf16(text, false))));
  EXPECT_FALSE(IsBinaryFile(dir.Write("be.txt", Utf16(text, true))));
  // Without its mark the same text is half NUL bytes: binary.
  EXPECT_TRUE(IsBinaryFile(dir.Write("bare.txt", Utf16(text, false).substr(2))));
}

TEST(EncodingLoad, CancelStopsAUtf16Read) {
  TempFolder dir;
  const std::string big = dir.Write("big.txt", "\xFF\xFE" + std::string(9u << 20, 'x'));
  CancelFlag cancel{1};
  CompareState state;
  EXPECT_EQ(LoadAndCompare(state, big, big, {}, &cancel).code, CompareCode::Aborted);
  EXPECT_EQ(state.side[0].doc.Length(), 0u);
}

TEST(EncodingLoad, EditedUtf16SideIsWrittenAsUtf16) {
  TempFolder dir;
  const std::string path = dir.Write("f.txt", Utf16("x\r\n", true));
  CompareState state;
  ASSERT_EQ(LoadAndCompare(state, path, path, {}, nullptr).code, CompareCode::Ok);
  TextDoc& doc = state.side[0].doc;
  ASSERT_TRUE(doc.Insert(1, "\xE2\x82\xAC\n\xF0\x9F\x98\x80", 8));
  ASSERT_EQ(SaveTextFile(state, 0, path), 0u);
  EXPECT_EQ(dir.Read("f.txt"), Utf16("x\xE2\x82\xAC\r\n\xF0\x9F\x98\x80\r\n", true));
}

}  // namespace
}  // namespace qm
