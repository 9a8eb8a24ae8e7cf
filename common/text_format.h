// Small text rules that the pane, the status bar, the HTML page and the
// command-line tools share: digit counts for number columns, the names of
// the line-ending formats, and message-style inserts. Portable, no state;
// safe from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

// Decimal digits of n; 0 (and anything below) has none, so an empty list
// gets no number column.
int DecimalDigits(int32_t n);

// "UNIX", "DOS", "MAC" for line formats 0, 1, 2 (the LineFormat values),
// "???" for anything else.
const char* LineFormatLabel(unsigned format);

// "ANSI", "UTF-8", "UTF-8 BOM", "UTF-16 LE", "UTF-16 BE" for the
// TextEncoding values 0 to 4, "???" for anything else.
const char* EncodingLabel(unsigned encoding);

// format with message-style inserts replaced: "%1" to "%9" take that
// argument (empty when there are fewer), a "!fmt!" after the number is
// skipped because the arguments come already formatted, "%%" gives "%".
// Anything else, a lone "%" included, is copied as it stands.
std::string FormatInserts(const std::string& format, const std::vector<std::string>& args);

}  // namespace qm
