#include "common/text_format.h"

namespace qm {

int DecimalDigits(int32_t n) {
  int digits = 0;
  for (; n > 0; n /= 10) ++digits;
  return digits;
}

const char* LineFormatLabel(unsigned format) {
  switch (format) {
    case 0: return "UNIX";
    case 1: return "DOS";
    case 2: return "MAC";
    default: return "???";
  }
}

const char* EncodingLabel(unsigned encoding) {
  switch (encoding) {
    case 0: return "ANSI";
    case 1: return "UTF-8";
    case 2: return "UTF-8 BOM";
    case 3: return "UTF-16 LE";
    case 4: return "UTF-16 BE";
    default: return "???";
  }
}

std::string FormatInserts(const std::string& format, const std::vector<std::string>& args) {
  std::string out;
  for (size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c != '%' || i + 1 >= format.size()) {
      out += c;
      continue;
    }
    const char next = format[i + 1];
    if (next == '%') {
      out += '%';
      ++i;
    } else if (next >= '1' && next <= '9') {
      const size_t index = static_cast<size_t>(next - '1');
      if (index < args.size()) out += args[index];
      i += 1;
      if (i + 1 < format.size() && format[i + 1] == '!') {
        const size_t close = format.find('!', i + 2);
        if (close != std::string::npos) i = close;
      }
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace qm
