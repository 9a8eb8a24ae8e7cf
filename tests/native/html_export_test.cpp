#include "output/html_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace qm {
namespace {

namespace fs = std::filesystem;

constexpr RowKind S = RowKind::Same;
constexpr RowKind L = RowKind::LeftOnly;
constexpr RowKind R = RowKind::RightOnly;
constexpr RowKind C = RowKind::Changed;

struct RowSpec {
  RowKind kind;
  std::string left;   // the row's bytes on each side; empty on a filler
  std::string right;
};

// Fills state with documents made of the rows' texts and a numbered,
// counted list whose offsets point at them.
void Fill(CompareState& state, const std::vector<RowSpec>& rows,
          LineFormat leftFormat = LineFormat::Unix, LineFormat rightFormat = LineFormat::Dos) {
  state.list = std::make_unique<DiffList>();
  state.side[0].format = leftFormat;
  state.side[1].format = rightFormat;
  for (const RowSpec& row : rows) {
    TextDoc& left = state.side[0].doc;
    TextDoc& right = state.side[1].doc;
    state.list->AppendRow(row.kind, left.Length(), right.Length());
    left.Insert(left.Length(), row.left.data(), static_cast<uint32_t>(row.left.size()));
    right.Insert(right.Length(), row.right.data(), static_cast<uint32_t>(row.right.size()));
  }
  state.list->NumberRows();
  state.list->CountDifferences();
}

// Rows of one kind whose texts are "<prefix><row index>\n".
void AddRows(std::vector<RowSpec>& rows, RowKind kind, int count) {
  for (int i = 0; i < count; ++i) {
    const std::string text = "r" + std::to_string(rows.size()) + "\n";
    rows.push_back({kind, kind == R ? "" : text, kind == L ? "" : text});
  }
}

// Expected pages are written with "\n"; the page has CR LF.
std::string Page(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

HtmlExportTexts Stamp() {
  HtmlExportTexts texts;
  texts.date = "07/12/2026";
  texts.time = "23:45";
  return texts;
}

std::string Export(const CompareState& state, const HtmlExportSettings& settings,
                   const std::string& left = "C:\\left\\a.txt",
                   const std::string& right = "C:\\right\\a.txt") {
  return BuildHtmlPage(state, left, right, settings, Stamp());
}

const char kHeader[] = R"(<HTML>
<HEAD>
<META http-equiv="Content-Type" content="text/html; charset=UTF-8">
<TITLE>C:\left\a.txt, C:\right\a.txt</TITLE>
</HEAD>
<BODY BGCOLOR="#FFFFFF">
<TABLE BORDER="0" CELLSPACING="0" CELLPADDING="0">
)";
const char kFiles[] = R"(<TR><TD WIDTH="50%"><TABLE BORDER="1" WIDTH="100%"><TR><TD ALIGN="center"><A HREF="file:///C:/left/a.txt">C:\left\a.txt</A> (UNIX)</TD></TR></TABLE></TD>
<TD WIDTH="50%"><TABLE BORDER="1" WIDTH="100%"><TR><TD ALIGN="center"><A HREF="file:///C:/right/a.txt">C:\right\a.txt</A> (DOS)</TD></TR></TABLE></TD></TR>

)";
const char kFooter[] = "</TABLE>\n</BODY>\n</HTML>\n";

TEST(HtmlPage, EverythingWithRealLineNumbers) {
  CompareState state;
  Fill(state, {{S, "one\n", "one\n"},
               {C, "two\n", "Two\n"},
               {L, "three\n", ""},
               {R, "", "four\n"},
               {S, "end", "end"}});
  HtmlExportSettings settings;
  settings.ShowLineNumbers = 1;
  const std::string expected = Page(std::string(kHeader) + R"(<TR><TD ALIGN="center" COLSPAN="2"><B>Diffs: 3, Lines: 3</B> (07/12/2026, 23:45)</TD></TR>

)" + kFiles + R"(<TR><TD VALIGN="top" BGCOLOR="#FFFFFF"><CODE>1&nbsp;one&nbsp;</CODE></TD><TD VALIGN="top" BGCOLOR="#FFFFFF"><CODE>1&nbsp;one&nbsp;</CODE></TD></TR>
<TR><TD VALIGN="top" BGCOLOR="#F0CAA6"><CODE>2&nbsp;two&nbsp;</CODE></TD><TD VALIGN="top" BGCOLOR="#F0CAA6"><CODE>2&nbsp;Two&nbsp;</CODE></TD></TR>
<TR><TD VALIGN="top" BGCOLOR="#C0DCC0"><CODE>3&nbsp;three&nbsp;</CODE></TD><TD VALIGN="top" BGCOLOR="#F4F4F4"><CODE>&nbsp;&nbsp;&nbsp;</CODE></TD></TR>
<TR><TD VALIGN="top" BGCOLOR="#F4F4F4"><CODE>&nbsp;&nbsp;&nbsp;</CODE></TD><TD VALIGN="top" BGCOLOR="#A6CAF0"><CODE>3&nbsp;four&nbsp;</CODE></TD></TR>
<TR><TD VALIGN="top" BGCOLOR="#FFFFFF"><CODE>4&nbsp;end</CODE></TD><TD VALIGN="top" BGCOLOR="#FFFFFF"><CODE>4&nbsp;end</CODE></TD></TR>
)" + kFooter);
  EXPECT_EQ(Export(state, settings), expected);
}

