// Linked into compare.exe only while the build has no text window library:
// no text window can be made, so the program ends at once after saving its
// settings (the start-up's "no window" path).
#include "app/window_manager.h"

namespace qm {

std::unique_ptr<ComparisonWindow> NewTextWindow() { return nullptr; }

}  // namespace qm
