#include "engine/text_file.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

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

// Reads the whole file into malloc storage with room spare bytes behind it.
uint32_t ReadWithRoom(const std::string& path, uint32_t room, FileData* out,
                      const CancelFlag* cancel) {
  uint32_t openError = 0;
  File file = OpenForReading(path, &openError);
  if (!file) return openError;
  uint64_t size = 0;
  if (!OpenFileSize(file.get(), &size)) return LastError();
  if (size > kMaxText) return kErrorFileTooLarge;
  const uint32_t n = static_cast<uint32_t>(size);
  // In a 32-bit process the sum may not fit size_t: never let it wrap.
  const uint64_t want = static_cast<uint64_t>(n) + room + 1;
  if (want > SIZE_MAX) return kErrorOutOfMemory;
  char* data = static_cast<char*>(std::malloc(static_cast<size_t>(want)));
  if (!data) return kErrorOutOfMemory;
  std::unique_ptr<char[], FreeDeleter> owned(data);
  for (uint32_t done = 0; done < n;) {
    if (cancel && cancel->load(std::memory_order_relaxed)) return kErrorCancelled;
    const uint32_t piece = std::min(n - done, kReadPiece);
    if (std::fread(data + done, 1, piece, file.get()) != piece) {
      const uint32_t error = LastError();
      return error != 0 ? error : kReadFault;
    }
    done += piece;
  }
  out->data = std::move(owned);
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

bool IsBinaryFile(const std::string& path) {
  uint32_t error = 0;
  File file = OpenForReading(path, &error);
  if (!file) return false;
  unsigned char bytes[kBinaryProbe];
  const size_t n = std::fread(bytes, 1, sizeof bytes, file.get());
  size_t control = 0;
  for (size_t i = 0; i < n; ++i) {
    const unsigned char c = bytes[i];
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') ++control;
  }
  return control * 10 > n;
}

LineFormat DetectLineFormat(const std::string& path) {
  uint32_t error = 0;
  File file = OpenForReading(path, &error);
  if (!file) return LineFormat::Dos;
  std::unique_ptr<unsigned char[]> bytes(new (std::nothrow) unsigned char[kFormatProbe]);
  if (!bytes) return LineFormat::Dos;
  const size_t n = std::fread(bytes.get(), 1, kFormatProbe, file.get());
  bool afterCR = false;
  int lf = 0;
  int crlf = 0;
  int cr = 0;
  int ends = 0;
  for (size_t i = 0; i < n; ++i) {
    const unsigned char b = bytes[i];
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

uint32_t ReadWholeFile(const std::string& path, FileData* out) {
  return ReadWithRoom(path, 0, out, nullptr);
}

uint32_t WriteWholeFile(const std::string& path, const char* data, uint32_t size) {
  if (IsDeviceTarget(path)) return kErrorNotDiskFile;
  std::string temp;
  std::FILE* file = CreateTempBeside(path, &temp);
  if (!file) return LastError();
  uint32_t error = 0;
  if (size > 0 && std::fwrite(data, 1, size, file) != size) error = LastError();
  if (std::fflush(file) != 0 && error == 0) error = LastError();
  if (std::fclose(file) != 0 && error == 0) error = LastError();
  if (error == 0) error = ReplaceWithTemp(temp, path);
  if (error != 0) {
    RemoveFile(temp);
    return error;
  }
  return 0;
}

uint32_t LoadTextFile(TextDoc& doc, LineFormat format, const std::string& path,
                      const CancelFlag* cancel) {
  FileData file;
  // The file is read with room for the document's gap behind it and
  // converted in place, so the text is never copied.
  const uint32_t error = ReadWithRoom(path, TextDoc::kInitialGap, &file, cancel);
  if (error != 0) return error;
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