// A difference with 8 unchanged rows before it, 7 after and a second one
// near the end: two sections, each with 3 unchanged rows of context, the
// second running to the last row.
TEST(HtmlPage, ContextWithVirtualNumbersWithoutArrows) {
  std::vector<RowSpec> rows;
  AddRows(rows, S, 8);
  rows.push_back({C, "c8\n", "C8\n"});
  AddRows(rows, S, 7);
  AddRows(rows, L, 1);
  AddRows(rows, S, 2);
  CompareState state;
  Fill(state, rows);
  HtmlExportSettings settings;
  settings.ExportHow = 1;
  settings.ShowLineNumbers = 0;
  settings.DrawArrows = false;
  const std::string same = R"(<TD VALIGN="top" BGCOLOR="#FFFFFF"><CODE>)";
  const std::string empty = R"(<TD VALIGN="top" BGCOLOR="#F4F4F4"><CODE>)";
  const std::string expected = Page(std::string(kHeader) + R"(<TR><TD ALIGN="center" COLSPAN="2"><B>Diffs: 2, Lines: 2</B> (07/12/2026, 23:45)</TD></TR>

)" + kFiles + R"(<TR><TD><TABLE BORDER="1" WIDTH="100%"><TR><TD ALIGN="center"><B>Line 6</B></TD></TR></TABLE></TD>
<TD><TABLE BORDER="1" WIDTH="100%"><TR><TD ALIGN="center"><B>Line 6</B></TD></TR></TABLE></TD></TR>
<TR>)" + same + R"(&nbsp;6&nbsp;r5&nbsp;</CODE></TD>)" + same + R"(&nbsp;6&nbsp;r5&nbsp;</CODE></TD></TR>
<TR>)" + same + R"(&nbsp;7&nbsp;r6&nbsp;</CODE></TD>)" + same + R"(&nbsp;7&nbsp;r6&nbsp;</CODE></TD></TR>
<TR>)" + same + R"(&nbsp;8&nbsp;r7&nbsp;</CODE></TD>)" + same + R"(&nbsp;8&nbsp;r7&nbsp;</CODE></TD></TR>
<TR>)" + empty + R"(&nbsp;9&nbsp;c8&nbsp;</CODE></TD>)" + empty + R"(&nbsp;9&nbsp;C8&nbsp;</CODE></TD></TR>
<TR>)" + same + R"(10&nbsp;r9&nbsp;</CODE></TD>)" + same + R"(10&nbsp;r9&nbsp;</CODE></TD></TR>
<TR>)" + same + R"(11&nbsp;r10&nbsp;</CODE></TD>)" + same + R"(11&nbsp;r10&nbsp;</CODE></TD></TR>
<TR>)" + same + R"(12&nbsp;r11&nbsp;</CODE></TD>)" + same + R"(12&nbsp;r11&nbsp;</CODE></TD></TR>
<TR><TD><TABLE BORDER="1" WIDTH="100%"><TR><TD ALIGN="center"><B>Line 14</B></TD></TR></TABLE></TD>
<TD><TABLE BORDER="1" WIDTH="100%"><TR><TD ALIGN="center"><B>Line 14</B></TD></TR></TABLE></TD></TR>
<TR>)" + same + R"(14&nbsp;r13&nbsp;</CODE></TD>)" + same + R"(14&nbsp;r13&nbsp;</CODE></TD></TR>
<TR>)" + same + R"(15&nbsp;r14&nbsp;</CODE></TD>)" + same + R"(15&nbsp;r14&nbsp;</CODE></TD></TR>
<TR>)" + same + R"(16&nbsp;r15&nbsp;</CODE></TD>)" + same + R"(16&nbsp;r15&nbsp;</CODE></TD></TR>
<TR>)" + empty + R"(17&nbsp;r16&nbsp;</CODE></TD>)" + empty + R"(17&nbsp;&nbsp;</CODE></TD></TR>
<TR>)" + same + R"(18&nbsp;r17&nbsp;</CODE></TD>)" + same + R"(18&nbsp;r17&nbsp;</CODE></TD></TR>
<TR>)" + same + R"(19&nbsp;r18&nbsp;</CODE></TD>)" + same + R"(19&nbsp;r18&nbsp;</CODE></TD></TR>
)" + kFooter);
  EXPECT_EQ(Export(state, settings), expected);
}

