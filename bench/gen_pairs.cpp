// gen_pairs: writes a deterministic pair of code-like text files for the
// comparison benchmarks and their cross-check test (see pair_text.h).
//
// Exit codes: 0 written, 1 a file could not be written, 2 bad arguments.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
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
      "  --right-no-final-lf  the right file's last line has no line end\n"
      "  --shape SHAPE        instead of a pair with clustered changes:\n"
      "      every-other      every other line of the right file changed\n"
      "      reversed         the right file is the left one upside down\n"
      "      swap-case        every letter of the right file in the other case\n"
      "      ten-lines        both files drawn at random from 10 distinct lines\n"
      "      one-line         one line of N bytes (--lines) with --change percent of\n"
      "                       its bytes replaced (--unrelated: an independent line)\n",
      stderr);
}

// The pairs of the shapes that clustered changes do not give. The lines
// come from the code generator; the shapes only rearrange or alter them.
bool Shape(const std::string& shape, const qm::bench::PairOptions& options,
           qm::bench::TextPair* pair) {
  std::mt19937_64 rng(options.seed);
  if (shape == "one-line") {
    std::string lines[2];
    for (std::string& line : lines) {
      line.resize(options.lines);
      for (char& c : line) c = static_cast<char>(' ' + rng() % 95);
    }
    if (!options.unrelated) {
      lines[1] = lines[0];
      const auto changes = static_cast<size_t>(options.lines * options.changePercent / 100);
      for (size_t k = 0; k < changes; ++k) {
        char& c = lines[1][rng() % lines[1].size()];
        c = static_cast<char>(' ' + (c - ' ' + 1 + rng() % 94) % 95);
      }
    }
    pair->left = {lines[0]};
    pair->right = {lines[1]};
    return true;
  }
  qm::bench::PairOptions same = options;
  same.changePercent = 0;
  same.unrelated = false;
  *pair = qm::bench::MakePair(same);
  std::vector<std::string>& right = pair->right;
  if (shape == "every-other") {
    for (size_t i = 1; i < right.size(); i += 2) right[i] += " /* changed */";
  } else if (shape == "reversed") {
    std::reverse(right.begin(), right.end());
  } else if (shape == "swap-case") {
    for (std::string& line : right) {
      for (char& c : line) {
        if (std::isalpha(static_cast<unsigned char>(c))) c = static_cast<char>(c ^ 0x20);
      }
    }
  } else if (shape == "ten-lines") {
    const std::vector<std::string> pool(pair->left.begin(), pair->left.begin() + 10);
    for (auto* side : {&pair->left, &pair->right}) {
      for (std::string& line : *side) line = pool[rng() % pool.size()];
    }
  } else {
    return false;
  }
  return true;
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
  std::string shape;
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
    } else if (arg == "--shape" && i + 1 < argc) {
      shape = argv[++i];
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

  qm::bench::TextPair pair;
  if (shape.empty()) {
    pair = qm::bench::MakePair(options);
  } else if (!Shape(shape, options, &pair)) {
    std::fprintf(stderr, "gen_pairs: unknown shape %s\n", shape.c_str());
    return 2;
  }
  if (shape == "one-line") {
    // A single line: no line end on either side.
    return WriteText(paths[0], pair.left[0]) && WriteText(paths[1], pair.right[0]) ? 0 : 1;
  }
  if (!WriteText(paths[0], qm::bench::JoinLines(pair.left, crlf, true)) ||
      !WriteText(paths[1], qm::bench::JoinLines(pair.right, crlf, rightFinalLineEnd)))
    return 1;
  return 0;
}
