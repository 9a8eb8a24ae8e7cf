#include "bench/pair_text.h"

#include <cctype>

namespace qm::bench {
namespace {

// splitmix64: small, fast and identical everywhere, unlike the standard
// library's distributions.
class Random {
public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, n); n > 0.
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }
  // Uniform in [lo, hi].
  uint32_t Between(uint32_t lo, uint32_t hi) { return lo + Below(hi - lo + 1); }
  bool Percent(uint32_t p) { return Below(100) < p; }
  template <size_t N>
  const char* Pick(const char* const (&words)[N]) { return words[Below(N)]; }

private:
  uint64_t state_;
};

const char* const kNouns[] = {
    "buffer", "count", "index", "node",   "list",   "table",  "entry", "offset", "length",
    "value",  "key",   "hash",  "result", "state",  "flags",  "name",  "path",   "size",
    "limit",  "cursor", "row",  "line",   "text",   "width",  "height", "item",  "queue",
    "parent", "child", "next",  "prev",   "first",  "last",   "total", "start",  "end",
    "pos",    "ctx",   "config", "options", "error", "status", "mode", "level",  "data",
    "block",  "chunk", "page",  "file",   "stream", "token",  "word",  "byte",   "mask",
    "bits",   "seed",  "step",  "column", "range",  "span",   "slot",  "bucket", "owner"};
const char* const kVerbs[] = {
    "get",   "set",  "find",  "make",  "read",  "write",  "parse",   "load",   "save",
    "init",  "free", "copy",  "move",  "update", "compute", "check", "insert", "remove",
    "append", "scan", "split", "merge", "compare", "emit", "flush",  "reset",  "open",
    "close", "build", "walk", "visit", "sort",  "match",  "lookup",  "resize", "encode"};
const char* const kTypes[] = {"int",     "unsigned", "size_t",      "bool",       "char *",
                              "double",  "uint32_t", "const char *", "struct node *", "long",
                              "int64_t", "void *",   "uint8_t",     "float",      "short"};
const char* const kOps[] = {"+", "-", "*", "/", "%", "&", "|", "^", "<<", ">>"};
const char* const kCmps[] = {"<", ">", "<=", ">=", "==", "!="};
const char* const kCommentWords[] = {
    "the",   "a",      "of",    "when",  "before", "after", "every",  "each",   "keep",
    "skip",  "until",  "past",  "into",  "from",   "with",  "without", "never", "always",
    "first", "last",   "empty", "whole", "rest",   "line",  "caller", "entry",  "buffer",
    "table", "owner",  "order", "space", "room",   "slot",  "edge",   "case",   "run"};

std::string Identifier(Random& rng) {
  std::string id;
  switch (rng.Below(4)) {
  case 0:
    id = rng.Pick(kNouns);
    break;
  case 1:
    id = std::string(rng.Pick(kNouns)) + "_" + rng.Pick(kNouns);
    break;
  case 2:
    id = std::string(rng.Pick(kNouns)) + std::to_string(rng.Below(10));
    break;
  default:
    id = std::string(rng.Pick(kVerbs)) + "_" + rng.Pick(kNouns);
    break;
  }
  return id;
}

std::string Function(Random& rng) {
  return std::string(rng.Pick(kVerbs)) + "_" + rng.Pick(kNouns) +
         (rng.Percent(40) ? std::string("_") + rng.Pick(kNouns) : std::string());
}

// Something that can be assigned to.
std::string Place(Random& rng) {
  switch (rng.Below(5)) {
  case 0:
    return Identifier(rng) + "->" + rng.Pick(kNouns);
  case 1:
    return Identifier(rng) + "[" + Identifier(rng) + "]";
  default:
    return Identifier(rng);
  }
}

std::string Operand(Random& rng) {
  if (rng.Percent(20))
    return std::to_string(rng.Below(rng.Percent(70) ? 10 : 4096));
  return Place(rng);
}