// Sections starting on a filler get a blank heading on that side.
TEST(HtmlPage, DifferencesOnlyWithWhiteSpaceShown) {
  CompareState state;
  Fill(state, {{S, "a\n", "a\n"},
               {R, "", "ne\tx\n"},
               {S, "b c\n", "b c\n"},
               {L, "old  x\n", ""},
               {S, "d", "d"}});
  HtmlExportSettings settings;
  settings.ExportHow = 2;
  settings.ShowLineNumbers = 1;
  settings.ShowWhiteSpace = true;
  const std::string expected = Page(std::string(kHeader) + R"(<TR><TD ALIGN="center" COLSPAN="2"><B>Diffs: 2, Lines: 2</B> (07/12/2026, 23:45)</TD></TR>

)" + kFiles + R"(<TR><TD><TABLE BORDER="1" WIDTH="100%"><TR><TD>&nbsp;</TD></TR></TABLE></TD>
<TD><TABLE BORDER="1" WIDTH="100%"><TR><TD ALIGN="center"><B>Line 2</B></TD></TR></TABLE></TD></TR>
<TR><TD VALIGN="top" BGCOLOR="#F4F4F4"><CODE>&nbsp;&nbsp;&nbsp;</CODE></TD><TD VALIGN="top" BGCOLOR="#A6CAF0"><CODE>2&nbsp;ne»&nbsp;x¶</CODE></TD></TR>
<TR><TD><TABLE BORDER="1" WIDTH="100%"><TR><TD ALIGN="center"><B>Line 3</B></TD></TR></TABLE></TD>
<TD><TABLE BORDER="1" WIDTH="100%"><TR><TD>&nbsp;</TD></TR></TABLE></TD></TR>
<TR><TD VALIGN="top" BGCOLOR="#C0DCC0"><CODE>3&nbsp;old··x¶</CODE></TD><TD VALIGN="top" BGCOLOR="#F4F4F4"><CODE>&nbsp;&nbsp;&nbsp;</CODE></TD></TR>
)" + kFooter);
  EXPECT_EQ(Export(state, settings), expected);
}

TEST(HtmlPage, NoDifferencesGivesHeadingAndNoRows) {
  CompareState state;
  Fill(state, {{S, "same\n", "same\n"}, {S, "too", "too"}});
  HtmlExportSettings settings;
  settings.ExportHow = 2;
  const std::string expected = Page(std::string(kHeader) + R"(<TR><TD ALIGN="center" COLSPAN="2"><B>No differences</B> (07/12/2026, 23:45)</TD></TR>

)" + kFiles + kFooter);
  EXPECT_EQ(Export(state, settings), expected);
  settings.ExportHow = 1;
  EXPECT_EQ(Export(state, settings), expected);
}

// Only LF ever appears as part of CR LF: the page is the same on every
// platform and looks like a text-mode file written on Windows.
TEST(HtmlPage, EveryLineEndsWithCrLf) {
  CompareState state;
  Fill(state, {{C, "a\r\n", "b\r\r\n"}, {S, "\r", "\r"}});
  const std::string page = Export(state, HtmlExportSettings{});
  for (size_t at = page.find('\n'); at != std::string::npos; at = page.find('\n', at + 1)) {
    ASSERT_GT(at, 0u);
    EXPECT_EQ(page[at - 1], '\r') << "bare LF at " << at;
  }
  EXPECT_EQ(page.find("\r\r"), std::string::npos);
}

// --- Sections --------------------------------------------------------------

