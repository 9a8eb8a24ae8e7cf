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

// The two files to compare: paths as listed and as resolved.
struct FilePair {
  std::string listed[2];
  std::string resolved[2];
  FilePair(FolderFileSystem& fs, const std::string& oldPath, const std::string& newPath)
      : listed{oldPath, newPath},
        resolved{fs.ResolveShortcut(oldPath), fs.ResolveShortcut(newPath)} {}
};

ContentsOutcome CompareBytes(FolderFileSystem& fs, const FilePair& pair, ContentsBuffers& buffers,
                             const CancelFlag* cancel, OpenedFacts* opened) {
  std::unique_ptr<FileReader> files[2];
  for (int side = 0; side < 2; ++side) {
    uint32_t error = 0;
    files[side] = fs.OpenFile(pair.resolved[side], &error);
    if (!files[side]) return ContentsOutcome::Unreadable;
    if (opened && pair.resolved[side] == pair.listed[side]) {
      opened->have[side] = files[side]->Facts(&opened->facts[side]);
    }
  }
  FileReader* const oldFile = files[0].get();
  FileReader* const newFile = files[1].get();
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
                                    const CancelFlag* cancel, OpenedFacts* opened) {
  return CompareBytes(fs, FilePair(fs, oldPath, newPath), buffers, cancel, opened);
}

ContentsOutcome FullContentsDiffer(FolderFileSystem& fs, const std::string& oldPath,
                                   const std::string& newPath, const CompareOptions& options,
                                   ContentsBuffers& buffers, const CancelFlag* cancel,
                                   OpenedFacts* opened) {
  const FilePair pair(fs, oldPath, newPath);
  const std::string& oldFile = pair.resolved[0];
  const std::string& newFile = pair.resolved[1];
  // Equal bytes are equal text under any options; most pairs of a tree
  // end here without the engine.
  const ContentsOutcome bytes = CompareBytes(fs, pair, buffers, cancel, opened);
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
