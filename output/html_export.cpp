#include "output/html_export.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#include "common/text_format.h"
#include "common/utf8.h"
#include "engine/encoding.h"
#include "engine/platform.h"
#include "engine/text_file.h"

namespace qm {
namespace {

// What a text-mode stream on Windows writes for "\n"; written ourselves so
// the page is the same byte for byte on every platform.
constexpr char kNewLine[] = "\r\n";
constexpr char kNbsp[] = "&nbsp;";
// The white-space view's signs, in the page's UTF-8: », · and ¶.
constexpr char kTabSign[] = "\xC2\xBB";
constexpr char kSpaceSign[] = "\xC2\xB7";
constexpr char kLineEndSign[] = "\xC2\xB6";

// Writes the page into out. The settings are normalised once here so the
// per-byte code never divides by a zero tab size.
class PageBuilder {
public:
  PageBuilder(const CompareState& state, const HtmlExportSettings& settings, std::string& out)
      : state_(state), list_(*state.list), settings_(settings), out_(out) {
    if (settings_.TabStop < 1 || settings_.TabStop > 16) settings_.TabStop = 4;
    if (settings_.ShowLineNumbers > 2) settings_.ShowLineNumbers = 2;
    numberWidth_ = DecimalDigits(list_.RowCount());
  }

  void Header(const std::string& leftPath, const std::string& rightPath,
              const HtmlExportTexts& texts);
  void Body();
  void Footer() {
    Line("</TABLE>");
    Line("</BODY>");
    Line("</HTML>");
  }

private:
  void Line(const char* text) {
    out_ += text;
    out_ += kNewLine;
  }
  void FileHeading(const std::string& path, LineFormat format, bool left);
  void Section(int32_t first, int32_t last);
  void Heading(int side, int32_t row);
  void Row(int32_t row);
  void Cell(int side, int32_t row);
  void LineNumber(int side, int32_t row);
  void Text(int side, int32_t row);
  uint32_t NonAscii(const char* text, uint32_t count, bool utf8);
  uint32_t Colour(int side, RowKind kind) const;