// The page reduced to its sections: "[left|right]" for a heading ("-" when
// blank) and the row index for each row (from the virtual numbers).
std::string Outline(const std::string& page) {
  const auto lineOf = [](const std::string& text) {
    const size_t at = text.find("<B>Line ");
    return at == std::string::npos ? std::string("-")
                                   : text.substr(at + 8, text.find('<', at + 8) - at - 8);
  };
  const auto rowOf = [](const std::string& text) {
    size_t at = text.find("<CODE>") + 6;
    while (text.compare(at, 6, "&nbsp;") == 0) at += 6;
    return std::to_string(std::stoi(text.substr(at)) - 1);
  };
  std::vector<std::string> lines;
  for (size_t at = 0, end; (end = page.find("\r\n", at)) != std::string::npos; at = end + 2)
    lines.push_back(page.substr(at, end - at));
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind("<TR><TD><TABLE", 0) == 0 && i + 1 < lines.size()) {
      out += "[" + lineOf(lines[i]) + "|" + lineOf(lines[i + 1]) + "] ";
      ++i;
    } else if (lines[i].rfind("<TR><TD VALIGN", 0) == 0) {
      out += rowOf(lines[i]) + " ";
    }
  }
  return out;
}

struct SectionCase {
  const char* name;
  std::vector<std::pair<RowKind, int>> runs;
  uint32_t how;
  const char* outline;
};

TEST(HtmlSections, ChosenRowsPerMode) {
  const SectionCase cases[] = {
      {"difference at row 0 starts its section at row 0", {{C, 1}, {S, 8}}, 1,
       "[1|1] 0 1 2 3 "},
      {"4 unchanged rows after the last difference: section to the last row",
       {{S, 6}, {L, 2}, {S, 4}}, 1, "[4|4] 3 4 5 6 7 8 9 10 11 "},
      {"6 unchanged rows after the last difference: 3 of them", {{S, 2}, {R, 1}, {S, 6}}, 1,
       "[1|1] 0 1 2 3 4 5 "},
      {"5 unchanged rows between differences: one section",
       {{L, 1}, {S, 5}, {R, 1}, {S, 7}}, 1, "[1|-] 0 1 2 3 4 5 6 7 8 9 "},
      {"6 unchanged rows between differences: two sections",
       {{L, 1}, {S, 6}, {R, 1}, {S, 7}}, 1, "[1|-] 0 1 2 3 [5|4] 4 5 6 7 8 9 10 "},
      {"nothing but unchanged rows", {{S, 20}}, 1, ""},
      {"a filler at a section start blanks its heading", {{S, 7}, {R, 2}, {S, 1}}, 1,
       "[5|5] 4 5 6 7 8 9 "},
      {"differences only: each run its own section, left then right runs apart",
       {{S, 2}, {L, 2}, {R, 1}, {S, 1}, {C, 2}}, 2, "[3|-] 2 3 [-|3] 4 [6|5] 6 7 "},
      {"an unknown mode writes everything", {{S, 1}, {L, 1}}, 7, "0 1 "},
  };
  for (const SectionCase& c : cases) {
    std::vector<RowSpec> rows;
    for (const auto& [kind, count] : c.runs) AddRows(rows, kind, count);
    CompareState state;
    Fill(state, rows);
    HtmlExportSettings settings;
    settings.ExportHow = c.how;
    settings.ShowLineNumbers = 0;
    EXPECT_EQ(Outline(Export(state, settings)), c.outline) << c.name;
  }
}

// --- Cells -----------------------------------------------------------------

// The body of the left cell of a one-row comparison showing text.
std::string LeftCell(const std::string& text, const HtmlExportSettings& settings,
                     TextEncoding encoding = TextEncoding::Legacy) {
  CompareState state;
  Fill(state, {{S, text, text}});
  state.side[0].encoding = encoding;
  const std::string page = Export(state, settings);
  const size_t open = page.find("<CODE>");
  const size_t close = page.find("</CODE>", open);
  if (open == std::string::npos || close == std::string::npos) return "(no cell)";
  return page.substr(open + 6, close - open - 6);
}

struct EscapeCase {
  const char* name;
  std::string text;
  uint32_t tabStop;
  bool showWhiteSpace;
  const char* cell;  // UTF-8 signs for the white-space bytes
};

