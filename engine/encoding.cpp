#include "engine/encoding.h"

#include <cstring>

#include "common/utf8.h"

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

// Checks bytes as UTF-8 up to the last whole sequence: returns the bytes
// looked at (fewer than count only when a sequence is cut by the end), or
// SIZE_MAX at an invalid byte. This runs over every byte of every file
// loaded without a byte order mark, so ASCII and the common forms are
// checked inline; everything else goes to NextChar, where the rules of
// well-formed UTF-8 live.
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
      if (IsCutUtf8(bytes + i, count - i)) return i;
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
