#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "engine/platform.h"

namespace qm {

namespace {

// errno values that have a Windows counterpart; anything else keeps its
// errno under kErrnoTag so that its own text can still be given.
struct ErrnoMapping {
  int errnoValue;
  uint32_t windowsCode;
};
constexpr ErrnoMapping kErrnoMap[] = {
    {ENOENT, 2},         {ENOTDIR, 3},   {EMFILE, 4},   {EACCES, 5},  {EPERM, 5},
    {EISDIR, 5},         {ENOMEM, 14},   {EROFS, 19},   {EBUSY, 32},  {EEXIST, 80},
    {ENOSPC, 112},       {ENAMETOOLONG, 206},           {EFBIG, 223}, {EOVERFLOW, 223},
};
constexpr uint32_t kErrnoTag = 0x20000000u;

uint32_t MapErrno(int value) {
  for (const ErrnoMapping& m : kErrnoMap) {
    if (m.errnoValue == value) return m.windowsCode;
  }
  return kErrnoTag | static_cast<uint32_t>(value);
}

}  // namespace

std::string ResolveShortcut(const std::string& path) { return path; }

bool IsReadOnlyFile(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return true;
  // The owner's write bit plays the read-only attribute: root passes any
  // access test, but a file its owner marked read-only stays read-only.
  if ((st.st_mode & S_IWUSR) == 0) return true;
  return access(path.c_str(), W_OK) != 0;
}

std::string SystemErrorText(uint32_t error) {
  if (error == 0) error = LastError();
  switch (error) {
    case kErrorNotDiskFile:
      return "The name is a device or a pipe, not a file on disk.";
    case kErrorCancelled:
      return "The operation was canceled by the user.";
    case 8:
    case kErrorOutOfMemory:
      return "Not enough memory resources are available to complete this operation.";
    case kErrorFileTooLarge:
      return "The file size exceeds the limit allowed and cannot be saved.";
    default:
      break;
  }
  if (error & kErrnoTag) return std::strerror(static_cast<int>(error & ~kErrnoTag));
  for (const ErrnoMapping& m : kErrnoMap) {
    if (m.windowsCode == error) return std::strerror(m.errnoValue);
  }
  return "Unknown error " + std::to_string(error);
}

uint32_t LastError() { return errno == 0 ? 0 : MapErrno(errno); }

bool IsSameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool IsDeviceTarget(const std::string& path) {
  struct stat st;
  // A FIFO or socket would simply be replaced by the renamed file; a
  // character or block device is something else altogether.
  return stat(path.c_str(), &st) == 0 && (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode));
}

FileStamp StampOf(const std::string& path) {
  FileStamp stamp;
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return stamp;
  stamp.exists = true;
  stamp.size = static_cast<uint64_t>(st.st_size);
  stamp.writeTime = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return stamp;
}

std::FILE* OpenDiskFile(const std::string& path, uint32_t* error) {
  // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a
  // writer, beyond the reach of any cancel.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *error = LastError();
    return nullptr;
  }
  struct stat st;
  uint32_t refused = 0;
  if (fstat(fd, &st) != 0) {
    refused = LastError();
  } else if (S_ISDIR(st.st_mode)) {
    refused = kErrorAccessDenied;
  } else if (!S_ISREG(st.st_mode)) {
    refused = kErrorNotDiskFile;
  } else if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    refused = LastError();
  }
  std::FILE* file = refused ? nullptr : fdopen(fd, "rb");
  if (!file) {
    if (!refused) refused = LastError();
    close(fd);
    *error = refused;
  }
  return file;
}

bool OpenFileSize(std::FILE* file, uint64_t* size) {
  struct stat st;
  if (fstat(fileno(file), &st) != 0) return false;
  if (S_ISDIR(st.st_mode)) {
    errno = EISDIR;
    return false;
  }
  *size = static_cast<uint64_t>(st.st_size);
  return true;
}

std::FILE* CreateNewFile(const std::string& path) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  std::FILE* file = fdopen(fd, "wb");
  if (!file) {
    const int saved = errno;
    close(fd);
    unlink(path.c_str());
    errno = saved;
  }
  return file;
}

uint32_t ReplaceWithTemp(const std::string& temp, const std::string& target) {
  std::string real = target;
  char resolved[PATH_MAX];
  struct stat st;
  // Saving through a symbolic link replaces the file it names, not the link.
  if (lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode) &&
      realpath(target.c_str(), resolved)) {
    real = resolved;
  }
  if (stat(real.c_str(), &st) == 0) {
    if (IsReadOnlyFile(real)) return kErrorAccessDenied;
    if (chmod(temp.c_str(), st.st_mode & 07777) != 0) return LastError();
  }
  if (rename(temp.c_str(), real.c_str()) != 0) return LastError();
  return 0;
}

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

void AdviseLargeBuffer(void* data, size_t bytes) {
#ifdef MADV_HUGEPAGE
  // Only whole large pages inside the buffer can be advised; smaller
  // buffers are not worth the call.
  constexpr uintptr_t kLargePage = uintptr_t{2} << 20;
  if (bytes < 2 * kLargePage) return;
  const uintptr_t from = (reinterpret_cast<uintptr_t>(data) + kLargePage - 1) & ~(kLargePage - 1);
  const uintptr_t to = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kLargePage - 1);
  if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

}  // namespace qm