TEST(HtmlCellText, Escaping) {
  const EscapeCase cases[] = {
      {"tab at column 1 of 4", "a\tb\n", 4, false, "a&nbsp; &nbsp;b&nbsp;"},
      {"tab at column 1 with white space", "a\tb\n", 4, true, "a»&nbsp; b¶"},
      {"tab at a tab stop takes a whole stop", "abcd\tx", 4, false, "abcd&nbsp; &nbsp; x"},
      {"tab of width 1 with white space is the sign alone", "abc\tx", 4, true, "abc»x"},
      {"tab size 1", "\t\tx", 1, false, "&nbsp;&nbsp;x"},
      {"tab size 0 is read as 4", "\tx", 0, false, "&nbsp; &nbsp; x"},
      {"tab size 17 is read as 4", "\tx", 17, false, "&nbsp; &nbsp; x"},
      {"tab size 16", "\tx", 16, false,
       "&nbsp; &nbsp; &nbsp; &nbsp; &nbsp; &nbsp; &nbsp; &nbsp; x"},
      {"single space stays plain", "a b\n", 4, false, "a b&nbsp;"},
      {"two spaces", "a  b", 4, false, "a&nbsp; b"},
      {"three spaces", "a   b", 4, false, "a&nbsp; &nbsp;b"},
      {"four leading spaces", "    x", 4, false, "&nbsp; &nbsp; x"},
      {"runs restart after another byte", "  a  ", 4, false, "&nbsp; a&nbsp; "},
      {"spaces with white space", "a  b c", 4, true, "a··b·c"},
      {"spaces before a tab count columns", "  \tx", 4, false, "&nbsp; &nbsp; x"},
      {"entities", "<a href=\"x\">&amp;</a>", 4, false,
       "&lt;a href=\"x\"&gt;&amp;amp;&lt;/a&gt;"},
      {"control bytes as caret pairs", std::string("\x01\x1b\x1f\0z", 5), 4, false,
       "^A^[^_^@z"},
      {"a control byte is one column", "\x02\tx", 4, false, "^B&nbsp; &nbsp;x"},
      {"CR writes nothing but counts a column", "\r\tx\r\n", 4, false, "&nbsp; &nbsp;x&nbsp;"},
      {"legacy high bytes are their Windows-1252 characters", "\xE9\xFF\x80\x9F\xA0\x7F", 4,
       false, "\xC3\xA9\xC3\xBF\xE2\x82\xAC\xC5\xB8\xC2\xA0\x7F"},
      {"a legacy byte is one column", "\xE9\tx", 4, false, "\xC3\xA9&nbsp; &nbsp;x"},
      {"empty line", "\n", 4, false, "&nbsp;"},
      {"empty line with white space", "\n", 4, true, "¶"},
      {"no bytes at all", "", 4, false, "&nbsp;"},
  };
  for (const EscapeCase& c : cases) {
    HtmlExportSettings settings;
    settings.TabStop = c.tabStop;
    settings.ShowWhiteSpace = c.showWhiteSpace;
    // Page() would turn a "\n" of the expectation into CR LF; cells have none.
    EXPECT_EQ(LeftCell(c.text, settings), Page(c.cell)) << c.name;
  }
}

// A UTF-8 side (also what a UTF-16 file is read as) keeps its characters;
// a tab counts them, not their bytes.
TEST(HtmlCellText, Utf8SideCharacters) {
  const EscapeCase cases[] = {
      {"characters copied", "caf\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80", 4, false,
       "caf\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80"},
      {"a two-byte character is one column", "\xC3\xA9\tx", 4, false,
       "\xC3\xA9&nbsp; &nbsp;x"},
      {"an emoji is one column", "ab\xF0\x9F\x98\x80\tx", 4, true,
       "ab\xF0\x9F\x98\x80\xC2\xBBx"},
      {"a byte that is no UTF-8 is its Windows-1252 character", "\xE9\x80!", 4, false,
       "\xC3\xA9\xE2\x82\xAC!"},
      {"an unpaired surrogate is the replacement character", "\xED\xA0\x80\tx", 4, false,
       "\xEF\xBF\xBD&nbsp; &nbsp;x"},
  };
  for (const EscapeCase& c : cases) {
    HtmlExportSettings settings;
    settings.TabStop = c.tabStop;
    settings.ShowWhiteSpace = c.showWhiteSpace;
    for (TextEncoding e : {TextEncoding::Utf8, TextEncoding::Utf16Be}) {
      EXPECT_EQ(LeftCell(c.text, settings, e), c.cell) << c.name;
    }
  }
}

TEST(HtmlCellText, ChangedRowsIgnoreHighlights) {
  CompareState state;
  state.list = std::make_unique<DiffList>();
  state.side[0].doc.Insert(0, "ab\n", 3);
  state.side[1].doc.Insert(0, "aX\n", 3);
  std::unique_ptr<uint8_t[]> marks(new uint8_t[3]{0, kHighlightBit, 0});
  std::unique_ptr<uint8_t[]> marks2(new uint8_t[3]{0, kHighlightBit, 0});
  state.list->AppendRow(C, 0, 0, std::move(marks), std::move(marks2));
  state.list->NumberRows();
  state.list->CountDifferences();
  const std::string page = Export(state, HtmlExportSettings{});
  EXPECT_NE(page.find("<CODE>ab&nbsp;</CODE>"), std::string::npos);
  EXPECT_NE(page.find("<CODE>aX&nbsp;</CODE>"), std::string::npos);
}

