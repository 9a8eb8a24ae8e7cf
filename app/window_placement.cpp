#include "app/window_placement.h"

#include <cstdio>

#include "app/registry.h"

namespace qm {

void WindowPlacement::Clear() {
  left = top = right = bottom = CW_USEDEFAULT;
  valid = false;
  maximized = false;
}

bool WindowPlacement::Parse(const char* text, const RECT& workArea) {
  Clear();
  // long is 32 bits on every Windows target, so "%lx" reads the two's
  // complement form of a negative coordinate back into the same value.
  unsigned long fields[5];
  if (std::sscanf(text, "%lx,%lx,%lx,%lx,%lx", &fields[0], &fields[1], &fields[2], &fields[3],
                  &fields[4]) != 5) {
    return false;
  }
  const LONG l = static_cast<LONG>(fields[1]);
  const LONG t = static_cast<LONG>(fields[2]);
  const LONG r = static_cast<LONG>(fields[3]);
  const LONG b = static_cast<LONG>(fields[4]);
  if (l >= r || t >= b) return false;
  if (l > workArea.right || t > workArea.bottom || r < workArea.left || b < workArea.top) {
    return false;
  }
  left = l;
  top = t;
  right = r;
  bottom = b;
  valid = true;
  maximized = fields[0] == 1;
  return true;
}

std::string WindowPlacement::Format() const {
  char text[64];
  std::snprintf(text, sizeof text, "%lx,%lx,%lx,%lx,%lx", maximized ? 1ul : 0ul,
                static_cast<unsigned long>(left), static_cast<unsigned long>(top),
                static_cast<unsigned long>(right), static_cast<unsigned long>(bottom));
  return text;
}

bool WindowPlacement::Load(const char* name) {
  Clear();
  std::optional<std::string> text = ReadSettingString(name);
  if (!text) return false;
  RECT work;
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
    work.left = work.top = 0;
    work.right = GetSystemMetrics(SM_CXSCREEN);
    work.bottom = GetSystemMetrics(SM_CYSCREEN);
  }
  return Parse(text->c_str(), work);
}

void WindowPlacement::Save(const char* name) const { WriteSettingString(name, Format()); }

}  // namespace qm
