#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

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

uint32_t SystemFileSystem::ListFolder(const std::string& path, std::vector<FoundItem>* items) {
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
    struct stat st;
    // A link counts as what it leads to; one that leads nowhere is listed
    // as itself, a file.
    if (fstatat(fd, name, &st, 0) == 0 || fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
      item.isFolder = S_ISDIR(st.st_mode);
      item.readOnly = (st.st_mode & S_IWUSR) == 0;
    }
    items->push_back(std::move(item));
  }
  closedir(dir);
  if (error != 0) items->clear();
  return error;
}

bool SystemFileSystem::QueryFile(const std::string& path, FileFacts* facts) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 && lstat(path.c_str(), &st) != 0) return false;
  // tv_sec is already the whole second at or before the time.
  facts->writeSeconds = static_cast<int64_t>(st.st_mtim.tv_sec);
  facts->size = static_cast<uint64_t>(st.st_size);
  return true;
}

}  // namespace qm
