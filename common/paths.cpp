#include "common/paths.h"

namespace qm {

namespace {

// Length of path without its trailing backslashes.
size_t TrimmedLength(const std::string& path) {
  size_t end = path.size();
  while (end > 0 && path[end - 1] == '\\') --end;
  return end;
}

// Start of the last component of path[0, end), end > 0 and path[end - 1]
// not a backslash.
size_t LastComponentStart(const std::string& path, size_t end) {
  const size_t slash = path.find_last_of('\\', end - 1);
  return slash == std::string::npos ? 0 : slash + 1;
}

}  // namespace

std::string JoinPath(const std::string& folder, const std::string& name) {
  std::string joined = folder.substr(0, TrimmedLength(folder));
  joined += '\\';
  joined += name;
  return joined;
}

std::string ParentFolder(const std::string& path) {
  const size_t end = TrimmedLength(path);
  if (end == 0) return std::string();
  size_t start = LastComponentStart(path, end);
  while (start > 0 && path[start - 1] == '\\') --start;
  return path.substr(0, start);
}

std::string LastComponent(const std::string& path) {
  const size_t end = TrimmedLength(path);
  if (end == 0) return std::string();
  const size_t start = LastComponentStart(path, end);
  return path.substr(start, end - start);
}

}  // namespace qm
