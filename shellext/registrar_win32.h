// Runs the DLL's registration script (resource "REGISTRY" 100) against the
// real registry, with %MODULE% standing for the DLL's full path.
#pragma once

#include <windows.h>

namespace qm::shellext {

// S_OK, or an HRESULT from the failing registry call (E_FAIL when the
// script itself is missing or malformed).
HRESULT RunRegistrationScript(bool registering);

}  // namespace qm::shellext
