// An in-memory file system for the folder comparison tests: trees of
// folders and files whose listing order, times, sizes, attributes and
// contents are set by the test, and whose folders can refuse to be listed
// and files to be opened.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "folders/file_system.h"

namespace qm::test {

struct FakeNode {
  std::string name;
  bool isFolder = false;
  bool hidden = false;
  bool readOnly = false;
  bool unreadable = false;  // a folder cannot be listed, a file cannot be opened
  int64_t time = 0;
  uint64_t size = 0;  // a file's reported size; its contents need not be that long
  std::string contents;
  std::vector<FakeNode> children;  // in listing order

  FakeNode* Find(const std::string& child) {
    for (FakeNode& c : children) {
      if (c.name == child) return &c;
    }
    return nullptr;
  }
  const FakeNode* Find(const std::string& child) const {
    return const_cast<FakeNode*>(this)->Find(child);
  }
  FakeNode& AddFile(const std::string& n, const std::string& text, int64_t t = 100) {
    FakeNode f;
    f.name = n;
    f.contents = text;
    f.size = text.size();
    f.time = t;
    children.push_back(f);
    return children.back();
  }
  FakeNode& AddFolder(const std::string& n) {
    FakeNode f;
    f.name = n;
    f.isFolder = true;
    children.push_back(f);
    return children.back();
  }
};

class FakeFileSystem : public FolderFileSystem {
public:
  // Roots are named by a single component ("old", "new").
  std::map<std::string, FakeNode> roots;
  std::atomic<int> listings{0};
  // Lets a comparison list and read on several threads: the tree must
  // not change meanwhile, and onList must be safe to call from any.
  bool concurrent = false;
  // Opened files give their time and size, as a POSIX open does.
  bool openGivesFacts = false;
  // Called before each listing with the number of listings so far.
  std::function<void(int)> onList;

  std::string Child(const std::string& root, const std::string& relative) const override {
    return relative.empty() ? root : root + "\\" + relative;
  }
  bool IsExistingFolder(const std::string& path) override {
    const FakeNode* n = Lookup(path);
    return n && n->isFolder;
  }
  uint32_t ListFolder(const std::string& path, bool /*attributes*/,
                      std::vector<FoundItem>* items) override {
    items->clear();
    const int before = listings++;
    if (onList) onList(before);
    const FakeNode* n = Lookup(path);
    if (!n || !n->isFolder) return 3;  // ERROR_PATH_NOT_FOUND
    if (n->unreadable) return 5;       // ERROR_ACCESS_DENIED
    for (const FakeNode& c : n->children) {
      FoundItem item;
      item.name = c.name;
      item.isFolder = c.isFolder;
      item.hidden = c.hidden;
      item.readOnly = c.readOnly;
      items->push_back(item);
    }
    return 0;
  }
  bool QueryFile(const std::string& path, FileFacts* facts) override {
    const FakeNode* n = Lookup(path);
    if (!n) return false;
    facts->writeSeconds = n->time;
    facts->size = n->isFolder ? 0 : n->size;
    return true;
  }
  std::unique_ptr<FileReader> OpenFile(const std::string& path, uint32_t* error) override {
    const FakeNode* n = Lookup(path);
    if (!n || n->isFolder || n->unreadable) {
      *error = 5;
      return nullptr;
    }
    return std::make_unique<Reader>(n->contents, n->size, openGivesFacts ? n->time : -1);
  }
  std::string ResolveShortcut(const std::string& path) override { return path; }
  bool Concurrent() const override { return concurrent; }
  bool OpenGivesFacts() const override { return openGivesFacts; }

private:
  class Reader : public FileReader {
  public:
    // time -1: the reader has no facts to give.
    Reader(std::string text, uint64_t size, int64_t time)
        : text_(std::move(text)), size_(size), time_(time) {}
    uint32_t Read(char* buffer, size_t count, size_t* got) override {
      *got = std::min(count, text_.size() - at_);
      std::memcpy(buffer, text_.data() + at_, *got);
      at_ += *got;
      return 0;
    }
    uint64_t Size() const override { return size_; }
    bool Facts(FileFacts* facts) const override {
      if (time_ < 0) return false;
      facts->writeSeconds = time_;
      facts->size = size_;
      return true;
    }

  private:
    std::string text_;
    uint64_t size_;
    int64_t time_;
    size_t at_ = 0;
  };

  FakeNode* Lookup(const std::string& path) {
    size_t start = path.find('\\');
    const auto root = roots.find(path.substr(0, start));
    if (root == roots.end()) return nullptr;
    FakeNode* n = &root->second;
    while (n && start != std::string::npos) {
      const size_t end = path.find('\\', start + 1);
      n = n->Find(path.substr(start + 1, end == std::string::npos ? end : end - start - 1));
      start = end;
    }
    return n;
  }
};

}  // namespace qm::test
