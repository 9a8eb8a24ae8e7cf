#include "folders/contents.h"

#include <cstring>
#include <memory>
#include <new>

#include "engine/compare_state.h"

namespace qm {

namespace {

// Large enough that a big file costs few reads, small enough that a cancel
// is seen within milliseconds on any disk.
constexpr size_t kBlock = 64 * 1024;

bool Cancelled(const CancelFlag* cancel) {
  return cancel && cancel->load(std::memory_order_relaxed) != 0;
}

ContentsOutcome CompareBytes(FolderFileSystem& fs, const std::string& oldPath,
                             const std::string& newPath, ContentsBuffers& buffers,
                             const CancelFlag* cancel) {
  uint32_t error = 0;
  const std::unique_ptr<FileReader> oldFile = fs.OpenFile(oldPath, &error);
  if (!oldFile) return ContentsOutcome::Unreadable;
  const std::unique_ptr<FileReader> newFile = fs.OpenFile(newPath, &error);
  if (!newFile) return ContentsOutcome::Unreadable;
  if (oldFile->Size() != newFile->Size()) return ContentsOutcome::Differ;
  char* const oldBlock = buffers.Get();
  if (!oldBlock) return ContentsOutcome::Unreadable;
  char* const newBlock = oldBlock + kBlock;
  for (;;) {
    if (Cancelled(cancel)) return ContentsOutcome::Alike;
    size_t oldCount = 0;
    size_t newCount = 0;
    if (oldFile->Read(oldBlock, kBlock, &oldCount) != 0 ||
        newFile->Read(newBlock, kBlock, &newCount) != 0) {
      return ContentsOutcome::Unreadable;
    }
    // A file that grew or shrank since it was measured ends at another
    // block than its partner.
    if (oldCount != newCount || std::memcmp(oldBlock, newBlock, oldCount) != 0) {
      return ContentsOutcome::Differ;
    }
    if (oldCount < kBlock) return ContentsOutcome::Alike;
  }
}

}  // namespace

char* ContentsBuffers::Get() {
  if (!blocks_) blocks_.reset(new (std::nothrow) char[2 * kBlock]);
  return blocks_.get();
}

ContentsOutcome QuickContentsDiffer(FolderFileSystem& fs, const std::string& oldPath,
                                    const std::string& newPath, ContentsBuffers& buffers,
                                    const CancelFlag* cancel) {
  return CompareBytes(fs, fs.ResolveShortcut(oldPath), fs.ResolveShortcut(newPath), buffers,
                      cancel);
}

ContentsOutcome FullContentsDiffer(FolderFileSystem& fs, const std::string& oldPath,
                                   const std::string& newPath, const CompareOptions& options,
                                   ContentsBuffers& buffers, const CancelFlag* cancel) {
  const std::string oldFile = fs.ResolveShortcut(oldPath);
  const std::string newFile = fs.ResolveShortcut(newPath);
  // Equal bytes are equal text under any options; most pairs of a tree
  // end here without the engine.
  const ContentsOutcome bytes = CompareBytes(fs, oldFile, newFile, buffers, cancel);
  if (bytes != ContentsOutcome::Differ || Cancelled(cancel)) return bytes;
  CompareSettings settings;
  settings.options = options;
  CompareState state;
  // Whether the texts differ is all that is asked: no search, no rows.
  bool differ = false;
  const CompareResult result =
      LoadAndCheckDifferent(state, oldFile, newFile, settings, cancel, &differ);
  switch (result.code) {
    case CompareCode::Ok:
      return differ ? ContentsOutcome::Differ : ContentsOutcome::Alike;
    case CompareCode::LeftBinary:
    case CompareCode::RightBinary:
      // Binary files are not text: their bytes, already compared, decide.
      return ContentsOutcome::Differ;
    case CompareCode::Aborted:
      return ContentsOutcome::Alike;
    default:
      return ContentsOutcome::Unreadable;
  }
}

}  // namespace qm
