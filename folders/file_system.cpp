// The parts of SystemFileSystem that both platforms share: reading goes
// through the engine's disk-file opener, which already refuses devices and
// pipes on either system.
#include <cstdio>

#include "engine/platform.h"
#include "folders/file_system.h"

namespace qm {

namespace {

constexpr uint32_t kReadFault = 30;  // ERROR_READ_FAULT: a read that failed without a reason

class DiskFileReader : public FileReader {
public:
  DiskFileReader(std::FILE* file, uint64_t size) : file_(file), size_(size) {}
  ~DiskFileReader() override { std::fclose(file_); }
  DiskFileReader(const DiskFileReader&) = delete;
  DiskFileReader& operator=(const DiskFileReader&) = delete;

  uint32_t Read(char* buffer, size_t count, size_t* got) override {
    *got = std::fread(buffer, 1, count, file_);
    if (*got < count && std::ferror(file_)) {
      const uint32_t error = LastError();
      return error != 0 ? error : kReadFault;
    }
    return 0;
  }
  uint64_t Size() const override { return size_; }

private:
  std::FILE* file_;
  uint64_t size_;
};

}  // namespace

std::unique_ptr<FileReader> SystemFileSystem::OpenFile(const std::string& path,
                                                       uint32_t* error) {
  std::FILE* file = OpenDiskFile(path, error);
  if (!file) return nullptr;
  uint64_t size = 0;
  if (!OpenFileSize(file, &size)) {
    *error = LastError();
    if (*error == 0) *error = kReadFault;
    std::fclose(file);
    return nullptr;
  }
  return std::make_unique<DiskFileReader>(file, size);
}

std::string SystemFileSystem::ResolveShortcut(const std::string& path) {
  return qm::ResolveShortcut(path);
}

}  // namespace qm
