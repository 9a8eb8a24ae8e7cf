// rowdump: loads and compares two files as a text window would and prints
// the rows of the comparison, one per line, for tests and benchmarks.
//
//   rowdump [--ignore-case] [--blanks MASK] [--no-changed] [--fragment N]
//           [--match PERCENT] [--summary] LEFT RIGHT
//
// Output: "formats L R", then per row "<kind> <left> <right>" (1-based real
// line numbers, "-" on a filler; a changed row adds " L=<ranges> R=<ranges>"
// of highlighted byte positions), then "diffs D lines N edits E".
// A failed comparison prints its code and message on stderr and exits 2.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/compare_state.h"
#include "engine/platform.h"

namespace {

using namespace qm;

constexpr int kExitFailure = 2;

// Everything the command line asks for. Further output steps add their
// options here and their work after the rows are printed (see main).
struct RowdumpOptions {
  CompareSettings settings;
  bool summary = false;
  std::string left;
  std::string right;
};

void Usage() {
  std::fputs(
      "usage: rowdump [--ignore-case] [--blanks MASK] [--no-changed] [--fragment N]\n"
      "               [--match PERCENT] [--summary] LEFT RIGHT\n",
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

// Parses argv into options; false on anything it does not understand.
bool ParseArguments(int argc, char** argv, RowdumpOptions* out) {
  CompareOptions& o = out->settings.options;
  int files = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    long long v = 0;
    if (arg == "--ignore-case") {
      o.IgnoreCase = true;
    } else if (arg == "--no-changed") {
      o.CompareChanges = false;
    } else if (arg == "--summary") {
      out->summary = true;
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

const char* FormatName(LineFormat f) {
  switch (f) {
    case LineFormat::Unix:
      return "UNIX";
    case LineFormat::Mac:
      return "MAC";
    default:
      return "DOS";
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
      Ranges(out, row.leftHighlight.get(), list.RowLength(0, r, state.side[0].doc));
      out.Text(" R=");
      Ranges(out, row.rightHighlight.get(), list.RowLength(1, r, state.side[1].doc));
    }
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
    out.Text(FormatName(state.side[0].format));
    out.Char(' ');
    out.Text(FormatName(state.side[1].format));
    out.EndLine();
    if (!options.summary) PrintRows(out, state);
    PrintTotals(out, *state.list);
  }
  // Further outputs of the comparison (an HTML page, ...) go here.
  return std::fflush(stdout) == 0 ? 0 : kExitFailure;
}
