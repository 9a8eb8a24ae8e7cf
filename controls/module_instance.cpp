#include "controls/module_instance.h"

// Defined by the linker at the start of every PE image it writes.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace qm {

HINSTANCE ModuleInstance() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

}  // namespace qm
