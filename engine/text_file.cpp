#include "engine/text_file.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "engine/encoding.h"
#include "engine/platform.h"

namespace qm {

namespace {

constexpr uint32_t kReadFault = 30;  // ERROR_READ_FAULT: a read that came back short
constexpr size_t kBinaryProbe = 1024;
constexpr size_t kFormatProbe = 65536;
constexpr int kFormatLineEnds = 20;
// The largest text a document can hold: its capacity (text + gap) is u32.
constexpr uint64_t kMaxText = 0xFFFFFFFFull - TextDoc::kInitialGap;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Reads are made in pieces of this size so that a cancel is seen between
// them even when a file comes slowly (a network share, removable media).
constexpr uint32_t kReadPiece = 4u << 20;

File OpenForReading(const std::string& path, uint32_t* error) {
  return File(OpenDiskFile(path, error));
}

// Opens a file for reading and measures it.
uint32_t OpenMeasured(const std::string& path, File* file, uint64_t* size) {
  uint32_t openError = 0;
  *file = OpenForReading(path, &openError);
  if (!*file) return openError;
  if (!OpenFileSize(file->get(), size)) return LastError();
  return 0;
}

// Reads count bytes into data in pieces, looking at the cancel flag between
// them. Each piece is shown to check, when given, while it is still in the
// cache.
uint32_t ReadPieces(std::FILE* file, char* data, uint64_t count, const CancelFlag* cancel,
                    Utf8Check* check = nullptr, CompareProgress* progress = nullptr) {
  for (uint64_t done = 0; done < count;) {
    if (cancel && cancel->load(std::memory_order_relaxed)) return kErrorCancelled;
    const size_t piece = static_cast<size_t>(std::min<uint64_t>(count - done, kReadPiece));
    if (std::fread(data + done, 1, piece, file) != piece) {
      const uint32_t error = LastError();
      return error != 0 ? error : kReadFault;
    }
    if (check) check->Add(data + done, piece);
    if (progress) AddProgress(&progress->bytesRead, piece);
    done += piece;
  }
  return 0;
}

// malloc storage for n bytes with room spare bytes and a NUL behind them.
char* AllocateWithRoom(uint64_t n, uint32_t room, uint32_t* error) {
  // In a 32-bit process the sum may not fit size_t: never let it wrap.
  const uint64_t want = n + room + 1;
  if (want > SIZE_MAX) {
    *error = kErrorOutOfMemory;
    return nullptr;
  }
  char* data = static_cast<char*>(std::malloc(static_cast<size_t>(want)));
  if (!data) {
    *error = kErrorOutOfMemory;
  } else {
    AdviseLargeBuffer(data, static_cast<size_t>(want));
  }
  return data;
}

// Reads the whole file into malloc storage with room spare bytes behind it.
uint32_t ReadWithRoom(const std::string& path, uint32_t room, FileData* out,
                      const CancelFlag* cancel) {
  File file;
  uint64_t size = 0;
  uint32_t error = OpenMeasured(path, &file, &size);
  if (error != 0) return error;
  if (size > kMaxText) return kErrorFileTooLarge;
  std::unique_ptr<char[], FreeDeleter> data(AllocateWithRoom(size, room, &error));
  if (!data) return error;
  error = ReadPieces(file.get(), data.get(), size, cancel);
  if (error != 0) return error;
  out->data = std::move(data);
  out->size = static_cast<uint32_t>(size);
  return 0;
}

// The rest of a UTF-16 file (after its byte order mark and the first
// byte), converted to UTF-8 as it is read: one pass, and never the whole
// file's bytes and its text in memory at once. The text grows by the ratio
// seen so far, so a file of one script is reallocated about once.
uint32_t DecodeUtf16File(std::FILE* file, uint64_t rest, Utf16Decoder& decoder, uint32_t room,
                         FileData* out, const CancelFlag* cancel, CompareProgress* progress) {
  std::unique_ptr<char[]> piece(new (std::nothrow) char[kReadPiece]);
  if (!piece) return kErrorOutOfMemory;
  const uint64_t slack = Utf16Decoder::Room(kReadPiece) + room + 1;
  uint64_t capacity = std::min<uint64_t>(rest / 2, kMaxText) + slack;
  if (capacity > SIZE_MAX) return kErrorOutOfMemory;
  std::unique_ptr<char[], FreeDeleter> text(
      static_cast<char*>(std::malloc(static_cast<size_t>(capacity))));
  if (!text) return kErrorOutOfMemory;
  AdviseLargeBuffer(text.get(), static_cast<size_t>(capacity));
  uint64_t length = 0;
  for (uint64_t done = 0; done < rest;) {
    if (cancel && cancel->load(std::memory_order_relaxed)) return kErrorCancelled;
    const size_t count = static_cast<size_t>(std::min<uint64_t>(rest - done, kReadPiece));
    if (std::fread(piece.get(), 1, count, file) != count) {
      const uint32_t error = LastError();
      return error != 0 ? error : kReadFault;
    }
    done += count;
    if (progress) AddProgress(&progress->bytesRead, count);
    if (length + slack > capacity) {
      const double ratio = static_cast<double>(length) / static_cast<double>(done);
      const uint64_t guess = length + static_cast<uint64_t>(ratio * static_cast<double>(rest - done));
      capacity = std::max(length + slack, guess + guess / 16 + slack);
      if (capacity > SIZE_MAX) return kErrorOutOfMemory;
      char* grown = static_cast<char*>(std::realloc(text.get(), static_cast<size_t>(capacity)));
      if (!grown) return kErrorOutOfMemory;
      text.release();
      text.reset(grown);
    }
    length += decoder.Decode(piece.get(), count, text.get() + length);
    if (length > kMaxText) return kErrorFileTooLarge;
  }
  length += decoder.Finish(text.get() + length);
  if (length > kMaxText) return kErrorFileTooLarge;
  out->data = std::move(text);
  out->size = static_cast<uint32_t>(length);
  return 0;
}

// Reads a file as a document's text with room spare bytes behind it:
// legacy and UTF-8 bytes straight into place (a UTF-8 byte order mark
// skipped by reading over it), UTF-16 decoded to UTF-8.
uint32_t ReadText(const std::string& path, uint32_t room, FileData* out, TextEncoding* encoding,
                  const CancelFlag* cancel, CompareProgress* progress) {
  File file;
  uint64_t size = 0;
  uint32_t error = OpenMeasured(path, &file, &size);
  if (error != 0) return error;
  if (progress) AddProgress(&progress->bytesTotal, size);
  char head[3];
  const size_t headCount = static_cast<size_t>(std::min<uint64_t>(size, sizeof head));
  if (std::fread(head, 1, headCount, file.get()) != headCount) {
    error = LastError();
    return error != 0 ? error : kReadFault;
  }
  if (progress) AddProgress(&progress->bytesRead, headCount);
  const TextEncoding bom = EncodingFromBom(head, headCount);
  const size_t bomSize = ByteOrderMark(bom).size();
  if (IsUtf16(bom)) {
    // The head's third byte is the first of the text; the decoder holds it.
    Utf16Decoder decoder(bom == TextEncoding::Utf16Be);
    char none[Utf16Decoder::Room(1)];
    decoder.Decode(head + bomSize, headCount - bomSize, none);
    error = DecodeUtf16File(file.get(), size - headCount, decoder, room, out, cancel, progress);
    if (error == 0) *encoding = bom;
    return error;
  }
  const uint64_t length = size - bomSize;
  if (length > kMaxText) return kErrorFileTooLarge;
  std::unique_ptr<char[], FreeDeleter> data(AllocateWithRoom(length, room, &error));
  if (!data) return error;
  std::memcpy(data.get(), head + bomSize, headCount - bomSize);
  // Without a mark, whether the text is UTF-8 is seen as it is read.
  Utf8Check check;
  Utf8Check* checking = bom == TextEncoding::Utf8Bom ? nullptr : &check;
  if (checking) checking->Add(head, headCount);
  error = ReadPieces(file.get(), data.get() + (headCount - bomSize), size - headCount, cancel,
                     checking, progress);
  if (error != 0) return error;
  const uint32_t n = static_cast<uint32_t>(length);
  if (bom == TextEncoding::Utf8Bom) {
    *encoding = bom;
  } else {
    *encoding = check.IsUtf8WithNonAscii() ? TextEncoding::Utf8 : TextEncoding::Legacy;
  }
  out->data = std::move(data);
  out->size = n;
  return 0;
}

// The Dos load conversion: each CR immediately followed by LF is dropped.
// out may be in; returns the bytes written.
uint32_t DropCRBeforeLF(const char* in, uint32_t count, char* out) {
  uint32_t w = 0;
  for (uint32_t r = 0; r < count; ++r) {
    if (in[r] == '\r' && r + 1 < count && in[r + 1] == '\n') continue;
    out[w++] = in[r];
  }
  return w;
}

// The line-format decision over the first line ends of bytes (see
// DetectLineFormat). A CR that is the last byte is not counted.
LineFormat ScanLineEnds(const char* bytes, size_t n) {
  bool afterCR = false;
  int lf = 0;
  int crlf = 0;
  int cr = 0;
  int ends = 0;
  for (size_t i = 0; i < n; ++i) {
    const char b = bytes[i];
    if (b == '\n') {
      if (afterCR) {
        ++crlf;
      } else {
        ++lf;
      }
    } else if (afterCR) {
      ++cr;
    }
    if ((b == '\n' || afterCR) && ++ends > kFormatLineEnds) break;
    afterCR = b == '\r';
  }
  if (lf > crlf && lf >= cr) return LineFormat::Unix;
  if (cr > crlf && cr > lf) return LineFormat::Mac;
  return LineFormat::Dos;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Creates a new temporary file in the target's folder.
std::FILE* CreateTempBeside(const std::string& target, std::string* temp) {
  const std::string folder = FolderOf(target);
  uint32_t seed = static_cast<uint32_t>(
      std::chrono::steady_clock::now().time_since_epoch().count() ^
      reinterpret_cast<uintptr_t>(temp));
  for (int attempt = 0; attempt < 100; ++attempt) {
    seed = seed * 1103515245u + 12345u;
    char name[32];
    std::snprintf(name, sizeof name, "~qm%05X.tmp", (seed >> 8) & 0xFFFFF);
    *temp = folder + name;
    std::FILE* file = CreateNewFile(*temp);
    if (file || LastError() != kErrorFileExists) return file;
  }
  return nullptr;
}

// A piece of a file's bytes; a file is written from one or more of them so
// that a byte order mark needs no copy of the text behind it.
struct ByteRun {
  const char* data;
  size_t size;
};

// Writes the runs one after the other through a temporary file in the
// target's folder, replacing the target only when every byte was written.
uint32_t WriteRuns(const std::string& path, const ByteRun* runs, int count) {
  if (IsDeviceTarget(path)) return kErrorNotDiskFile;
  std::string temp;
  std::FILE* file = CreateTempBeside(path, &temp);
  if (!file) return LastError();
  uint32_t error = 0;
  for (int i = 0; i < count && error == 0; ++i) {
    if (runs[i].size > 0 && std::fwrite(runs[i].data, 1, runs[i].size, file) != runs[i].size) {
      error = LastError();
    }
  }
  if (std::fflush(file) != 0 && error == 0) error = LastError();
  if (std::fclose(file) != 0 && error == 0) error = LastError();
  if (error == 0) error = ReplaceWithTemp(temp, path);
  if (error != 0) {
    RemoveFile(temp);
    return error;
  }
  return 0;
}

}  // namespace

void FreeDeleter::operator()(char* p) const { std::free(p); }

bool IsValidFilePath(const std::string& path, bool allowBareDrive) {
  const size_t n = path.size();
  if (n == 0 || path[0] == ':') return false;
  if (n > 1 && path[1] == ':') {
    if (n == 2) return allowBareDrive;
    const int drive = std::toupper(static_cast<unsigned char>(path[0]));
    if (drive < 'A' || drive > 'Z') return false;
    if (path[2] != '\\') return false;
  }
  if (n > 2) {
    if (path.find(':', 2) != std::string::npos) return false;
    if (path[0] == '\\' && path[1] == '\\' && path.find('\\', 2) == std::string::npos) {
      return false;
    }
  }
  return path.find_first_of("?*<>|") == std::string::npos;
}

bool IsFilePath(const std::string& path) {
  if (!IsValidFilePath(path, false)) return false;
  const size_t slash = path.rfind('\\');
  return slash == std::string::npos || slash + 1 < path.size();
}

bool IsDeviceName(const std::string& path) {
  // The device namespace ("\\.\COM1", "\\.\pipe\x").
  if (path.size() >= 4 && (path[0] == '\\' || path[0] == '/') &&
      (path[1] == '\\' || path[1] == '/') && path[2] == '.' &&
      (path[3] == '\\' || path[3] == '/')) {
    return true;
  }
  const size_t slash = path.find_last_of("\\/:");
  std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
  // The device is named by the part before the first dot, with trailing
  // spaces ignored: "nul.txt" and "COM1 " are devices too.
  name = name.substr(0, name.find('.'));
  while (!name.empty() && name.back() == ' ') name.pop_back();
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
  for (const char* device : kDevices) {
    if (name == device) return true;
  }
  return name.size() == 4 && (name.compare(0, 3, "COM") == 0 || name.compare(0, 3, "LPT") == 0) &&
         name[3] >= '1' && name[3] <= '9';
}

namespace {

// The binary test on the first n bytes of a file (at most a kilobyte).
bool LooksBinary(const char* bytes, size_t n) {
  // UTF-16 text is half NUL bytes; its byte order mark makes it text.
  if (IsUtf16(EncodingFromBom(bytes, n))) return false;
  size_t control = 0;
  for (size_t i = 0; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') ++control;
  }
  return control * 10 > n;
}

// The line format of a probe of n bytes from a file's start, at most
// kFormatProbe of them (fewer: the whole file).
LineFormat FormatOfProbe(const char* bytes, size_t n) {
  const TextEncoding bom = EncodingFromBom(bytes, n);
  if (!IsUtf16(bom)) return ScanLineEnds(bytes, n);
  // A UTF-16 file's line ends are units: look at the probe as text.
  std::unique_ptr<char[]> text(new (std::nothrow) char[Utf16Decoder::Room(n)]);
  if (!text) return LineFormat::Dos;
  Utf16Decoder decoder(bom == TextEncoding::Utf16Be);
  const size_t bomSize = ByteOrderMark(bom).size();
  size_t length = decoder.Decode(bytes + bomSize, n - bomSize, text.get());
  // When the probe holds the whole file, its end is the text's end too.
  if (n < kFormatProbe) length += decoder.Finish(text.get() + length);
  return ScanLineEnds(text.get(), length);
}

}  // namespace

bool IsBinaryFile(const std::string& path) {
  uint32_t error = 0;
  File file = OpenForReading(path, &error);
  if (!file) return false;
  char bytes[kBinaryProbe];
  return LooksBinary(bytes, std::fread(bytes, 1, sizeof bytes, file.get()));
}

LineFormat DetectLineFormat(const std::string& path) {
  return ProbeTextFile(path).format;
}

TextProbe ProbeTextFile(const std::string& path) {
  TextProbe probe;
  uint32_t error = 0;
  File file = OpenForReading(path, &error);
  if (!file) return probe;
  std::unique_ptr<char[]> bytes(new (std::nothrow) char[kFormatProbe]);
  if (!bytes) {
    // Without room for the format's probe, the binary test still runs.
    char small[kBinaryProbe];
    probe.binary = LooksBinary(small, std::fread(small, 1, sizeof small, file.get()));
    return probe;
  }
  const size_t n = std::fread(bytes.get(), 1, kFormatProbe, file.get());
  probe.binary = LooksBinary(bytes.get(), std::min(n, kBinaryProbe));
  probe.format = FormatOfProbe(bytes.get(), n);
  return probe;
}

uint32_t ReadWholeFile(const std::string& path, FileData* out) {
  return ReadWithRoom(path, 0, out, nullptr);
}

uint32_t WriteWholeFile(const std::string& path, const char* data, uint32_t size) {
  const ByteRun run{data, size};
  return WriteRuns(path, &run, 1);
}

uint32_t LoadTextFile(TextDoc& doc, LineFormat format, const std::string& path,
                      const CancelFlag* cancel, TextEncoding* encoding,
                      CompareProgress* progress) {
  FileData file;
  // The file is read with room for the document's gap behind it and
  // converted in place, so the text is never copied (a UTF-16 file is
  // decoded as it is read).
  TextEncoding found = TextEncoding::Legacy;
  const uint32_t error = ReadText(path, TextDoc::kInitialGap, &file, &found, cancel, progress);
  if (error != 0) return error;
  if (encoding) *encoding = found;
  if (file.size == 0) return 0;
  char* bytes = file.data.get();
  uint32_t length = file.size;
  if (format == LineFormat::Mac) {
    for (uint32_t i = 0; i < length; ++i) {
      if (bytes[i] == '\r') bytes[i] = '\n';
    }
  } else if (format != LineFormat::Unix) {
    length = DropCRBeforeLF(bytes, length, bytes);
  }
  const uint32_t capacity = length + TextDoc::kInitialGap;
  char* storage = static_cast<char*>(std::realloc(file.data.get(), capacity));
  if (storage) {
    file.data.release();
  } else {
    storage = file.data.release();  // the larger block holds the text as well
  }
  doc.TakeText(storage, length, capacity);
  return 0;
}

std::unique_ptr<char[]> FromDosText(const char* bytes, uint32_t count, uint32_t* outCount) {
  std::unique_ptr<char[]> out(new (std::nothrow) char[static_cast<size_t>(count) + 1]);
  if (!out) return nullptr;
  const uint32_t n = DropCRBeforeLF(bytes, count, out.get());
  out[n] = '\0';
  if (outCount) *outCount = n;
  return out;
}

std::unique_ptr<char[]> ToDosText(const TextDoc& doc, uint32_t start, uint32_t end,
                                  bool replaceNul, uint32_t* outCount) {
  const char* part[2];
  uint32_t count[2];
  doc.Segments(start, end, &part[0], &count[0], &part[1], &count[1]);
  uint64_t size = static_cast<uint64_t>(count[0]) + count[1];
  for (int s = 0; s < 2; ++s) {
    for (uint32_t i = 0; i < count[s]; ++i) size += part[s][i] == '\n';
  }
  if (size > 0xFFFFFFFEull) return nullptr;
  std::unique_ptr<char[]> out(new (std::nothrow) char[static_cast<size_t>(size) + 1]);
  if (!out) return nullptr;
  char* w = out.get();
  for (int s = 0; s < 2; ++s) {
    for (uint32_t i = 0; i < count[s]; ++i) {
      const char c = part[s][i];
      if (c == '\n') {
        *w++ = '\r';
        *w++ = '\n';
      } else {
        *w++ = (c == '\0' && replaceNul) ? ' ' : c;
      }
    }
  }
  *w = '\0';
  if (outCount) *outCount = static_cast<uint32_t>(size);
  return out;
}

}  // namespace qm

namespace qm {

uint32_t WriteTextFile(TextDoc& doc, LineFormat format, TextEncoding encoding,
                       const std::string& path) {
  const uint32_t length = doc.Length();
  // First the line ends of the format, over the document's own bytes when
  // they need no change.
  std::unique_ptr<char[]> converted;
  const char* text = nullptr;
  uint32_t count = length;
  if (format == LineFormat::Unix) {
    text = doc.Contiguous(0, length);
  } else if (format == LineFormat::Mac) {
    converted = doc.CopyRange(0, length);
    if (!converted) return kErrorOutOfMemory;
    std::replace(converted.get(), converted.get() + length, '\n', '\r');
    text = converted.get();
  } else {
    converted = ToDosText(doc, 0, length, false, &count);
    if (!converted) return kErrorOutOfMemory;
    text = converted.get();
  }
  // Then the encoding: the text as it is, behind its byte order mark when
  // it has one, or as UTF-16 units.
  const std::string_view bom = ByteOrderMark(encoding);
  if (!IsUtf16(encoding)) {
    const ByteRun runs[2] = {{bom.data(), bom.size()}, {text, count}};
    return WriteRuns(path, runs, 2);
  }
  const uint64_t room = 2ull * count;
  if (room > SIZE_MAX) return kErrorOutOfMemory;
  std::unique_ptr<char[]> units(new (std::nothrow) char[static_cast<size_t>(room) + 1]);
  if (!units) return kErrorOutOfMemory;
  const size_t size = EncodeUtf16(text, count, encoding == TextEncoding::Utf16Be, units.get());
  converted.reset();
  const ByteRun runs[2] = {{bom.data(), bom.size()}, {units.get(), size}};
  return WriteRuns(path, runs, 2);
}

}  // namespace qm
