// The include and exclude filters of a folder comparison: a filter text is
// a list of wildcard patterns separated by ";", and an entry matches when
// the last component of its name matches one of them.
//
// Patterns are matched character by character on UTF-8 text ("?" takes one
// character, a byte that is no UTF-8 counting as one); "*" takes any run,
// the empty one included. Portable, no state; safe from any thread.
#pragma once

#include <string>
#include <vector>

#include "folders/folder_entry.h"

namespace qm {

using FilterPatterns = std::vector<std::string>;

// Splits text at every ";", trims white space (space, tab, LF, VT, FF, CR)
// from both ends of each piece and keeps the non-empty pieces in order:
// "*.cpp; *.h ;;" gives "*.cpp" and "*.h".
FilterPatterns ParseFilterPatterns(const std::string& text);

// True when the whole name matches the whole pattern. A pattern of three
// or more characters that ends in "*.*" is read without its last two, so
// "*.*" also matches a name without a dot. Without caseSensitive,
// characters are compared after folding both to one case (FoldChar).
bool MatchWildcard(const std::string& pattern, const std::string& name, bool caseSensitive);

// Keeps the entries whose last name component matches a pattern (include)
// or removes them (exclude); the order of the rest is kept. An empty
// pattern list with include removes everything, with exclude nothing.
void ApplyFilter(std::vector<FolderEntry>& entries, const FilterPatterns& patterns, bool include,
                 bool caseSensitive);

}  // namespace qm
