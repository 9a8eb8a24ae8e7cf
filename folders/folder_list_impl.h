// The private state of a FolderList, shared by its two source files.
#pragma once

#include <windows.h>

#include "app/comparison_window.h"
#include "app/menu_images.h"
#include "controls/gdi_owner.h"
#include "folders/folder_entry.h"
#include "folders/folder_list.h"

namespace qm {

struct FolderList::Impl {
  WNDPROC original = nullptr;
  DifferenceWords words;
  // The state marks: Opened, CopiedToOld, CopiedToNew, the three deletions.
  GdiObject<HBITMAP> marks[4];
  GdiObject<HBITMAP> masks[4];
  // A right press was turned into a left press; its release follows.
  bool rightAsLeft = false;
  // Bumped whenever the rows are rebuilt. A command run over several rows
  // stops when it changes under it: an opener or a shell window may let the
  // folder window refresh, and the row numbers then name other entries.
  unsigned generation = 0;
};

}  // namespace qm