  const CompareState& state_;
  const DiffList& list_;
  HtmlExportSettings settings_;
  std::string& out_;
  int numberWidth_ = 0;
};

void PageBuilder::Header(const std::string& leftPath, const std::string& rightPath,
                         const HtmlExportTexts& texts) {
  Line("<HTML>");
  Line("<HEAD>");
  // Before the title, so that the browser reads the title in it too.
  Line("<META http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">");
  out_ += "<TITLE>" + EscapeHtml(leftPath) + ", " + EscapeHtml(rightPath) + "</TITLE>";
  out_ += kNewLine;
  Line("</HEAD>");
  Line("<BODY BGCOLOR=\"#FFFFFF\">");
  Line("<TABLE BORDER=\"0\" CELLSPACING=\"0\" CELLPADDING=\"0\">");

  const std::string summary =
      list_.diffCount == 0
          ? texts.noDifferences
          : FormatInserts(texts.summaryFormat, {std::to_string(list_.diffCount),
                                                std::to_string(list_.diffLineCount)});
  const std::string stamp = FormatInserts(
      texts.stampFormat, {texts.date.empty() ? "?" : texts.date,
                          texts.time.empty() ? "?" : texts.time});
  out_ += "<TR><TD ALIGN=\"center\" COLSPAN=\"2\"><B>" + EscapeHtml(summary) + "</B> (" +
          EscapeHtml(stamp) + ")</TD></TR>";
  out_ += kNewLine;
  out_ += kNewLine;

  FileHeading(leftPath, state_.side[0].format, true);
  FileHeading(rightPath, state_.side[1].format, false);
}

void PageBuilder::FileHeading(const std::string& path, LineFormat format, bool left) {
  if (left) out_ += "<TR>";
  out_ += "<TD WIDTH=\"50%\"><TABLE BORDER=\"1\" WIDTH=\"100%\"><TR><TD ALIGN=\"center\">";
  out_ += "<A HREF=\"" + EscapeHtml(FileUrl(path)) + "\">" + EscapeHtml(path) + "</A> (";
  out_ += LineFormatLabel(static_cast<unsigned>(format));
  out_ += ")</TD></TR></TABLE></TD>";
  if (!left) {
    out_ += "</TR>";
    out_ += kNewLine;
  }
  out_ += kNewLine;
}

// Sections are whole runs of rows found with BlockAt; context sections keep
// three unchanged rows around each difference and merge differences that are
// at most five unchanged rows apart.
void PageBuilder::Body() {
  const int32_t count = list_.RowCount();
  const uint32_t how = settings_.ExportHow;
  if (how != 1 && how != 2) {
    for (int32_t row = 0; row < count; ++row) Row(row);
    return;
  }
  int32_t sectionStart = 0;
  bool pending = false;
  for (int32_t row = 0; row < count;) {
    const DiffBlock block = list_.BlockAt(row, true);
    row = block.lastRow + 1;
    if (how == 2) {
      if (block.kind != RowKind::Same) Section(block.firstRow, block.lastRow);
    } else if (block.kind != RowKind::Same) {
      pending = true;
    } else if (block.lastRow - block.firstRow >= 5) {
      if (pending) Section(sectionStart, block.firstRow + 2);
      pending = false;
      sectionStart = block.lastRow - 2;
    }
  }
  if (pending) Section(sectionStart, count - 1);
}

void PageBuilder::Section(int32_t first, int32_t last) {
  Heading(0, first);
  Heading(1, first);
  for (int32_t row = first; row <= last; ++row) Row(row);
}

void PageBuilder::Heading(int side, int32_t row) {
  const int32_t line = list_.Row(row).Line(side);
  out_ += side == 0 ? "<TR><TD>" : "<TD>";
  out_ += "<TABLE BORDER=\"1\" WIDTH=\"100%\"><TR>";
  if (line == -1) {
    out_ += "<TD>&nbsp;</TD>";
  } else {
    out_ += "<TD ALIGN=\"center\"><B>Line " + std::to_string(static_cast<int64_t>(line) + 1) +
            "</B></TD>";
  }
  out_ += "</TR></TABLE></TD>";
  if (side == 1) out_ += "</TR>";
  out_ += kNewLine;
}

void PageBuilder::Row(int32_t row) {
  out_ += "<TR>";
  Cell(0, row);
  Cell(1, row);
  out_ += "</TR>";
  out_ += kNewLine;
}

// The text pane's background for a side of a row of this kind.
uint32_t PageBuilder::Colour(int side, RowKind kind) const {
  const HtmlExportSettings& s = settings_;
  switch (kind) {
    case RowKind::Same: return s.SameBkColor;
    case RowKind::LeftOnly:
      return side == 0 && s.DrawArrows ? s.LeftBkColor : s.EmptyBkColor;
    case RowKind::RightOnly:
      return side == 1 && s.DrawArrows ? s.RightBkColor : s.EmptyBkColor;
    case RowKind::Changed: return s.DrawArrows ? s.ChangeBkColor : s.EmptyBkColor;
  }
  return s.SameBkColor;
}

void PageBuilder::Cell(int side, int32_t row) {
  const uint32_t colour = Colour(side, list_.Kind(row));
  // COLORREF is 0x00BBGGRR; HTML wants RRGGBB.
  const uint32_t rgb = (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
  char open[64];
  std::snprintf(open, sizeof open, "<TD VALIGN=\"top\" BGCOLOR=\"#%06X\"><CODE>",
                static_cast<unsigned>(rgb));
  out_ += open;
  LineNumber(side, row);
  Text(side, row);
  out_ += "</CODE></TD>";
}

void PageBuilder::LineNumber(int side, int32_t row) {
  if (settings_.ShowLineNumbers == 2) return;
  const int32_t line = settings_.ShowLineNumbers == 0 ? row : list_.Row(row).Line(side);
  const std::string number = line == -1 ? "" : std::to_string(static_cast<int64_t>(line) + 1);
  for (int pad = static_cast<int>(number.size()); pad < numberWidth_; ++pad) out_ += kNbsp;
  out_ += number;
  out_ += kNbsp;
}

// The row's text on the side, its LF included. Runs of spaces alternate
// non-breaking and plain spaces, and tabs are expanded the same way, so the
// columns survive the browser's collapsing of white space while long lines
// may still wrap. Columns count characters: on a UTF-8 side a character of
// several bytes is one column.
void PageBuilder::Text(int side, int32_t row) {
  const TextDoc& doc = state_.side[side].doc;
  const uint32_t start = list_.Row(row).Offset(side);
  const uint32_t end = std::min(list_.RowEnd(side, row, doc), doc.Length());
  if (start >= end) {
    out_ += kNbsp;
    return;
  }
  // A character may straddle the document's gap: read a copy of the row.
  const std::unique_ptr<char[]> copy = doc.CopyRange(start, end);
  if (!copy) return;  // no memory: an empty cell, and the page goes on
  const char* text = copy.get();
  const uint32_t count = end - start;
  const bool utf8 = HoldsUtf8(state_.side[side].encoding);
  const uint32_t tabStop = settings_.TabStop;
  const bool showWhite = settings_.ShowWhiteSpace;
  uint32_t col = 0;
  uint32_t run = 0;
  for (uint32_t at = 0; at < count;) {
    const unsigned char c = static_cast<unsigned char>(text[at]);
    uint32_t length = 1;
    switch (c) {
      case '\t': {
        uint32_t width = tabStop - col % tabStop;
        if (showWhite) {
          out_ += kTabSign;
          --width;
          ++col;
        }
        for (uint32_t k = 0; k < width; ++k, ++col) out_ += k % 2 == 0 ? kNbsp : " ";
        break;
      }
      case '\n': out_ += showWhite ? kLineEndSign : kNbsp; break;
      case '\r': break;
      case ' ': {
        const bool spaceBefore = at > 0 && text[at - 1] == ' ';
        const bool spaceAfter = at + 1 < count && text[at + 1] == ' ';
        if (showWhite) {
          out_ += kSpaceSign;
        } else if (!spaceBefore && !spaceAfter) {
          out_ += ' ';
        } else {
          out_ += run % 2 == 0 ? kNbsp : " ";
        }
        break;
      }
      case '&': out_ += "&amp;"; break;
      case '<': out_ += "&lt;"; break;
      case '>': out_ += "&gt;"; break;
      default:
        if (c < 0x20) {
          out_ += '^';
          out_ += static_cast<char>(c + 0x40);
        } else if (c < 0x80) {
          out_ += static_cast<char>(c);
        } else {
          length = NonAscii(text + at, count - at, utf8);
        }
    }
    run = c == ' ' ? run + 1 : 0;
    if (c != '\t') ++col;
    at += length;
  }
}

// Writes the character at text in UTF-8 and returns the bytes it took. A
// legacy side's byte is its Windows-1252 character. On a UTF-8 side a valid
// sequence is copied; an unpaired surrogate (from a UTF-16 file) is the
// replacement character, and any other byte that is no UTF-8 is read as
// Windows-1252, as the writer of UTF-16 files reads it.
uint32_t PageBuilder::NonAscii(const char* text, uint32_t count, bool utf8) {
  const TextChar ch = utf8 ? NextChar(text, count)
                           : TextChar{static_cast<unsigned char>(text[0]), 1, CharKind::Invalid};
  char buf[4];
  switch (ch.kind) {
    case CharKind::Scalar: out_.append(text, ch.length); break;
    case CharKind::Surrogate: out_.append(buf, PutUtf8(kReplacementChar, buf)); break;
    case CharKind::Invalid:
      out_.append(buf, PutUtf8(Windows1252Char(static_cast<unsigned char>(ch.code)), buf));
      break;
  }
  return ch.length;
}

}  // namespace

std::string EscapeHtml(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string FileUrl(const std::string& path) {
  std::string slashed = path;
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  // \\server\share is file://server/share; C:\x is file:///C:/x; /x is file:///x.
  std::string url = "file:";
  if (slashed.compare(0, 2, "//") != 0) url += slashed.compare(0, 1, "/") == 0 ? "//" : "///";
  static const char kHex[] = "0123456789ABCDEF";
  for (const char ch : slashed) {
    const unsigned char c = static_cast<unsigned char>(ch);
    const bool encode = c <= 0x20 || c == 0x7F || c == '"' || c == '#' || c == '%' ||
                        c == '<' || c == '>' || c == '?' || c == '`' || c == '{' || c == '}' ||
                        c == '^' || c == '|';
    if (encode) {
      url += '%';
      url += kHex[c >> 4];
      url += kHex[c & 0xF];
    } else {
      url += ch;
    }
  }
  return url;
}

std::string BuildHtmlPage(const CompareState& state, const std::string& leftPath,
                          const std::string& rightPath, const HtmlExportSettings& settings,
                          const HtmlExportTexts& texts) {
  std::string page;
  PageBuilder builder(state, settings, page);
  builder.Header(leftPath, rightPath, texts);
  builder.Body();
  builder.Footer();
  return page;
}

uint32_t ExportHtml(const std::string& outPath, const CompareState& state,
                    const std::string& leftPath, const std::string& rightPath,
                    const HtmlExportSettings& settings, const HtmlExportTexts& texts) {
  std::string page;
  try {
    page = BuildHtmlPage(state, leftPath, rightPath, settings, texts);
  } catch (const std::bad_alloc&) {
    return kOutOfMemoryError;
  }
  if (page.size() > std::numeric_limits<uint32_t>::max()) return kErrorFileTooLarge;
  return WriteWholeFile(outPath, page.data(), static_cast<uint32_t>(page.size()));
}

}  // namespace qm
