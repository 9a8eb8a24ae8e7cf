#include "engine/encoding.h"

#include <cstring>

namespace qm {

namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The two bytes an odd last byte of a UTF-16 file is held as (see the
// header): a lead F8 to FB carrying the top two bits, then a continuation.
constexpr unsigned char kOddLeadFirst = 0xF8;
constexpr unsigned char kOddLeadLast = 0xFB;

bool IsOddBytePair(const unsigned char* p) {
  return p[0] >= kOddLeadFirst && p[0] <= kOddLeadLast && IsContinuation(p[1]);
}

char* PutUnit(uint32_t unit, bool bigEndian, char* out) {
  const char high = static_cast<char>(unit >> 8);
  const char low = static_cast<char>(unit & 0xFF);
  out[0] = bigEndian ? high : low;
  out[1] = bigEndian ? low : high;
  return out + 2;
}

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

// True when the count bytes at p (fewer than the lead asks for) could still
// become a whole sequence with the bytes that follow them.
bool IsCutSequence(const unsigned char* p, size_t count) {
  const Lead lead = LeadOf(p[0]);
  if (lead.length == 0 || count >= lead.length) return false;
  if (count >= 2 && (p[1] < lead.lo || p[1] > lead.hi)) return false;
  return count < 3 || IsContinuation(p[2]);
}

// Checks bytes as UTF-8 up to the last whole sequence: returns the bytes
// looked at (fewer than count only when a sequence is cut by the end), or
// SIZE_MAX at an invalid byte.
size_t CheckUtf8(const char* bytes, size_t count, bool* nonAscii) {
  size_t i = 0;
  while (i < count) {
    // Most text is ASCII: skip it eight bytes at a time.
    uint64_t word;
    while (i + 8 <= count) {
      std::memcpy(&word, bytes + i, 8);
      if (word & 0x8080808080808080ull) break;
      i += 8;
    }
    if (i >= count) break;
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    // The common two- and three-byte forms without the general decoder
    // (E0 and ED, with narrower second bytes, take the long way).
    if (c >= 0xC2 && c <= 0xDF && i + 1 < count &&
        IsContinuation(static_cast<unsigned char>(bytes[i + 1]))) {
      *nonAscii = true;
      i += 2;
      continue;
    }
    if (c >= 0xE1 && c <= 0xEF && c != 0xED && i + 2 < count &&
        IsContinuation(static_cast<unsigned char>(bytes[i + 1])) &&
        IsContinuation(static_cast<unsigned char>(bytes[i + 2]))) {
      *nonAscii = true;
      i += 3;
      continue;
    }
    const TextChar ch = NextChar(bytes + i, count - i);
    if (ch.kind != CharKind::Scalar) {
      // Cut by the end of the bytes, it may still be whole with what follows.
      if (IsCutSequence(reinterpret_cast<const unsigned char*>(bytes + i), count - i)) return i;
      return SIZE_MAX;
    }
    *nonAscii = true;
    i += ch.length;
  }
  return count;
}

}  // namespace

std::string_view ByteOrderMark(TextEncoding e) {
  switch (e) {
    case TextEncoding::Utf8Bom: return std::string_view("\xEF\xBB\xBF", 3);
    case TextEncoding::Utf16Le: return std::string_view("\xFF\xFE", 2);
    case TextEncoding::Utf16Be: return std::string_view("\xFE\xFF", 2);
    default: return {};
  }
}

TextEncoding EncodingFromBom(const char* bytes, size_t count) {
  const std::string_view head(bytes, count < 3 ? count : 3);
  for (TextEncoding e : {TextEncoding::Utf8Bom, TextEncoding::Utf16Le, TextEncoding::Utf16Be}) {
    const std::string_view bom = ByteOrderMark(e);
    if (head.substr(0, bom.size()) == bom) return e;
  }
  return TextEncoding::Legacy;
}

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

void Utf8Check::Add(const char* bytes, size_t count) {
  if (!valid_) return;
  // Complete a sequence held from the piece before, then go on.
  while (heldCount_ > 0 && count > 0) {
    held_[heldCount_++] = *bytes++;
    --count;
    const size_t seen = CheckUtf8(held_, heldCount_, &nonAscii_);
    if (seen == SIZE_MAX) {
      valid_ = false;
      return;
    }
    if (seen == heldCount_) heldCount_ = 0;
  }
  if (heldCount_ > 0) return;  // the piece ended inside the held sequence
  const size_t seen = CheckUtf8(bytes, count, &nonAscii_);
  if (seen == SIZE_MAX) {
    valid_ = false;
    return;
  }
  heldCount_ = count - seen;
  std::memcpy(held_, bytes + seen, heldCount_);
}

bool IsUtf8WithNonAscii(const char* bytes, size_t count) {
  Utf8Check check;
  check.Add(bytes, count);
  return check.IsUtf8WithNonAscii();
}

TextEncoding DetectEncoding(const char* bytes, size_t count) {
  const TextEncoding bom = EncodingFromBom(bytes, count);
  if (bom != TextEncoding::Legacy) return bom;
  return IsUtf8WithNonAscii(bytes, count) ? TextEncoding::Utf8 : TextEncoding::Legacy;
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

size_t Utf16Decoder::Unit(uint32_t unit, char* out) {
  size_t n = 0;
  if (heldHigh_ != 0) {
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
      const uint32_t code = 0x10000 + ((heldHigh_ - 0xD800) << 10) + (unit - 0xDC00);
      heldHigh_ = 0;
      return PutUtf8(code, out);
    }
    n = PutUtf8(heldHigh_, out);  // unpaired: kept as its own 3-byte form
    heldHigh_ = 0;
  }
  if (unit >= 0xD800 && unit <= 0xDBFF) {
    heldHigh_ = unit;
    return n;
  }
  return n + PutUtf8(unit, out + n);
}

size_t Utf16Decoder::Decode(const char* bytes, size_t count, char* out) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
  const unsigned char* const end = p + count;
  const int hi = bigEndian_ ? 0 : 1;
  const int lo = 1 - hi;
  char* w = out;
  if (heldByte_ >= 0 && p < end) {
    const uint32_t first = static_cast<uint32_t>(heldByte_);
    const uint32_t unit = bigEndian_ ? (first << 8 | *p) : (static_cast<uint32_t>(*p) << 8 | first);
    heldByte_ = -1;
    ++p;
    w += Unit(unit, w);
  }
  while (end - p >= 2) {
    // The hot loop of a UTF-16 load: four ASCII units at a time.
    if (end - p >= 8 && heldHigh_ == 0 && (p[hi] | p[hi + 2] | p[hi + 4] | p[hi + 6]) == 0 &&
        ((p[lo] | p[lo + 2] | p[lo + 4] | p[lo + 6]) & 0x80) == 0) {
      w[0] = static_cast<char>(p[lo]);
      w[1] = static_cast<char>(p[lo + 2]);
      w[2] = static_cast<char>(p[lo + 4]);
      w[3] = static_cast<char>(p[lo + 6]);
      w += 4;
      p += 8;
      continue;
    }
    const uint32_t unit = static_cast<uint32_t>(p[hi]) << 8 | p[lo];
    p += 2;
    w += Unit(unit, w);
  }
  if (p < end) heldByte_ = *p;
  return static_cast<size_t>(w - out);
}

