// DisplaySettings: what a text window shows its comparison with — colours,
// font, tab stop, white space, line numbers, arrows, caret box, highlights
// and the View toggles it lays itself out by — as one value.
//
// A window takes a snapshot when it is made and draws from that snapshot
// only, never from the live settings. Whoever changes the settings (a View
// toggle, the Options dialog) hands every window the new snapshot together
// with what changed (DisplayChangeBetween): a repaint, a new layout (fonts,
// gutters, bars), or a new comparison (the compare options that made the
// rows). Nothing is ever half applied.
//
// Portable: colours are COLORREF values held as uint32_t.
#pragma once

#include <cstdint>
#include <string>

#include "engine/compare_options.h"

namespace qm {

struct DisplaySettings {
  // Colours (0x00BBGGRR).
  uint32_t TextColor = 0x000000;
  uint32_t ReadOnlyColor = 0x606060;
  uint32_t SameBkColor = 0xFFFFFF;
  uint32_t EmptyBkColor = 0xF4F4F4;
  uint32_t LeftBkColor = 0xC0DCC0;
  uint32_t RightBkColor = 0xF0CAA6;
  uint32_t ChangeBkColor = 0xA6CAF0;
  bool HighlightChanges = true;
  bool DrawArrows = true;
  bool DrawCaretBox = true;
  // Rows one notch of the mouse wheel scrolls (the system's setting;
  // 0xFFFFFFFF: a page).
  uint32_t WheelScrollLines = 3;
  // Layout of the pane.
  std::string FontFace;
  int FontSize = 8;
  int TabStop = 4;
  bool ShowWhiteSpace = false;
  int ShowLineNumbers = 2;
  bool WordWrap = false;
  // Layout of the window.
  bool ViewToolBar = true;
  bool ViewQuickBar = true;
  bool ViewStatusBar = true;
  bool ViewSummary = true;
  // What the rows were made with: a change means comparing again.
  CompareOptions options;
};

// What a change of display settings asks of a window, least first; each
// kind includes the ones before it.
enum class DisplayChange {
  None = 0,
  Repaint = 1,    // colours, arrows, caret box, highlights
  Relayout = 2,   // font, tab stop, white space, line numbers, wrap, bars
  Recompare = 3,  // the compare options
};

DisplayChange DisplayChangeBetween(const DisplaySettings& before, const DisplaySettings& after);

}  // namespace qm
