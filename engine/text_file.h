// File input and output of text documents: path checks, the binary test,
// line-ending detection, whole-file reads and writes, loading and saving in
// a file's own encoding (engine/encoding.h), and the line-ending
// conversions used by loading, saving and the clipboard.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/compare_progress.h"
#include "engine/diff_engine.h"
#include "engine/encoding.h"
#include "engine/text_doc.h"

namespace qm {

bool IsValidFilePath(const std::string& path, bool allowBareDrive);
bool IsFilePath(const std::string& path);
// True when the last component of path names a Windows device (CON, PRN,
// AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$, CLOCK$; any extension, any
// case, trailing spaces ignored) or path is in the device namespace
// ("\\.\..."). Such names never reach a file on disk.
bool IsDeviceName(const std::string& path);
// The binary test over the first kilobyte; a file with a UTF-16 byte order
// mark is always text.
bool IsBinaryFile(const std::string& path);
// The line format from the first line ends of the file; those of a UTF-16
// file are read as its units, not its bytes.
LineFormat DetectLineFormat(const std::string& path);
// Both of the above from one opening of the file.
struct TextProbe {
  bool binary = false;
  LineFormat format = LineFormat::Dos;
};
TextProbe ProbeTextFile(const std::string& path);

// Whole-file buffers are std::malloc storage, so a loader can hand them to a
// TextDoc (TakeText) without copying.
struct FreeDeleter {
  void operator()(char* p) const;
};
struct FileData {
  std::unique_ptr<char[], FreeDeleter> data;
  uint32_t size = 0;
};
// Returns 0 or an operating-system error code. Files too large for u32
// offsets (with room for a document's gap) are refused with
// ERROR_FILE_TOO_LARGE (223).
uint32_t ReadWholeFile(const std::string& path, FileData* out);
// Writes through a temporary file in the same folder and replaces the target
// only when every byte was written. Returns 0 or an error code; a device as
// target gives kErrorNotDiskFile and nothing is written.
uint32_t WriteWholeFile(const std::string& path, const char* data, uint32_t size);

// Reads the file into doc (expected empty) with LF-only lines, as UTF-8 text
// for a UTF-16 file and byte for byte otherwise (a UTF-8 byte order mark
// left out); *encoding, when given, receives the detected encoding (see
// engine/encoding.h). format is the file's line format, as DetectLineFormat
// gives it. Returns 0 or an operating-system error code; a file whose text
// would not fit u32 offsets gives ERROR_FILE_TOO_LARGE (223) and leaves doc
// untouched. Only regular disk files are read (kErrorNotDiskFile
// otherwise); a set cancel flag stops the read between pieces with
// kErrorCancelled. progress, when given, counts the file's size and the
// bytes read.
uint32_t LoadTextFile(TextDoc& doc, LineFormat format, const std::string& path,
                      const CancelFlag* cancel = nullptr, TextEncoding* encoding = nullptr,
                      CompareProgress* progress = nullptr);
// Writes doc to path in a line format and an encoding (byte order mark
// included), the inverse of LoadTextFile: an unmodified document gives back
// the bytes it was read from. Returns 0 or an error code as WriteWholeFile;
// kErrorOutOfMemory when the bytes could not be built.
uint32_t WriteTextFile(TextDoc& doc, LineFormat format, TextEncoding encoding,
                       const std::string& path);

// CR LF -> LF (every other byte kept); null when memory runs out.
std::unique_ptr<char[]> FromDosText(const char* bytes, uint32_t count, uint32_t* outCount);
// LF -> CR LF over [start, end); NUL -> space when replaceNul.
std::unique_ptr<char[]> ToDosText(const TextDoc& doc, uint32_t start, uint32_t end,
                                  bool replaceNul, uint32_t* outCount);

}  // namespace qm
