#include "folders/folder_filter.h"

#include <algorithm>
#include <cstring>

#include "common/paths.h"
#include "common/utf8.h"

namespace qm {

namespace {

bool IsTrimmed(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// One character of a pattern or name: its code (the byte for one that is
// no UTF-8) and whether it is a plain byte.
struct Unit {
  uint32_t code;
  bool scalar;
};

std::vector<Unit> Units(const std::string& text) {
  std::vector<Unit> units;
  units.reserve(text.size());
  const char* p = text.data();
  size_t left = text.size();
  while (left > 0) {
    const TextChar ch = NextChar(p, left);
    if (ch.kind == CharKind::Scalar) {
      units.push_back({ch.code, true});
    } else {
      // A surrogate's form or a stray byte: each byte stands for itself.
      for (uint32_t i = 0; i < ch.length; ++i) {
        units.push_back({static_cast<unsigned char>(p[i]), false});
      }
    }
    p += ch.length;
    left -= ch.length;
  }
  return units;
}

bool SameUnit(const Unit& a, const Unit& b, bool caseSensitive) {
  if (a.scalar != b.scalar) return false;
  if (caseSensitive || !a.scalar) return a.code == b.code;
  return FoldChar(a.code) == FoldChar(b.code);
}

}  // namespace

FilterPatterns ParseFilterPatterns(const std::string& text) {
  FilterPatterns patterns;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    size_t first = start;
    size_t last = end;
    while (first < last && IsTrimmed(text[first])) ++first;
    while (last > first && IsTrimmed(text[last - 1])) --last;
    if (last > first) patterns.push_back(text.substr(first, last - first));
    start = end + 1;
  }
  return patterns;
}

bool MatchWildcard(const std::string& pattern, const std::string& name, bool caseSensitive) {
  std::string p = pattern;
  if (p.size() >= 3 && p.compare(p.size() - 3, 3, "*.*") == 0) p.resize(p.size() - 2);
  const std::vector<Unit> pat = Units(p);
  const std::vector<Unit> str = Units(name);
  const auto isStar = [&](size_t i) { return pat[i].scalar && pat[i].code == '*'; };
  const auto isAny = [&](size_t i) { return pat[i].scalar && pat[i].code == '?'; };
  size_t pi = 0;
  size_t si = 0;
  // The most recent "*" and the name position its run ends at; only that
  // one is retried, which suffices when "*" and "?" are the only wildcards.
  size_t starP = SIZE_MAX;
  size_t starS = 0;
  while (si < str.size()) {
    if (pi < pat.size() && isStar(pi)) {
      starP = pi++;
      starS = si;
    } else if (pi < pat.size() && (isAny(pi) || SameUnit(pat[pi], str[si], caseSensitive))) {
      ++pi;
      ++si;
    } else if (starP != SIZE_MAX) {
      pi = starP + 1;
      si = ++starS;
    } else {
      return false;
    }
  }
  while (pi < pat.size() && isStar(pi)) ++pi;
  return pi == pat.size();
}

void ApplyFilter(std::vector<FolderEntry>& entries, const FilterPatterns& patterns, bool include,
                 bool caseSensitive) {
  const auto matches = [&](const FolderEntry& e) {
    const std::string last = LastComponent(e.name);
    return std::any_of(patterns.begin(), patterns.end(), [&](const std::string& pattern) {
      return MatchWildcard(pattern, last, caseSensitive);
    });
  };
  entries.erase(std::remove_if(entries.begin(), entries.end(),
                               [&](const FolderEntry& e) { return matches(e) != include; }),
                entries.end());
}

}  // namespace qm
