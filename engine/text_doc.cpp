#include "engine/text_doc.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "engine/platform.h"

namespace qm {

namespace {

constexpr uint32_t kMaxCapacity = 0xFFFFFFFFu;

}  // namespace

TextDoc::TextDoc() {
  buffer_ = static_cast<char*>(std::malloc(kInitialGap));
  if (buffer_) {
    capacity_ = kInitialGap;
    gapSize_ = kInitialGap;
  }
}

TextDoc::~TextDoc() { std::free(buffer_); }

TextDoc::TextDoc(const TextDoc& other) {
  if (other.capacity_ > 0) {
    buffer_ = static_cast<char*>(std::malloc(other.capacity_));
    if (!buffer_) throw std::bad_alloc();
    std::memcpy(buffer_, other.buffer_, other.capacity_);
  }
  length_ = other.length_;
  capacity_ = other.capacity_;
  gapStart_ = other.gapStart_;
  gapSize_ = other.gapSize_;
}

TextDoc& TextDoc::operator=(const TextDoc& other) {
  if (this != &other) {
    TextDoc copy(other);
    *this = std::move(copy);
  }
  return *this;
}

TextDoc::TextDoc(TextDoc&& other) noexcept
    : buffer_(other.buffer_), length_(other.length_), capacity_(other.capacity_),
      gapStart_(other.gapStart_), gapSize_(other.gapSize_) {
  other.buffer_ = nullptr;
  other.length_ = other.capacity_ = other.gapStart_ = other.gapSize_ = 0;
}

TextDoc& TextDoc::operator=(TextDoc&& other) noexcept {
  if (this != &other) {
    std::free(buffer_);
    buffer_ = other.buffer_;
    length_ = other.length_;
    capacity_ = other.capacity_;
    gapStart_ = other.gapStart_;
    gapSize_ = other.gapSize_;
    other.buffer_ = nullptr;
    other.length_ = other.capacity_ = other.gapStart_ = other.gapSize_ = 0;
  }
  return *this;
}

void TextDoc::MoveGap(uint32_t offset) {
  if (offset < gapStart_) {
    std::memmove(buffer_ + offset + gapSize_, buffer_ + offset, gapStart_ - offset);
  } else if (offset > gapStart_) {
    std::memmove(buffer_ + gapStart_, buffer_ + gapStart_ + gapSize_, offset - gapStart_);
  }
  gapStart_ = offset;
}

bool TextDoc::ResizeGap(uint32_t gap) {
  if (static_cast<uint64_t>(length_) + gap > kMaxCapacity) return false;
  const uint32_t newCapacity = length_ + gap;
  const uint32_t tail = length_ - gapStart_;
  if (gap > gapSize_) {
    char* grown = static_cast<char*>(std::realloc(buffer_, newCapacity));
    if (!grown) return false;
    buffer_ = grown;
    std::memmove(buffer_ + gapStart_ + gap, buffer_ + gapStart_ + gapSize_, tail);
  } else if (gap < gapSize_) {
    std::memmove(buffer_ + gapStart_ + gap, buffer_ + gapStart_ + gapSize_, tail);
    // A failed shrink keeps the larger block, which is still valid storage.
    if (char* shrunk = static_cast<char*>(std::realloc(buffer_, newCapacity))) buffer_ = shrunk;
  }
  gapSize_ = gap;
  capacity_ = newCapacity;
  return true;
}

bool TextDoc::Insert(uint32_t offset, const char* bytes, uint32_t count) {
  if (count == 0) return true;
  if (offset > length_) offset = length_;
  if (static_cast<uint64_t>(length_) + count + kInitialGap > kMaxCapacity ||
      (gapSize_ < count && !ResizeGap(count + kInitialGap))) {
    return false;
  }
  MoveGap(offset);
  std::memcpy(buffer_ + gapStart_, bytes, count);
  gapStart_ += count;
  gapSize_ -= count;
  length_ += count;
  return true;
}

void TextDoc::Delete(uint32_t offset, uint32_t count) {
  if (count == 0 || offset >= length_) return;
  if (count > length_ - offset) count = length_ - offset;
  MoveGap(offset);
  gapSize_ += count;
  length_ -= count;
  if (gapSize_ > kInitialGap) ResizeGap(kInitialGap);
}

void TextDoc::SetByte(uint32_t offset, char byte) {
  buffer_[offset < gapStart_ ? offset : offset + gapSize_] = byte;
}

unsigned char TextDoc::ByteAt(uint32_t offset) const {
  return static_cast<unsigned char>(buffer_[offset < gapStart_ ? offset : offset + gapSize_]);
}

void TextDoc::Segments(uint32_t start, uint32_t end, const char** first, uint32_t* firstCount,
                       const char** second, uint32_t* secondCount) const {
  if (end > length_) end = length_;
  if (start > end) start = end;
  const uint32_t split = start < gapStart_ ? (end < gapStart_ ? end : gapStart_) : start;
  *first = buffer_ + start;
  *firstCount = split - start;
  *second = buffer_ + split + gapSize_;
  *secondCount = end - split;
}

void TextDoc::CopyOut(uint32_t start, uint32_t end, char* out) const {
  if (start < gapStart_) {
    const uint32_t front = (end < gapStart_ ? end : gapStart_) - start;
    std::memcpy(out, buffer_ + start, front);
    out += front;
    start += front;
  }
  if (start < end) std::memcpy(out, buffer_ + start + gapSize_, end - start);
}

std::unique_ptr<char[]> TextDoc::CopyRange(uint32_t start, uint32_t end) const {
  if (end > length_) end = length_;
  if (start > end) start = end;
  std::unique_ptr<char[]> copy(new (std::nothrow) char[static_cast<size_t>(end - start) + 1]);
  if (!copy) return nullptr;
  CopyOut(start, end, copy.get());
  copy[end - start] = '\0';
  return copy;
}

uint32_t TextDoc::LineEnd(uint32_t start) const {
  if (start >= length_) return length_;
  if (start < gapStart_) {
    const void* lf = std::memchr(buffer_ + start, '\n', gapStart_ - start);
    if (lf) return static_cast<uint32_t>(static_cast<const char*>(lf) - buffer_) + 1;
    start = gapStart_;
  }
  const char* physical = buffer_ + gapSize_;
  const void* lf = std::memchr(physical + start, '\n', length_ - start);
  if (lf) return static_cast<uint32_t>(static_cast<const char*>(lf) - physical) + 1;
  return length_;
}

std::unique_ptr<char[]> TextDoc::CopyLine(uint32_t start, uint32_t* count) const {
  const uint32_t end = LineEnd(start);
  auto copy = CopyRange(start, end);
  if (count) *count = copy ? end - (start < end ? start : end) : 0;
  return copy;
}

const char* TextDoc::Contiguous(uint32_t start, uint32_t end) {
  if (gapSize_ > 0 && gapStart_ > start && gapStart_ < end) {
    // Move the gap to whichever end of the range needs fewer bytes moved.
    MoveGap(gapStart_ - start <= end - gapStart_ ? start : end);
  }
  return buffer_ + (start < gapStart_ ? start : start + gapSize_);
}

bool TextDoc::TakeText(char* storage, uint32_t length, uint32_t capacity) {
  if (capacity < length) {
    std::free(storage);
    return false;
  }
  std::free(buffer_);
  buffer_ = storage;
  length_ = length;
  capacity_ = capacity;
  gapStart_ = length;
  gapSize_ = capacity - length;
  return true;
}

void TextDoc::Clear() {
  TextDoc fresh;
  *this = std::move(fresh);
}

}  // namespace qm