struct NumberCase {
  const char* name;
  int rows;
  uint32_t numbers;
  int row;
  const char* left;   // the left cell's body up to its text
  const char* right;
};

TEST(HtmlCellNumbers, PaddingAndKinds) {
  // Row 1 of each list is LeftOnly, the rest Same.
  const NumberCase cases[] = {
      {"1000 rows pad to 4", 1000, 0, 0, "&nbsp;&nbsp;&nbsp;1&nbsp;", "&nbsp;&nbsp;&nbsp;1&nbsp;"},
      {"1000 rows, last row", 1000, 0, 999, "1000&nbsp;", "1000&nbsp;"},
      {"999 rows pad to 3", 999, 0, 998, "999&nbsp;", "999&nbsp;"},
      {"9 rows pad to 1", 9, 0, 8, "9&nbsp;", "9&nbsp;"},
      {"10 rows pad to 2", 10, 0, 0, "&nbsp;1&nbsp;", "&nbsp;1&nbsp;"},
      {"virtual numbers on a filler", 10, 0, 1, "&nbsp;2&nbsp;", "&nbsp;2&nbsp;"},
      {"real numbers: a filler has none", 10, 1, 1, "&nbsp;2&nbsp;", "&nbsp;&nbsp;&nbsp;"},
      {"real numbers after a filler", 10, 1, 2, "&nbsp;3&nbsp;", "&nbsp;2&nbsp;"},
      {"no numbers", 10, 2, 2, "", ""},
      {"an unknown choice shows none", 10, 5, 2, "", ""},
  };
  for (const NumberCase& c : cases) {
    std::vector<RowSpec> rows;
    for (int i = 0; i < c.rows; ++i) rows.push_back({i == 1 ? L : S, "x\n", i == 1 ? "" : "x\n"});
    CompareState state;
    Fill(state, rows);
    HtmlExportSettings settings;
    settings.ShowLineNumbers = c.numbers;
    const std::string page = Export(state, settings);
    size_t at = page.find("<TR><TD VALIGN");
    for (int i = 0; i < c.row && at != std::string::npos; ++i) at = page.find("<TR><TD VALIGN", at + 1);
    ASSERT_NE(at, std::string::npos) << c.name;
    const std::string line = page.substr(at, page.find("\r\n", at) - at);
    const std::string filler = c.row == 1 ? "&nbsp;" : "x&nbsp;";
    EXPECT_NE(line.find(std::string("<CODE>") + c.left + "x&nbsp;</CODE>"), std::string::npos)
        << c.name << ": " << line;
    EXPECT_NE(line.find(std::string("<CODE>") + c.right + filler + "</CODE>"), std::string::npos)
        << c.name << ": " << line;
  }
}

struct ColourCase {
  RowKind kind;
  bool arrows;
  const char* left;
  const char* right;
};

TEST(HtmlCellColours, PaneBackgroundsAsRgb) {
  HtmlExportSettings settings;
  settings.SameBkColor = 0x00123456;
  settings.EmptyBkColor = 0x01ABCDEF;  // the top byte of a COLORREF is not a colour
  settings.LeftBkColor = 0x000000FF;
  settings.RightBkColor = 0x0000FF00;
  settings.ChangeBkColor = 0x00FF0000;
  const ColourCase cases[] = {
      {S, true, "563412", "563412"},  {S, false, "563412", "563412"},
      {L, true, "FF0000", "EFCDAB"},  {L, false, "EFCDAB", "EFCDAB"},
      {R, true, "EFCDAB", "00FF00"},  {R, false, "EFCDAB", "EFCDAB"},
      {C, true, "0000FF", "0000FF"},  {C, false, "EFCDAB", "EFCDAB"},
  };
  for (const ColourCase& c : cases) {
    CompareState state;
    Fill(state, {{c.kind, c.kind == R ? "" : "x", c.kind == L ? "" : "y"}});
    settings.DrawArrows = c.arrows;
    const std::string page = Export(state, settings);
    const std::string expected = std::string("<TR><TD VALIGN=\"top\" BGCOLOR=\"#") + c.left +
                                 "\"><CODE>";
    const size_t at = page.find("<TR><TD VALIGN");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(page.compare(at, expected.size(), expected), 0)
        << static_cast<int>(c.kind) << c.arrows << ": " << page.substr(at, 100);
    EXPECT_NE(page.find(std::string("</TD><TD VALIGN=\"top\" BGCOLOR=\"#") + c.right + "\">", at),
              std::string::npos)
        << static_cast<int>(c.kind) << c.arrows;
  }
}

