// The folder comparison's seam to the file system: listing a folder,
// querying a file's time and size, and reading a file's bytes. The system's
// own implementation (SystemFileSystem) lives in file_system_posix.cpp and
// file_system_win32.cpp; tests put a file system of their own in its place.
//
// Paths handed to the seam are native paths made by Child() from a root and
// a relative name with backslashes. On POSIX the backslashes become
// slashes, so a file whose own name holds a backslash cannot be reached
// through its joined path: its queries fail and the pair is reported as
// unreadable, never as alike.
//
// Error codes are Windows error codes on both sides (engine/platform.h).
// One file system may serve one comparison at a time; SystemFileSystem
// keeps no state and serves any number.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qm {

// What a comparison asks of a file: its last-write time in whole seconds
// (of any fixed epoch; only comparisons are made) and its size.
struct FileFacts {
  int64_t writeSeconds = 0;
  uint64_t size = 0;
};

// One item of a folder listing, in the form the system gives it.
struct FoundItem {
  std::string name;  // the bare name, never "." or ".."
  bool isFolder = false;
  bool hidden = false;    // Windows: the attribute; POSIX: a name that begins with "."
  bool readOnly = false;  // Windows: the attribute; POSIX: no write bit for the owner
  // The item's time and size, when the listing had them at hand (facts
  // valid); a comparison then needs no query of its own for the item.
  bool haveFacts = false;
  FileFacts facts;
};


// Sequential reading of one open file.
class FileReader {
public:
  virtual ~FileReader() = default;
  // Reads up to count bytes; *got receives the bytes read (less than count
  // only at the end). Returns 0 or an error code.
  virtual uint32_t Read(char* buffer, size_t count, size_t* got) = 0;
  // The file's size in bytes when it was opened.
  virtual uint64_t Size() const = 0;
  // The open file's time and size, when the opening had them at hand.
  virtual bool Facts(FileFacts* /*facts*/) const { return false; }
};

class FolderFileSystem {
public:
  virtual ~FolderFileSystem() = default;
  // The native path of relative (backslashes between components, may be
  // empty for the root itself) below root.
  virtual std::string Child(const std::string& root, const std::string& relative) const = 0;
  // True when path names an existing folder.
  virtual bool IsExistingFolder(const std::string& path) = 0;
  // Replaces *items with the folder's items in the order the system gives
  // them. Without attributes the caller has no use for hidden and
  // read-only, and a system that would need a query per item for them may
  // leave them false. Returns 0 (an empty folder included) or the error
  // that kept the folder from being listed; *items is then empty.
  virtual uint32_t ListFolder(const std::string& path, bool attributes,
                              std::vector<FoundItem>* items) = 0;
  // ListFolder that also gives each item's facts where the system can have
  // them cheaply with the listing. The default lists without facts.
  virtual uint32_t ListFolderWithFacts(const std::string& path, bool attributes,
                                       std::vector<FoundItem>* items) {
    return ListFolder(path, attributes, items);
  }
  // The time and size of path (a link followed; a link that leads nowhere
  // answers for itself). False when neither can be had.
  virtual bool QueryFile(const std::string& path, FileFacts* facts) = 0;
  // Opens a regular file for reading; null with *error set when it cannot
  // be opened (a device, pipe or folder is refused).
  virtual std::unique_ptr<FileReader> OpenFile(const std::string& path, uint32_t* error) = 0;
  // True when an opened file gives its facts (FileReader::Facts) and a
  // listing without facts is cheaper than one with them: a comparison
  // that opens every file pair then lists without them.
  virtual bool OpenGivesFacts() const { return false; }
  // The target of a shell shortcut, or path as it is. Windows: the calling
  // thread has COM initialised.
  virtual std::string ResolveShortcut(const std::string& path) = 0;
  // True when two threads may call this file system at once; a comparison
  // then lists the two sides and reads pairs of files on two threads.
  virtual bool Concurrent() const { return false; }
  // Called on a helper thread of a comparison before its first and after
  // its last call to this file system (Windows: COM for ResolveShortcut).
  virtual void HelperThreadStarted() {}
  virtual void HelperThreadEnded() {}
};

// The operating system's file system.
class SystemFileSystem : public FolderFileSystem {
public:
  std::string Child(const std::string& root, const std::string& relative) const override;
  bool IsExistingFolder(const std::string& path) override;
  uint32_t ListFolder(const std::string& path, bool attributes,
                      std::vector<FoundItem>* items) override;
  uint32_t ListFolderWithFacts(const std::string& path, bool attributes,
                               std::vector<FoundItem>* items) override;
  bool QueryFile(const std::string& path, FileFacts* facts) override;
  std::unique_ptr<FileReader> OpenFile(const std::string& path, uint32_t* error) override;
  bool OpenGivesFacts() const override;
  std::string ResolveShortcut(const std::string& path) override;
  bool Concurrent() const override { return true; }
  void HelperThreadStarted() override;
  void HelperThreadEnded() override;
};

}  // namespace qm