std::string Expression(Random& rng, int depth = 0) {
  uint32_t kind = rng.Below(depth > 0 ? 3 : 5);
  if (kind == 0 || kind == 1)
    return Operand(rng);
  if (kind == 2)
    return Operand(rng) + " " + rng.Pick(kOps) + " " + Operand(rng);
  std::string call = Function(rng) + "(";
  uint32_t args = rng.Below(4);
  for (uint32_t i = 0; i < args; ++i) {
    if (i > 0)
      call += ", ";
    call += Expression(rng, depth + 1);
  }
  return call + ")";
}

std::string Condition(Random& rng) {
  if (rng.Percent(25))
    return (rng.Percent(50) ? "!" : "") + Identifier(rng);
  return Place(rng) + " " + rng.Pick(kCmps) + " " + Operand(rng);
}

std::string Sentence(Random& rng, uint32_t minWords, uint32_t maxWords) {
  std::string text;
  uint32_t words = rng.Between(minWords, maxWords);
  for (uint32_t i = 0; i < words; ++i) {
    if (i > 0)
      text += ' ';
    text += rng.Percent(30) ? rng.Pick(kNouns) : rng.Pick(kCommentWords);
  }
  text[0] = static_cast<char>(text[0] - 'a' + 'A');
  return text + ".";
}

// Produces code-like lines one construct at a time.
class CodeWriter {
public:
  CodeWriter(Random& rng, std::vector<std::string>& out) : rng_(rng), out_(out) {}

  void File(size_t lineCount) {
    Emit(0, "/*");
    Emit(0, " * " + Sentence(rng_, 4, 10));
    Emit(0, " */");
    for (uint32_t i = rng_.Between(2, 6); i > 0; --i) {
      bool system = rng_.Percent(50);
      Emit(0, std::string("#include ") + (system ? "<" : "\"") + rng_.Pick(kNouns) + "_" +
                  rng_.Pick(kNouns) + ".h" + (system ? ">" : "\""));
    }
    Emit(0, "");
    while (out_.size() < lineCount)
      TopLevel();
    out_.resize(lineCount);
  }

  // One statement-sized line, for inserted and replacing text.
  static std::string Line(Random& rng, uint32_t level) {
    std::vector<std::string> one;
    CodeWriter(rng, one).Statement(level, 0);
    return one.front();
  }

private:
  void Emit(uint32_t level, const std::string& text) {
    out_.push_back(text.empty() ? text : std::string(level * 4, ' ') + text);
  }

  void TopLevel() {
    if (rng_.Percent(20)) {
      Emit(0, "/* " + Sentence(rng_, 3, 9) + " */");
    } else if (rng_.Percent(15)) {
      Emit(0, std::string("static ") + rng_.Pick(kTypes) + " " + Identifier(rng_) + " = " +
                  Expression(rng_) + ";");
      Emit(0, "");
      return;
    }
    std::string params;
    for (uint32_t i = rng_.Below(4); i > 0; --i)
      params += std::string(params.empty() ? "" : ", ") + rng_.Pick(kTypes) + " " +
                Identifier(rng_);
    Emit(0, std::string(rng_.Percent(40) ? "static " : "") + rng_.Pick(kTypes) + " " +
                Function(rng_) + "(" + (params.empty() ? "void" : params) + ")");
    Emit(0, "{");
    for (uint32_t i = rng_.Between(2, 7); i > 0; --i)
      Emit(1, std::string(rng_.Pick(kTypes)) + " " + Identifier(rng_) + " = " + Operand(rng_) +
                  ";");
    Emit(0, "");
    Body(1, rng_.Between(3, 14));
    Emit(1, "return " + (rng_.Percent(40) ? std::string("0") : Expression(rng_)) + ";");
    Emit(0, "}");
    Emit(0, "");
  }

  void Body(uint32_t level, uint32_t statements) {
    for (uint32_t i = 0; i < statements; ++i)
      Statement(level, 3);
  }

