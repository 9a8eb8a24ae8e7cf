// The two contents criteria of a folder comparison: quick (the bytes) and
// full (the text as the text comparison sees it under the current text
// options). Both read through the folder comparison's file system; the
// full criterion also loads differing files through the text engine,
// which opens the system's files by their paths.
//
// A file that cannot be opened or read makes the pair Unreadable, never
// alike. A cancelled comparison answers Alike: its result is dropped.
#pragma once

#include <memory>
#include <string>

#include "engine/compare_options.h"
#include "engine/diff_engine.h"
#include "folders/file_system.h"

namespace qm {

enum class ContentsOutcome { Alike, Differ, Unreadable };

// The facts of the two files of a pair, old and new, as their opening gave
// them (FileReader::Facts); a side stays without when it was reached
// through a shortcut, whose target is not the item listed.
struct OpenedFacts {
  bool have[2] = {false, false};
  FileFacts facts[2];
};

// The two blocks a byte comparison reads into, allocated on first use and
// kept for the next pair: a run compares thousands of pairs, and a fresh
// allocation of this size is a call to the system each time.
class ContentsBuffers {
public:
  // Null when memory runs out.
  char* Get();

private:
  std::unique_ptr<char[]> blocks_;
};

// Compares the bytes of two files (shortcuts resolved first). Files of
// different sizes differ without being read; otherwise both are streamed
// block by block, with a look at the cancel flag before each block, and
// the first differing block ends the comparison.
ContentsOutcome QuickContentsDiffer(FolderFileSystem& fs, const std::string& oldPath,
                                    const std::string& newPath, ContentsBuffers& buffers,
                                    const CancelFlag* cancel, OpenedFacts* opened = nullptr);

// Compares two files as a text window would, with options: the pair
// differs when the engine finds at least one difference. Byte-equal files
// are alike without loading; a binary file is compared byte for byte. A
// file the engine cannot load (or memory running out) makes the pair
// Unreadable.
ContentsOutcome FullContentsDiffer(FolderFileSystem& fs, const std::string& oldPath,
                                   const std::string& newPath, const CompareOptions& options,
                                   ContentsBuffers& buffers, const CancelFlag* cancel,
                                   OpenedFacts* opened = nullptr);

}  // namespace qm
