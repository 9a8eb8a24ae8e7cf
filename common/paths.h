// Path arithmetic on Windows paths as plain text: components separated by
// backslashes, a drive ("C:") or a UNC server counting as an ordinary first
// component. Nothing here touches the file system, so the answers are the
// same on every platform and every function is safe from any thread.
//
// Trailing backslashes of a folder are ignored wherever a component is
// looked for: "C:\a\" and "C:\a" name the same folder.
#pragma once

#include <string>

namespace qm {

// folder without its trailing backslashes, exactly one backslash, then name:
// "C:\" and "x" give "C:\x"; "C:" and "*" give "C:\*". An empty folder gives
// "\" followed by name.
std::string JoinPath(const std::string& folder, const std::string& name);

// The folder that holds path: trailing backslashes, then the last component,
// then the backslashes before it are removed. "C:\a\b" gives "C:\a", "C:\a"
// gives "C:"; "C:\", "C:" and a bare name give the empty text.
std::string ParentFolder(const std::string& path);

// The part after the last backslash, trailing backslashes ignored first:
// "C:\a\b.txt" gives "b.txt", "C:\" gives "C:". Empty for an empty path or
// one made of backslashes only.
std::string LastComponent(const std::string& path);

}  // namespace qm
