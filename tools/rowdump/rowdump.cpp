// rowdump: loads and compares two files as a text window would and prints
// the rows of the comparison, one per line, for tests and benchmarks.
//
//   rowdump [--ignore-case] [--blanks MASK] [--no-changed] [--fragment N]
//           [--match PERCENT] [--summary] [--encodings]
//           [--html OUT [--how 0|1|2] [--numbers 0|1|2] [--white-space] [--tab N]
//            [--no-arrows] [--date TEXT] [--time TEXT]] LEFT RIGHT
//
// Files of any encoding are read as a text window reads them (UTF-16 as
// UTF-8 text), so rows and highlight positions are those of the text.
// Output: "formats L R", with --encodings "encoding left: E (F)" and
// "encoding right: E (F)" for each side's detected encoding and line format
// (E as the status bar names it: ANSI, UTF-8, UTF-8 BOM, UTF-16 LE ...), then per row "<kind> <left> <right>" (1-based real
// line numbers, "-" on a filler; a changed row adds " L=<ranges> R=<ranges>"
// of highlighted byte positions), then "diffs D lines N edits E".
// --html also writes the comparison as an HTML page to OUT with the export
// settings given (defaults as in the settings store: everything, no line
// numbers, tab 4, arrows), naming the files by their full paths; the
// heading's date and time are the current local ones unless --date and
// --time fix them. A failed comparison or export prints its code or message
// on stderr and exits 2.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

#include "common/text_format.h"
#include "engine/compare_state.h"
#include "engine/platform.h"
#include "output/html_export.h"

