// The "Tip of the day" dialog (25000) over the "TIPS" resource (25002):
// one tip per CR LF line; within a tip "\n" stands for a line break and any
// other backslash is dropped, keeping the character after it; a tab ends
// the shown part of a line. Registry values "TipOfTheDay.ShowOnStartup"
// (default true) and "TipOfTheDay.TipIndex" (the next tip, default 0) are
// written as soon as they change.
//
// The dialog is modal without an owner, so the comparison windows stay
// usable; asking for it while it is open brings it to the front instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qm {

// Reads the tips text in place and walks it as the dialog does.
class TipCursor {
public:
  // index: the stored TipIndex. Skips that many line feeds; running past the
  // end starts at the first tip with index 0.
  TipCursor(std::string text, uint32_t index);

  bool empty() const { return text_.empty(); }
  // The next tip with its escapes converted; index() then names the tip
  // after it (0 after the last tip: the next one is the first again).
  std::string Next();
  uint32_t index() const { return index_; }

private:
  std::string text_;
  size_t pos_ = 0;
  uint32_t index_ = 0;
};

// Converts the escapes of one tip.
std::string UnescapeTip(const std::string& raw);

// Shows the dialog if "TipOfTheDay.ShowOnStartup" is on (start-up).
void ShowTipsAtStartup();
// Shows the dialog (Help menu), or brings an open one to the front.
void ShowTips();

}  // namespace qm
