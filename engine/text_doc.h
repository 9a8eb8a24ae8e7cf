// TextDoc: the bytes of one side of a comparison, held in one gap buffer.
//
// Invariants: length + gapSize == capacity; the logical text is
// buffer[0, gapStart) followed by buffer[gapStart + gapSize, capacity).
// Lines are not stored: a line runs up to and including the next LF; every
// line of a loaded document ends in a single LF except possibly the last.
// Offsets are u32; a text that would not fit in them is refused by the loader.
// Ownership: the document owns its buffer (std::malloc storage, so the gap
// can grow and shrink with realloc); copying throws std::bad_alloc when the
// copy cannot be allocated. Not thread-safe: one thread at a
// time (the worker while it loads, the user-interface thread afterwards).
#pragma once

#include <cstdint>
#include <memory>

namespace qm {

// The line-ending format of a side. Every value other than Unix and Mac
// behaves as Dos when loading and saving.
enum class LineFormat : uint32_t { Unix = 0, Dos = 1, Mac = 2 };

class TextDoc {
public:
  static constexpr uint32_t kInitialGap = 2048;

  TextDoc();
  ~TextDoc();
  TextDoc(const TextDoc& other);
  TextDoc& operator=(const TextDoc& other);
  TextDoc(TextDoc&& other) noexcept;
  TextDoc& operator=(TextDoc&& other) noexcept;

  // Inserts count bytes at offset. Returns false (text unchanged; the caller
  // reports it as out of memory) when the storage cannot grow or the length
  // would leave the u32 range.
  bool Insert(uint32_t offset, const char* bytes, uint32_t count);
  void Delete(uint32_t offset, uint32_t count);
  void SetByte(uint32_t offset, char byte);
  unsigned char ByteAt(uint32_t offset) const;

  // The bytes [start, end) followed by a NUL, in a new buffer; null when
  // the allocation fails. The range may span the gap.
  std::unique_ptr<char[]> CopyRange(uint32_t start, uint32_t end) const;
  // Offset just after the first LF at or after start, or Length().
  uint32_t LineEnd(uint32_t start) const;
  // CopyRange(start, LineEnd(start)); count receives the byte count (LF included).
  std::unique_ptr<char[]> CopyLine(uint32_t start, uint32_t* count) const;

  // Read-only view of [start, end) without copying, for hot loops: moves
  // the gap out of the range when it lies inside (the text is unchanged).
  // The pointer is valid until the next change to the document.
  const char* Contiguous(uint32_t start, uint32_t end);
  // The bytes [start, end) as at most two stored runs (the second empty
  // when the range does not span the gap), for loops that need no copy.
  void Segments(uint32_t start, uint32_t end, const char** first, uint32_t* firstCount,
                const char** second, uint32_t* secondCount) const;
  // Copies the bytes [start, end) (within the text) to out.
  void CopyOut(uint32_t start, uint32_t end, char* out) const;
  // Replaces the text by the first length bytes of storage, which the
  // document takes over (allocated with std::malloc, capacity bytes, the
  // rest becoming the gap). Lets a loader fill the document without a copy.
  // Returns false (storage freed, text unchanged) when capacity < length.
  bool TakeText(char* storage, uint32_t length, uint32_t capacity);

  uint32_t Length() const { return length_; }
  bool AtEnd(uint32_t offset) const { return offset >= length_; }
  bool AtStart(uint32_t offset) const { return offset == 0; }
  void Clear();

  // Internals, exposed for tests of the gap arithmetic.
  uint32_t Capacity() const { return capacity_; }
  uint32_t GapStart() const { return gapStart_; }
  uint32_t GapSize() const { return gapSize_; }

private:
  void MoveGap(uint32_t offset);
  bool ResizeGap(uint32_t gap);

  char* buffer_ = nullptr;
  uint32_t length_ = 0;
  uint32_t capacity_ = 0;
  uint32_t gapStart_ = 0;
  uint32_t gapSize_ = 0;
};

}  // namespace qm
