// WindowPlacement: the saved rectangle of one kind of window (text windows,
// folder windows, print preview) with its valid and maximized flags.
//
// Stored as one string "%lx,%lx,%lx,%lx,%lx": maximized (1 or 0), left, top,
// right, bottom in hexadecimal; negative coordinates appear in 32-bit two's
// complement. A stored value is accepted only when all five numbers parse,
// the rectangle is not empty and it touches the work area of the primary
// monitor; otherwise the placement is invalid with every coordinate
// CW_USEDEFAULT (0x80000000), which asks the system for its default position.
#pragma once

#include <windows.h>

#include <string>

namespace qm {

struct WindowPlacement {
  LONG left = CW_USEDEFAULT;
  LONG top = CW_USEDEFAULT;
  LONG right = CW_USEDEFAULT;
  LONG bottom = CW_USEDEFAULT;
  bool valid = false;
  bool maximized = false;

  // Resets to invalid, not maximized, every coordinate CW_USEDEFAULT.
  void Clear();
  // Parses a stored value against the given work area; false (and cleared)
  // when it is rejected.
  bool Parse(const char* text, const RECT& workArea);
  // The stored form; written even when the placement is invalid.
  std::string Format() const;

  // Reads the value of that name from the Settings key against the primary
  // monitor's work area (SPI_GETWORKAREA); false when absent or rejected.
  bool Load(const char* name);
  void Save(const char* name) const;
};

}  // namespace qm