  void Statement(uint32_t level, uint32_t depthLeft) {
    uint32_t kind = rng_.Below(100);
    if (depthLeft > 0 && kind < 18) {
      const char* head = rng_.Percent(60) ? "if" : "while";
      Emit(level, std::string(head) + " (" + Condition(rng_) + ") {");
      Body(level + 1, rng_.Between(1, 4));
      if (rng_.Percent(25)) {
        Emit(level, "} else {");
        Body(level + 1, rng_.Between(1, 3));
      }
      Emit(level, "}");
    } else if (depthLeft > 0 && kind < 24) {
      std::string i = rng_.Percent(60) ? "i" : Identifier(rng_);
      Emit(level, "for (" + i + " = 0; " + i + " < " + Operand(rng_) + "; " + i + "++) {");
      Body(level + 1, rng_.Between(1, 4));
      if (rng_.Percent(30))
        Emit(level + 1, rng_.Percent(50) ? "break;" : "continue;");
      Emit(level, "}");
    } else if (kind < 34) {
      Emit(level, "// " + Sentence(rng_, 2, 11));
    } else if (kind < 40) {
      // A blank line always separates statements, never fills a block.
      Emit(0, "");
      Statement(level, 0);
    } else if (kind < 52) {
      Emit(level, Function(rng_) + "(" + Expression(rng_) + ");");
    } else {
      std::string lhs = rng_.Percent(80) ? Identifier(rng_) : Place(rng_);
      std::string rhs = Expression(rng_);
      if (lhs.size() + rhs.size() + level * 4 > 84)
        rhs = Operand(rng_);
      Emit(level, lhs + (rng_.Percent(85) ? " = " : " += ") + rhs + ";" +
                      (rng_.Percent(8) ? " /* " + Sentence(rng_, 1, 4) + " */" : ""));
    }
  }

  Random& rng_;
  std::vector<std::string>& out_;
};

// Long lines: table rows and string data of a few hundred to a few thousand
// bytes, as generated sources and data files have.
void LongLines(Random& rng, std::vector<std::string>& out, size_t lineCount) {
  while (out.size() < lineCount) {
    std::string line = rng.Percent(50) ? "    { " : "    \"";
    size_t target = rng.Between(200, 4000);
    while (line.size() < target) {
      if (line[4] == '{')
        line += std::to_string(rng.Below(100000)) + ", ";
      else
        line += std::string(rng.Percent(30) ? rng.Pick(kNouns) : rng.Pick(kCommentWords)) + " ";
    }
    line += line[4] == '{' ? "}," : "\",";
    out.push_back(line);
  }
}

int Indentation(const std::string& line) {
  size_t n = line.find_first_not_of(' ');
  return n == std::string::npos ? 0 : static_cast<int>(n);
}

// A small edit that keeps most of the line, so the engine can pair the old
// and the new line as a changed row.
std::string Modify(Random& rng, const std::string& line) {
  size_t indent = static_cast<size_t>(Indentation(line));
  if (line.size() <= indent + 1)
    return line + (line.empty() ? "    ;" : " /* " + std::string(rng.Pick(kCommentWords)) + " */");
  std::string out = line;
  size_t pos = rng.Between(static_cast<uint32_t>(indent), static_cast<uint32_t>(line.size() - 1));
  switch (rng.Below(4)) {
  case 0:  // rename the word under pos
  {
    size_t a = pos, b = pos;
    while (a > indent && isalnum(static_cast<unsigned char>(out[a - 1])))
      --a;
    while (b < out.size() && isalnum(static_cast<unsigned char>(out[b])))
      ++b;
    out.replace(a, b - a, rng.Pick(kNouns));
    break;
  }
  case 1:  // a typo-sized change
    out[pos] = static_cast<char>('a' + rng.Below(26));
    break;
  case 2:
    out.insert(pos, std::string(rng.Pick(kNouns)) + "_");
    break;
  default:
    out += " // " + std::string(rng.Pick(kCommentWords)) + " " + rng.Pick(kNouns);
    break;
  }
  if (out == line)
    out += " ";
  return out;
}

