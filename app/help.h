// Help through the HTML Help control, loaded at run time: the compiled help
// file "manual.chm" in the installation folder ("InstallDir").
//
// Nothing is shown and no message given when the installation folder is
// unknown, the file is missing, or the library or its entry point is
// missing; after the library or entry point was found missing once, later
// requests return at once.
#pragma once

#include <string>

namespace qm {

// Opens the help file at topic ("quicktour.html"), or at its default page
// when topic is null.
void ShowHelp(const char* topic);

// The path handed to HTML Help: installDir without trailing backslashes,
// "\manual.chm", then "::/" and the topic when there is one. Empty when
// installDir is empty.
std::string HelpPath(const std::string& installDir, const char* topic);

}  // namespace qm
