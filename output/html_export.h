// HTML export: writes one text comparison as an HTML page — a heading with
// the summary, the time stamp and both file names, then a two-column table
// with one table row per display row, each cell coloured like the text pane
// and holding the line number and the escaped text.
//
// Portable: the caller hands in plain copies of the settings and the texts
// the page needs (the window fills them from Settings, its string table and
// the user's locale; rowdump and the tests from their own options), so the
// writer never touches a window, the registry or the clock. The page gets
// CR LF line ends on every platform. Nothing here keeps state between calls.
#pragma once

#include <cstdint>
#include <string>

#include "engine/compare_state.h"

namespace qm {

enum class ExportMode : uint32_t { Everything = 0, Context = 1, DifferencesOnly = 2 };

// The settings a page is drawn with, named after their Settings fields.
// Colours are COLORREF values, 0x00BBGGRR. Out-of-range values are read as
// the Settings store reads them at load: ExportHow 0, ShowLineNumbers 2
// (none), TabStop 4.
struct HtmlExportSettings {
  uint32_t ExportHow = 0;        // ExportMode
  uint32_t ShowLineNumbers = 2;  // 0 virtual (row + 1), 1 real, 2 none
  bool ShowWhiteSpace = false;
  uint32_t TabStop = 4;
  bool DrawArrows = true;
  uint32_t SameBkColor = 0xFFFFFF;
  uint32_t EmptyBkColor = 0xF4F4F4;
  uint32_t LeftBkColor = 0xC0DCC0;
  uint32_t RightBkColor = 0xF0CAA6;
  uint32_t ChangeBkColor = 0xA6CAF0;
};

// The heading's texts. The formats take message-style inserts ("%1",
// "%2!ld!", "%%"); the defaults are the English string-table texts 82, 83
// and 112, which the window replaces with the loaded ones. date and time are
// the local short date and the time without seconds, already formatted by
// the caller; an empty one is written as "?" (it could not be formatted).
struct HtmlExportTexts {
  std::string summaryFormat = "Diffs: %1!ld!, Lines: %2!ld!";
  std::string noDifferences = "No differences";
  std::string stampFormat = "%1, %2";
  std::string date;
  std::string time;
};

// The whole page for the comparison in state (both documents, their line
// formats and the numbered and counted DiffList) with the two side paths.
// Throws std::bad_alloc when memory runs out.
std::string BuildHtmlPage(const CompareState& state, const std::string& leftPath,
                          const std::string& rightPath, const HtmlExportSettings& settings,
                          const HtmlExportTexts& texts);

// Writes that page to outPath through a temporary file beside it, replacing
// outPath only when every byte was written. Returns 0, or an operating-system
// error code for the window's "Could not export comparison results" message
// (kOutOfMemoryError when the page could not be built); on failure outPath
// is left as it was.
uint32_t ExportHtml(const std::string& outPath, const CompareState& state,
                    const std::string& leftPath, const std::string& rightPath,
                    const HtmlExportSettings& settings, const HtmlExportTexts& texts);

// Helpers the page uses, public for their tests.
// Text for an HTML element or a quoted attribute: & < > " as entities.
std::string EscapeHtml(const std::string& text);
// A file URL for a local path (drive, UNC or POSIX), backslashes turned into
// slashes and the bytes that would end or alter a URL percent-encoded; bytes
// from 0x80 up stay as they are, like the page's text, so that the browser
// reads them in the page's encoding. Not yet escaped for an attribute.
std::string FileUrl(const std::string& path);

}  // namespace qm