// --- Heading -----------------------------------------------------------------

TEST(HtmlHeading, PathsAreEscapedAndLinked) {
  CompareState state;
  Fill(state, {{S, "x", "x"}}, LineFormat::Mac, static_cast<LineFormat>(7));
  const std::string left = "C:\\R&D <x>\\\"q\" #1 %20.txt";
  const std::string right = "\\\\server\\share\\a&b.txt";
  const std::string page = Export(state, HtmlExportSettings{}, left, right);
  EXPECT_NE(page.find("<TITLE>C:\\R&amp;D &lt;x&gt;\\&quot;q&quot; #1 %20.txt, "
                      "\\\\server\\share\\a&amp;b.txt</TITLE>"),
            std::string::npos);
  EXPECT_NE(page.find("<A HREF=\"file:///C:/R&amp;D%20%3Cx%3E/%22q%22%20%231%20%2520.txt\">"
                      "C:\\R&amp;D &lt;x&gt;\\&quot;q&quot; #1 %20.txt</A> (MAC)"),
            std::string::npos);
  EXPECT_NE(page.find("<A HREF=\"file://server/share/a&amp;b.txt\">"
                      "\\\\server\\share\\a&amp;b.txt</A> (?\?\?)"),
            std::string::npos);
  // Nothing of the names may open or close markup of its own.
  EXPECT_EQ(page.find("<x>"), std::string::npos);
  EXPECT_EQ(page.find("\"q\""), std::string::npos);
}

TEST(FileUrl, PathForms) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\dir\\file.txt", "file:///C:/dir/file.txt"},
      {"c:\\a b\\c.txt", "file:///c:/a%20b/c.txt"},
      {"\\\\srv\\share\\f", "file://srv/share/f"},
      {"/tmp/x y.txt", "file:///tmp/x%20y.txt"},
      {"C:\\100%\\#1?{x}|^`.txt", "file:///C:/100%25/%231%3F%7Bx%7D%7C%5E%60.txt"},
      {"C:\\caf\xE9\\[1];'&'.txt", "file:///C:/caf\xE9/[1];'&'.txt"},
      {"C:\\tab\there", "file:///C:/tab%09here"},
  };
  for (const auto& [path, url] : cases) EXPECT_EQ(FileUrl(path), url) << path;
}

TEST(HtmlHeading, SummaryAndStampTexts) {
  CompareState state;
  Fill(state, {{L, "a\n", ""}, {R, "", "b\n"}, {S, "c", "c"}});
  HtmlExportTexts texts;
  texts.summaryFormat = "%2!ld! Zeilen in %1!ld! Abschnitten, 100%%";
  texts.stampFormat = "%2 <%1>";
  texts.date = "";
  texts.time = "9:05 PM";
  const std::string page = BuildHtmlPage(state, "l", "r", HtmlExportSettings{}, texts);
  EXPECT_NE(page.find("<B>2 Zeilen in 2 Abschnitten, 100%</B> (9:05 PM &lt;?&gt;)"),
            std::string::npos)
      << page.substr(0, 400);
  texts.date = "7.12.2026";
  texts.time = "";
  EXPECT_NE(BuildHtmlPage(state, "l", "r", HtmlExportSettings{}, texts)
                .find("(? &lt;7.12.2026&gt;)"),
            std::string::npos);
}

// --- Writing the file ------------------------------------------------------------

class HtmlExportFile : public ::testing::Test {
protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("qm_html_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    Fill(state_, {{S, "a\n", "a\n"}, {C, "b\n", "B\n"}});
  }
  void TearDown() override { fs::remove_all(dir_); }

  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    return names;
  }

  fs::path dir_;
  CompareState state_;
};

TEST_F(HtmlExportFile, WritesThePageByteForByte) {
  const fs::path out = dir_ / "out.html";
  std::ofstream(out, std::ios::binary) << std::string(100000, 'z');  // longer than the page
  const HtmlExportSettings settings;
  ASSERT_EQ(ExportHtml(out.string(), state_, "l", "r", settings, Stamp()), 0u);
  EXPECT_EQ(Read(out), BuildHtmlPage(state_, "l", "r", settings, Stamp()));
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.html"});
}

TEST_F(HtmlExportFile, MissingFolderFailsAndWritesNothing) {
  const fs::path out = dir_ / "no such folder" / "out.html";
  EXPECT_NE(ExportHtml(out.string(), state_, "l", "r", HtmlExportSettings{}, Stamp()), 0u);
  EXPECT_FALSE(fs::exists(out));
  EXPECT_TRUE(Entries().empty());
}

