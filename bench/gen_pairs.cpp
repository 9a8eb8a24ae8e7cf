// gen_pairs: writes a deterministic pair of code-like text files for the
// comparison benchmarks and their cross-check test (see pair_text.h).
//
// Exit codes: 0 written, 1 a file could not be written, 2 bad arguments.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/pair_text.h"

namespace {

bool WriteText(const char* path, const std::string& text) {
  FILE* f = std::fopen(path, "wb");
  if (!f) {
    std::fprintf(stderr, "gen_pairs: cannot create %s: %s\n", path, std::strerror(errno));
    return false;
  }
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  if (std::fclose(f) != 0)
    ok = false;
  if (!ok) {
    std::fprintf(stderr, "gen_pairs: cannot write %s\n", path);
    std::remove(path);
  }
  return ok;
}

void Usage() {
  std::fputs(
      "usage: gen_pairs [--lines N] [--change PERCENT] [--seed N] [--long-lines]\n"
      "                 [--unrelated] [--crlf] [--right-no-final-lf] LEFT RIGHT\n"
      "  --lines N            lines of the left file (default 10000)\n"
      "  --change PERCENT     share of lines modified, inserted or deleted (default 1)\n"
      "  --seed N             generator seed (default 1)\n"
      "  --long-lines         lines of 200 to 4000 bytes instead of code\n"
      "  --unrelated          the right file is independent text of the same kind\n"
      "  --crlf               both files end their lines with CR LF\n"
      "  --right-no-final-lf  the right file's last line has no line end\n",
      stderr);
}

bool ParseNumber(const char* text, double* out) {
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(text, &end);
  if (errno != 0 || end == text || *end != '\0' || v < 0)
    return false;
  *out = v;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  qm::bench::PairOptions options;
  bool crlf = false;
  bool rightFinalLineEnd = true;
  std::vector<const char*> paths;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    double value = 0;
    bool takesValue = arg == "--lines" || arg == "--change" || arg == "--seed";
    if (takesValue && (i + 1 >= argc || !ParseNumber(argv[i + 1], &value))) {
      std::fprintf(stderr, "gen_pairs: %s needs a non-negative number\n", arg.c_str());
      return 2;
    }
    if (arg == "--lines") {
      options.lines = static_cast<size_t>(value);
      ++i;
    } else if (arg == "--change") {
      options.changePercent = value;
      ++i;
    } else if (arg == "--seed") {
      options.seed = static_cast<uint64_t>(value);
      ++i;
    } else if (arg == "--long-lines") {
      options.longLines = true;
    } else if (arg == "--unrelated") {
      options.unrelated = true;
    } else if (arg == "--crlf") {
      crlf = true;
    } else if (arg == "--right-no-final-lf") {
      rightFinalLineEnd = false;
    } else if (arg.size() > 1 && arg[0] == '-') {
      std::fprintf(stderr, "gen_pairs: unknown option %s\n", arg.c_str());
      Usage();
      return 2;
    } else {
      paths.push_back(argv[i]);
    }
  }
  if (paths.size() != 2 || options.lines < 2 || options.lines > 50000000 ||
      options.changePercent > 100) {
    Usage();
    return 2;
  }

  qm::bench::TextPair pair = qm::bench::MakePair(options);
  if (!WriteText(paths[0], qm::bench::JoinLines(pair.left, crlf, true)) ||
      !WriteText(paths[1], qm::bench::JoinLines(pair.right, crlf, rightFinalLineEnd)))
    return 1;
  return 0;
}
