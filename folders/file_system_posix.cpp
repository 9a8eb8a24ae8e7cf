#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <unistd.h>

#include <cerrno>

#include "engine/platform.h"
#include "folders/file_system.h"

namespace qm {

std::string SystemFileSystem::Child(const std::string& root, const std::string& relative) const {
  std::string path = root;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (relative.empty()) return path;
  if (path.empty() || path.back() != '/') path += '/';
  for (const char c : relative) path += c == '\\' ? '/' : c;
  return path;
}

bool SystemFileSystem::IsExistingFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

namespace {

// Lists path; with withFacts every item is queried relative to the open
// folder (one short lookup instead of a walk of the whole path later).
uint32_t ListPosixFolder(const std::string& path, bool attributes, bool withFacts,
                         std::vector<FoundItem>* items) {
  items->clear();
  errno = 0;
  DIR* dir = opendir(path.c_str());
  if (!dir) return LastError();
  const int fd = dirfd(dir);
  uint32_t error = 0;
  for (;;) {
    errno = 0;
    const dirent* d = readdir(dir);
    if (!d) {
      error = errno != 0 ? LastError() : 0;
      break;
    }
    const char* name = d->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
    FoundItem item;
    item.name = name;
    item.hidden = name[0] == '.';
    // The directory entry's own type saves a query per item where it is
    // plain; a link counts as what it leads to, and one that leads nowhere
    // is listed as itself, a file.
    struct stat st;
    if (!attributes && !withFacts && (d->d_type == DT_REG || d->d_type == DT_DIR)) {
      item.isFolder = d->d_type == DT_DIR;
    } else if (fstatat(fd, name, &st, 0) == 0 ||
               fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
      item.isFolder = S_ISDIR(st.st_mode);
      item.readOnly = (st.st_mode & S_IWUSR) == 0;
      item.haveFacts = true;
      item.facts.writeSeconds = static_cast<int64_t>(st.st_mtim.tv_sec);
      item.facts.size = static_cast<uint64_t>(st.st_size);
    }
    items->push_back(std::move(item));
  }
  closedir(dir);
  if (error != 0) items->clear();
  return error;
}

}  // namespace

uint32_t SystemFileSystem::ListFolder(const std::string& path, bool attributes,
                                      std::vector<FoundItem>* items) {
  return ListPosixFolder(path, attributes, false, items);
}

uint32_t SystemFileSystem::ListFolderWithFacts(const std::string& path, bool attributes,
                                               std::vector<FoundItem>* items) {
  return ListPosixFolder(path, attributes, true, items);
}

void SystemFileSystem::HelperThreadStarted() {}
void SystemFileSystem::HelperThreadEnded() {}

bool SystemFileSystem::QueryFile(const std::string& path, FileFacts* facts) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 && lstat(path.c_str(), &st) != 0) return false;
  // tv_sec is already the whole second at or before the time.
  facts->writeSeconds = static_cast<int64_t>(st.st_mtim.tv_sec);
  facts->size = static_cast<uint64_t>(st.st_size);
  return true;
}

namespace {

// Reads straight from the descriptor: a pair of files costs an open, one
// query and the reads, with no stream buffer in between.
class DescriptorReader : public FileReader {
public:
  DescriptorReader(int fd, const struct stat& st)
      : fd_(fd), size_(static_cast<uint64_t>(st.st_size)), seconds_(st.st_mtim.tv_sec) {}
  ~DescriptorReader() override { close(fd_); }
  DescriptorReader(const DescriptorReader&) = delete;
  DescriptorReader& operator=(const DescriptorReader&) = delete;

  uint32_t Read(char* buffer, size_t count, size_t* got) override {
    *got = 0;
    while (*got < count) {
      const ssize_t n = read(fd_, buffer + *got, count - *got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return LastError();
      if (n == 0) break;
      *got += static_cast<size_t>(n);
    }
    return 0;
  }
  uint64_t Size() const override { return size_; }
  bool Facts(FileFacts* facts) const override {
    facts->writeSeconds = seconds_;
    facts->size = size_;
    return true;
  }

private:
  int fd_;
  uint64_t size_;
  int64_t seconds_;
};

}  // namespace

std::string SystemFileSystem::ResolveShortcut(const std::string& path) {
  return qm::ResolveShortcut(path);
}

std::unique_ptr<FileReader> SystemFileSystem::OpenFile(const std::string& path,
                                                       uint32_t* error) {
  // O_NONBLOCK: opening a FIFO would otherwise wait for a writer. It does
  // nothing to a regular file, the only kind read.
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
  }
  if (refused != 0) {
    close(fd);
    *error = refused;
    return nullptr;
  }
  return std::make_unique<DescriptorReader>(fd, st);
}

// A listing with facts costs a query per item; the open file's own
// query comes with every open.
bool SystemFileSystem::OpenGivesFacts() const { return true; }

}  // namespace qm