size_t Utf16Decoder::Finish(char* out) {
  size_t n = 0;
  if (heldHigh_ != 0) {
    n = PutUtf8(heldHigh_, out);
    heldHigh_ = 0;
  }
  if (heldByte_ >= 0) {
    const unsigned b = static_cast<unsigned>(heldByte_);
    out[n++] = static_cast<char>(kOddLeadFirst | b >> 6);
    out[n++] = static_cast<char>(0x80 | (b & 0x3F));
    heldByte_ = -1;
  }
  return n;
}

size_t EncodeUtf16(const char* text, size_t count, bool bigEndian, char* out) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  char* w = out;
  size_t i = 0;
  while (i < count) {
    const unsigned char c = p[i];
    if (c < 0x80) {
      w = PutUnit(c, bigEndian, w);
      ++i;
      continue;
    }
    if (i + 2 == count && IsOddBytePair(p + i)) {
      *w++ = static_cast<char>((p[i] - kOddLeadFirst) << 6 | (p[i + 1] & 0x3F));
      break;
    }
    const TextChar ch = NextChar(text + i, count - i);
    if (ch.kind == CharKind::Invalid) {
      w = PutUnit(Windows1252Char(c), bigEndian, w);
    } else if (ch.code >= 0x10000) {
      const uint32_t v = ch.code - 0x10000;
      w = PutUnit(0xD800 | v >> 10, bigEndian, w);
      w = PutUnit(0xDC00 | (v & 0x3FF), bigEndian, w);
    } else {
      w = PutUnit(ch.code, bigEndian, w);  // a surrogate's own form included
    }
    i += ch.length;
  }
  return static_cast<size_t>(w - out);
}

}  // namespace qm
