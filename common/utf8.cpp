#include "common/utf8.h"

#include <algorithm>
#include <iterator>

namespace qm {

namespace {

struct Range {
  uint32_t first;
  uint32_t last;
};

// Sorted, disjoint. Not the whole of Unicode's tables: the marks and wide
// blocks that text in the common scripts uses.
constexpr Range kCombining[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x05BF, 0x05BF},
    {0x05C1, 0x05C2}, {0x05C4, 0x05C5}, {0x05C7, 0x05C7}, {0x0610, 0x061A},
    {0x064B, 0x065F}, {0x0670, 0x0670}, {0x06D6, 0x06DC}, {0x06DF, 0x06E4},
    {0x06E7, 0x06E8}, {0x06EA, 0x06ED}, {0x0900, 0x0902}, {0x093A, 0x093A},
    {0x093C, 0x093C}, {0x0941, 0x0948}, {0x094D, 0x094D}, {0x0951, 0x0957},
    {0x0E31, 0x0E31}, {0x0E34, 0x0E3A}, {0x0E47, 0x0E4E}, {0x1AB0, 0x1AFF},
    {0x1DC0, 0x1DFF}, {0x200B, 0x200F}, {0x20D0, 0x20FF}, {0x302A, 0x302F},
    {0x3099, 0x309A}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0x1F3FB, 0x1F3FF},
    {0xE0100, 0xE01EF},
};

constexpr Range kWide[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},
    {0x23F0, 0x23F0},   {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},
    {0x2648, 0x2653},   {0x267F, 0x267F},   {0x2693, 0x2693},   {0x26A1, 0x26A1},
    {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},   {0x26CE, 0x26CE},
    {0x26D4, 0x26D4},   {0x26EA, 0x26EA},   {0x26F2, 0x26F3},   {0x26F5, 0x26F5},
    {0x26FA, 0x26FA},   {0x26FD, 0x26FD},   {0x2705, 0x2705},   {0x270A, 0x270B},
    {0x2728, 0x2728},   {0x274C, 0x274C},   {0x274E, 0x274E},   {0x2753, 0x2755},
    {0x2757, 0x2757},   {0x2795, 0x2797},   {0x27B0, 0x27B0},   {0x27BF, 0x27BF},
    {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2B55, 0x2B55},   {0x2E80, 0x3029},
    {0x3030, 0x303E},   {0x3041, 0x3098},   {0x309B, 0x33FF},   {0x3400, 0x4DBF},
    {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xA960, 0xA97F},   {0xAC00, 0xD7A3},
    {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6},   {0x16FE0, 0x16FE4}, {0x17000, 0x18AFF}, {0x1B000, 0x1B16F},
    {0x1F004, 0x1F004}, {0x1F0CF, 0x1F0CF}, {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A},
    {0x1F200, 0x1F251}, {0x1F300, 0x1F3FA}, {0x1F400, 0x1F64F}, {0x1F680, 0x1F6FF},
    {0x1F7E0, 0x1F7EB}, {0x1F90C, 0x1F9FF}, {0x1FA70, 0x1FAFF}, {0x20000, 0x2FFFD},
    {0x30000, 0x3FFFD},
};

template <size_t N>
bool InRanges(const Range (&ranges)[N], uint32_t c) {
  const Range* it = std::upper_bound(std::begin(ranges), std::end(ranges), c,
                                     [](uint32_t v, const Range& r) { return v < r.first; });
  return it != std::begin(ranges) && c <= (it - 1)->last;
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The sequence a lead byte starts: its length (0 for a byte that starts
// none) and the range its second byte must be in. The narrow ranges after
// E0, F0 and F4, per RFC 3629's table, exclude overlong forms and code
// points past 10FFFF; after ED the range A0-BF (surrogates) is let through
// here and reported by NextChar.
struct Lead {
  uint32_t length;
  unsigned char lo, hi;
};

Lead LeadOf(unsigned char c) {
  if (c >= 0xC2 && c <= 0xDF) return {2, 0x80, 0xBF};
  if (c >= 0xE0 && c <= 0xEF) return {3, static_cast<unsigned char>(c == 0xE0 ? 0xA0 : 0x80), 0xBF};
  if (c >= 0xF0 && c <= 0xF4) {
    return {4, static_cast<unsigned char>(c == 0xF0 ? 0x90 : 0x80),
            static_cast<unsigned char>(c == 0xF4 ? 0x8F : 0xBF)};
  }
  return {0, 0, 0};
}

}  // namespace

TextChar NextChar(const char* text, size_t count) {
  if (count == 0) return {0, 0, CharKind::Invalid};
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  const unsigned char c = p[0];
  if (c < 0x80) return {c, 1, CharKind::Scalar};
  const TextChar invalid{c, 1, CharKind::Invalid};
  const Lead lead = LeadOf(c);
  if (lead.length == 0 || count < lead.length || p[1] < lead.lo || p[1] > lead.hi) return invalid;
  for (uint32_t i = 2; i < lead.length; ++i) {
    if (!IsContinuation(p[i])) return invalid;
  }
  uint32_t code = c & (0x7F >> lead.length);
  for (uint32_t i = 1; i < lead.length; ++i) code = code << 6 | (p[i] & 0x3F);
  const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  return {code, lead.length, surrogate ? CharKind::Surrogate : CharKind::Scalar};
}

bool IsCutUtf8(const char* text, size_t count) {
  if (count == 0) return false;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  const Lead lead = LeadOf(p[0]);
  if (lead.length == 0 || count >= lead.length) return false;
  if (count >= 2 && (p[1] < lead.lo || p[1] > lead.hi)) return false;
  return count < 3 || IsContinuation(p[2]);
}

int DecodeUtf8(const unsigned char* bytes, size_t available, uint32_t* codePoint) {
  const TextChar ch = NextChar(reinterpret_cast<const char*>(bytes), available);
  if (ch.kind != CharKind::Scalar) {
    *codePoint = kReplacementChar;
    return 1;
  }
  *codePoint = ch.code;
  return static_cast<int>(ch.length);
}

bool IsValidUtf8(const std::string& text) {
  const char* p = text.data();
  size_t left = text.size();
  while (left > 0) {
    const TextChar ch = NextChar(p, left);
    if (ch.kind != CharKind::Scalar) return false;
    p += ch.length;
    left -= ch.length;
  }
  return true;
}

size_t PutUtf8(uint32_t code, char* out) {
  if (code < 0x80) {
    out[0] = static_cast<char>(code);
    return 1;
  }
  if (code < 0x800) {
    out[0] = static_cast<char>(0xC0 | code >> 6);
    out[1] = static_cast<char>(0x80 | (code & 0x3F));
    return 2;
  }
  if (code < 0x10000) {
    out[0] = static_cast<char>(0xE0 | code >> 12);
    out[1] = static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out[2] = static_cast<char>(0x80 | (code & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | code >> 18);
  out[1] = static_cast<char>(0x80 | (code >> 12 & 0x3F));
  out[2] = static_cast<char>(0x80 | (code >> 6 & 0x3F));
  out[3] = static_cast<char>(0x80 | (code & 0x3F));
  return 4;
}

uint32_t Windows1252Char(unsigned char byte) {
  static const uint16_t kHighControls[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
  };
  // Everything else is Latin-1: the byte is the code point.
  return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : byte;
}

bool IsCombiningChar(uint32_t codePoint) { return InRanges(kCombining, codePoint); }

int CharCells(uint32_t codePoint) {
  if (codePoint < 0x300) return 1;
  if (IsCombiningChar(codePoint)) return 0;
  return InRanges(kWide, codePoint) ? 2 : 1;
}

}  // namespace qm