namespace {

using namespace qm;

constexpr int kExitFailure = 2;

// Everything the command line asks for. Further output steps add their
// options here and their work after the rows are printed (see main).
struct RowdumpOptions {
  CompareSettings settings;
  bool summary = false;
  bool encodings = false;
  std::string left;
  std::string right;
  std::string html;  // the page's path; empty: no page
  HtmlExportSettings page;
  std::optional<std::string> date;
  std::optional<std::string> time;
};

void Usage() {
  std::fputs(
      "usage: rowdump [--ignore-case] [--blanks MASK] [--no-changed] [--fragment N]\n"
      "               [--match PERCENT] [--summary] [--encodings]\n"
      "               [--html OUT [--how 0|1|2] [--numbers 0|1|2] [--white-space] [--tab N]\n"
      "                [--no-arrows] [--date TEXT] [--time TEXT]] LEFT RIGHT\n",
      stderr);
}

bool ParseNumber(const char* text, long long lo, long long hi, long long* value) {
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(text, &end, 0);
  if (errno != 0 || end == text || *end != '\0' || v < lo || v > hi) return false;
  *value = v;
  return true;
}

// One of the page's options at argv[*i]; true when it is one and its value
// (then consumed) is valid.
bool ParseHtmlOption(int argc, char** argv, int* i, RowdumpOptions* out) {
  const std::string arg = argv[*i];
  HtmlExportSettings& page = out->page;
  if (arg == "--white-space") {
    page.ShowWhiteSpace = true;
    return true;
  }
  if (arg == "--no-arrows") {
    page.DrawArrows = false;
    return true;
  }
  if (*i + 1 >= argc) return false;
  const char* value = argv[*i + 1];
  long long v = 0;
  if (arg == "--html" && *value != '\0') {
    out->html = value;
  } else if (arg == "--how" && ParseNumber(value, 0, 2, &v)) {
    page.ExportHow = static_cast<uint32_t>(v);
  } else if (arg == "--numbers" && ParseNumber(value, 0, 2, &v)) {
    page.ShowLineNumbers = static_cast<uint32_t>(v);
  } else if (arg == "--tab" && ParseNumber(value, 1, 16, &v)) {
    page.TabStop = static_cast<uint32_t>(v);
  } else if (arg == "--date") {
    out->date = value;
  } else if (arg == "--time") {
    out->time = value;
  } else {
    return false;
  }
  ++*i;
  return true;
}

// Parses argv into options; false on anything it does not understand.
bool ParseArguments(int argc, char** argv, RowdumpOptions* out) {
  CompareOptions& o = out->settings.options;
  int files = 0;
  for (int i = 1; i < argc; ++i) {
    if (ParseHtmlOption(argc, argv, &i, out)) continue;
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    long long v = 0;
    if (arg == "--ignore-case") {
      o.IgnoreCase = true;
    } else if (arg == "--no-changed") {
      o.CompareChanges = false;
    } else if (arg == "--summary") {
      out->summary = true;
    } else if (arg == "--encodings") {
      out->encodings = true;
    } else if (arg == "--blanks" && hasValue && ParseNumber(argv[++i], 0, 0xFFFFFFFFll, &v)) {
      o.IgnoreBlanks2 = static_cast<uint32_t>(v);
    } else if (arg == "--fragment" && hasValue && ParseNumber(argv[++i], 0, 0xFFFFFFFFll, &v)) {
      o.FragmentSize = static_cast<uint32_t>(v);
    } else if (arg == "--match" && hasValue &&
               ParseNumber(argv[++i], INT32_MIN, INT32_MAX, &v)) {
      o.MatchPercent = static_cast<int32_t>(v);
    } else if (arg.size() > 1 && arg[0] == '-' && arg != "--") {
      return false;
    } else if (files == 0) {
      out->left = arg;
      ++files;
    } else if (files == 1) {
      out->right = arg;
      ++files;
    } else {
      return false;
    }
  }
  return files == 2;
}

std::string ResultMessage(const CompareResult& r) {
  switch (r.code) {
    case CompareCode::OutOfMemory:
      return "The operation could not be performed because your computer\nhas not enough free "
             "memory left.\n\nPlease close as many windows and applications as possible\nand "
             "try again.";
    case CompareCode::Aborted:
      return "Operation aborted.";
    case CompareCode::LeftNameInvalid:
      return "The left file name is invalid.";
    case CompareCode::RightNameInvalid:
      return "The right file name is invalid.";
    case CompareCode::LeftBinary:
      return "The left file is a binary data file. Quillmere can only compare text files.";
    case CompareCode::RightBinary:
      return "The right file is a binary data file. Quillmere can only compare text files.";
    case CompareCode::LeftLoadFailed:
      return "Cannot load left file.\n\nReason: " + SystemErrorText(r.detail);
    case CompareCode::RightLoadFailed:
      return "Cannot load right file.\n\nReason: " + SystemErrorText(r.detail);
    default:
      return "";
  }
}

// Buffered standard output: a million rows are printed without a million
// stdio calls.
class Output {
public:
  ~Output() { Flush(); }
  void Text(const char* s) { buf_ += s; }
  void Char(char c) { buf_ += c; }
  void Number(uint64_t v) {
    char digits[24];
    int n = 0;
    do {
      digits[n++] = static_cast<char>('0' + v % 10);
      v /= 10;
    } while (v);
    while (n) buf_ += digits[--n];
  }
  void EndLine() {
    buf_ += '\n';
    if (buf_.size() >= (1u << 20)) Flush();
  }
  void Flush() {
    std::fwrite(buf_.data(), 1, buf_.size(), stdout);
    buf_.clear();
  }

private:
  std::string buf_;
};

void LineNumber(Output& out, int32_t line) {
  if (line < 0) {
    out.Char('-');
  } else {
    out.Number(static_cast<uint64_t>(line) + 1);
  }
}

// Comma-separated ranges of the positions whose highlight bit is set.
void Ranges(Output& out, const uint8_t* highlight, uint32_t length) {
  if (!highlight) return;
  bool any = false;
  for (uint32_t i = 0; i < length;) {
    if (!(highlight[i] & kHighlightBit)) {
      ++i;
      continue;
    }
    uint32_t j = i;
    while (j + 1 < length && (highlight[j + 1] & kHighlightBit)) ++j;
    if (any) out.Char(',');
    any = true;
    out.Number(i);
    if (j > i) {
      out.Char('-');
      out.Number(j);
    }
    i = j + 1;
  }
}

void PrintRows(Output& out, const CompareState& state) {
  static const char* const kKinds[] = {"same", "left", "right", "changed"};
  const DiffList& list = *state.list;
  for (int32_t r = 0; r < list.RowCount(); ++r) {
    const DiffRow& row = list.Row(r);
    out.Text(kKinds[static_cast<uint32_t>(row.kind) & 3]);
    out.Char(' ');
    LineNumber(out, row.leftLine);
    out.Char(' ');
    LineNumber(out, row.rightLine);
    if (row.kind == RowKind::Changed) {
      out.Text(" L=");
      Ranges(out, row.Highlight(0), list.RowLength(0, r, state.side[0].doc));
      out.Text(" R=");
      Ranges(out, row.Highlight(1), list.RowLength(1, r, state.side[1].doc));
    }
    out.EndLine();
  }
}

void PrintEncodings(Output& out, const CompareState& state) {
  static const char* const kSides[] = {"encoding left: ", "encoding right: "};
  for (int s = 0; s < 2; ++s) {
    out.Text(kSides[s]);
    out.Text(EncodingLabel(static_cast<unsigned>(state.side[s].encoding)));
    out.Text(" (");
    out.Text(LineFormatLabel(static_cast<unsigned>(state.side[s].format)));
    out.Char(')');
    out.EndLine();
  }
}

void PrintTotals(Output& out, const DiffList& list) {
  uint64_t edits = 0;
  for (int32_t r = 0; r < list.RowCount(); ++r) {
    const RowKind k = list.Kind(r);
    edits += k == RowKind::Changed ? 2 : (k == RowKind::Same ? 0 : 1);
  }
  out.Text("diffs ");
  out.Number(static_cast<uint64_t>(list.diffCount));
  out.Text(" lines ");
  out.Number(static_cast<uint64_t>(list.diffLineCount));
  out.Text(" edits ");
  out.Number(edits);
  out.EndLine();
}

// The current local time in strftime's format; empty (the page shows "?")
// when it cannot be had.
std::string LocalTime(const char* format) {
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  char text[64];
  if (local == nullptr || std::strftime(text, sizeof text, format, local) == 0) return "";
  return text;
}

// A full path for the page, so that its file links work wherever it is
// opened; the path as given when it cannot be made.
std::string FullPath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(path, error);
  return error ? path : full.lexically_normal().string();
}