std::vector<std::string> MakeText(Random& rng, const PairOptions& options) {
  std::vector<std::string> lines;
  lines.reserve(options.lines);
  if (options.longLines)
    LongLines(rng, lines, options.lines);
  else
    CodeWriter(rng, lines).File(options.lines);
  return lines;
}

// Cluster sizes skewed to single lines, with a tail of long runs.
uint32_t ClusterSize(Random& rng) {
  uint32_t r = rng.Below(100);
  if (r < 55)
    return 1;
  if (r < 75)
    return 2;
  if (r < 85)
    return rng.Between(3, 5);
  if (r < 95)
    return rng.Between(6, 12);
  return rng.Between(13, 40);
}

// Copies left to right, applying clusters of changes until about
// changePercent of the lines have been touched (modified, deleted or
// inserted). Clusters are spread uniformly and never overlap.
std::vector<std::string> ApplyChanges(Random& rng, const std::vector<std::string>& left,
                                      double changePercent, bool longLines) {
  size_t target = static_cast<size_t>(static_cast<double>(left.size()) * changePercent / 100.0 + 0.5);
  std::vector<std::string> right;
  right.reserve(left.size() + target);
  auto fresh = [&](size_t near) {
    if (longLines) {
      std::vector<std::string> one;
      LongLines(rng, one, 1);
      return one.front();
    }
    uint32_t level = static_cast<uint32_t>(near < left.size() ? Indentation(left[near]) / 4 : 1);
    return CodeWriter::Line(rng, level);
  };

  size_t touched = 0;
  size_t i = 0;
  while (i < left.size()) {
    size_t remaining = target > touched ? target - touched : 0;
    // Chance that a cluster starts here, so that what is left of the target
    // spreads over the rest of the file (an average cluster touches about 4
    // lines).
    bool start =
        remaining > 0 && rng.Below(static_cast<uint32_t>(left.size() - i)) * 4 < remaining;
    if (!start || i == 0) {
      right.push_back(left[i++]);
      continue;
    }
    uint32_t size = ClusterSize(rng);
    size_t room = left.size() - i - 1;  // keep the last line common
    size_t k = size < room ? size : room;
    uint32_t kind = rng.Below(100);
    if (kind < 50) {
      for (size_t j = 0; j < k; ++j)
        right.push_back(Modify(rng, left[i + j]));
      touched += k;
      i += k;
    } else if (kind < 65) {
      size_t newCount = rng.Between(1, static_cast<uint32_t>(k) + 3);
      for (size_t j = 0; j < newCount; ++j)
        right.push_back(fresh(i));
      touched += k + newCount;
      i += k;
    } else if (kind < 82) {
      for (size_t j = 0; j < size; ++j)
        right.push_back(fresh(i));
      touched += size;
    } else {
      touched += k;
      i += k;
    }
    // At least one common line between clusters.
    if (i < left.size())
      right.push_back(left[i++]);
  }
  return right;
}

}  // namespace

TextPair MakePair(const PairOptions& options) {
  TextPair pair;
  Random rng(options.seed);
  pair.left = MakeText(rng, options);
  if (options.unrelated) {
    Random other(options.seed ^ 0x5DEECE66Dull);
    pair.right = MakeText(other, options);
  } else {
    pair.right = ApplyChanges(rng, pair.left, options.changePercent, options.longLines);
  }
  return pair;
}

std::string JoinLines(const std::vector<std::string>& lines, bool crlf, bool finalLineEnd) {
  size_t size = 0;
  for (const std::string& line : lines)
    size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (size_t i = 0; i < lines.size(); ++i) {
    text += lines[i];
    if (finalLineEnd || i + 1 < lines.size())
      text += crlf ? "\r\n" : "\n";
  }
  return text;
}

}  // namespace qm::bench