TEST_F(HtmlExportFile, EmptyNameFails) {
  EXPECT_NE(ExportHtml("", state_, "l", "r", HtmlExportSettings{}, Stamp()), 0u);
}

TEST_F(HtmlExportFile, FolderAsTargetFailsAndLeavesNoTemporaryFile) {
  const fs::path out = dir_ / "taken";
  fs::create_directory(out);
  std::ofstream(out / "keep.txt") << "kept";
  EXPECT_NE(ExportHtml(out.string(), state_, "l", "r", HtmlExportSettings{}, Stamp()), 0u);
  EXPECT_EQ(Read(out / "keep.txt"), "kept");
  EXPECT_EQ(Entries(), std::vector<std::string>{"taken"});
}

// --- A comparison made by the engine ---------------------------------------------

TEST_F(HtmlExportFile, PagesOfALoadedComparisonInEachMode) {
  const fs::path left = dir_ / "left.txt";
  const fs::path right = dir_ / "right.txt";
  std::ofstream(left, std::ios::binary) << "alpha\nbeta\ngamma\n";
  std::ofstream(right, std::ios::binary) << "alpha\r\ngamma\r\ndelta\r\n";
  CompareState state;
  const CompareResult result =
      LoadAndCompare(state, left.string(), right.string(), CompareSettings{}, nullptr);
  ASSERT_EQ(result.code, CompareCode::Ok);

  const std::string top = std::string(kHeader) +
                          "<TR><TD ALIGN=\"center\" COLSPAN=\"2\"><B>Diffs: 2, Lines: 2</B> "
                          "(07/12/2026, 23:45)</TD></TR>\n\n" +
                          kFiles;
  const std::string rows[] = {
      R"(<TR><TD VALIGN="top" BGCOLOR="#FFFFFF"><CODE>alpha&nbsp;</CODE></TD><TD VALIGN="top" BGCOLOR="#FFFFFF"><CODE>alpha&nbsp;</CODE></TD></TR>
)",
      R"(<TR><TD VALIGN="top" BGCOLOR="#C0DCC0"><CODE>beta&nbsp;</CODE></TD><TD VALIGN="top" BGCOLOR="#F4F4F4"><CODE>&nbsp;</CODE></TD></TR>
)",
      R"(<TR><TD VALIGN="top" BGCOLOR="#FFFFFF"><CODE>gamma&nbsp;</CODE></TD><TD VALIGN="top" BGCOLOR="#FFFFFF"><CODE>gamma&nbsp;</CODE></TD></TR>
)",
      R"(<TR><TD VALIGN="top" BGCOLOR="#F4F4F4"><CODE>&nbsp;</CODE></TD><TD VALIGN="top" BGCOLOR="#A6CAF0"><CODE>delta&nbsp;</CODE></TD></TR>
)",
      // The empty last line after the final line end is a row of its own.
      R"(<TR><TD VALIGN="top" BGCOLOR="#FFFFFF"><CODE>&nbsp;</CODE></TD><TD VALIGN="top" BGCOLOR="#FFFFFF"><CODE>&nbsp;</CODE></TD></TR>
)"};
  const auto heading = [](const char* leftCell, const char* rightCell) {
    return std::string("<TR><TD><TABLE BORDER=\"1\" WIDTH=\"100%\"><TR>") + leftCell +
           "</TR></TABLE></TD>\n<TD><TABLE BORDER=\"1\" WIDTH=\"100%\"><TR>" + rightCell +
           "</TR></TABLE></TD></TR>\n";
  };
  const char* blank = "<TD>&nbsp;</TD>";
  const std::string all = rows[0] + rows[1] + rows[2] + rows[3] + rows[4];
  const std::string expected[] = {
      top + all + kFooter,
      top +
          heading("<TD ALIGN=\"center\"><B>Line 1</B></TD>",
                  "<TD ALIGN=\"center\"><B>Line 1</B></TD>") +
          all + kFooter,
      top + heading("<TD ALIGN=\"center\"><B>Line 2</B></TD>", blank) + rows[1] +
          heading(blank, "<TD ALIGN=\"center\"><B>Line 3</B></TD>") + rows[3] + kFooter,
  };
  const fs::path out = dir_ / "out.html";
  for (uint32_t how = 0; how < 3; ++how) {
    HtmlExportSettings settings;
    settings.ExportHow = how;
    ASSERT_EQ(ExportHtml(out.string(), state, "C:\\left\\a.txt", "C:\\right\\a.txt", settings,
                         Stamp()),
              0u);
    EXPECT_EQ(Read(out), Page(expected[how])) << "mode " << how;
  }
}

}  // namespace
}  // namespace qm