// Writes the page asked for by --html; false (message printed) on failure.
bool WritePage(const RowdumpOptions& options, const CompareState& state) {
  HtmlExportTexts texts;
  texts.date = options.date ? *options.date : LocalTime("%Y-%m-%d");
  texts.time = options.time ? *options.time : LocalTime("%H:%M");
  const uint32_t error =
      ExportHtml(options.html, state, FullPath(options.left), FullPath(options.right),
                 options.page, texts);
  if (error == 0) return true;
  std::fprintf(stderr, "rowdump: Could not export comparison results.\n\nReason: %s\n",
               SystemErrorText(error).c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  RowdumpOptions options;
  if (!ParseArguments(argc, argv, &options)) {
    Usage();
    return kExitFailure;
  }
  CompareState state;
  const CancelFlag cancel{0};
  const CompareResult result =
      LoadAndCompare(state, options.left, options.right, options.settings, &cancel);
  if (result.code != CompareCode::Ok) {
    std::fprintf(stderr, "rowdump: code %u: %s\n", static_cast<unsigned>(result.code),
                 ResultMessage(result).c_str());
    return kExitFailure;
  }
  {
    Output out;
    out.Text("formats ");
    out.Text(LineFormatLabel(static_cast<unsigned>(state.side[0].format)));
    out.Char(' ');
    out.Text(LineFormatLabel(static_cast<unsigned>(state.side[1].format)));
    out.EndLine();
    if (options.encodings) PrintEncodings(out, state);
    if (!options.summary) PrintRows(out, state);
    PrintTotals(out, *state.list);
  }
  // Further outputs of the comparison go here.
  if (!options.html.empty() && !WritePage(options, state)) return kExitFailure;
  return std::fflush(stdout) == 0 ? 0 : kExitFailure;
}
