#include "app/settings.h"

#include <cstdio>

#include "app/registry.h"
#include "controls/module_instance.h"

namespace qm {

SettingsRecord Settings;

const char kTipShowOnStartupValue[] = "TipOfTheDay.ShowOnStartup";
const char kTipIndexValue[] = "TipOfTheDay.TipIndex";
const char kOptionsBoxValue[] = "OptionsBox";
const char kOptionsPageValue[] = "OptionsPage";

const int kBitmapSlotIds[kBitmapSlotCount] = {
    1202, 1203, 1206, 1207, 1204, 1205, 1216, 1217, 1208, 1209, 1212, 1213, 1214,
    1215, 1210, 1211, 1218, 1219, 1220, 1221, 1222, 1223, 1224, 1225, 1222, 1223,
};

namespace {

constexpr COLORREF kDefaultCustomColors[16] = {
    0x000000, 0x606060, 0xFFFFFF, 0xF4F4F4, 0xC0DCC0, 0xF0CAA6, 0xA6CAF0, 0xFFFFFF,
    0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
};

struct ColorField {
  const char* name;
  COLORREF SettingsRecord::*field;
};

const ColorField kColors[] = {
    {"TextColor", &SettingsRecord::TextColor},         {"ReadOnlyColor", &SettingsRecord::ReadOnlyColor},
    {"SameBkColor", &SettingsRecord::SameBkColor},     {"EmptyBkColor", &SettingsRecord::EmptyBkColor},
    {"LeftBkColor", &SettingsRecord::LeftBkColor},     {"RightBkColor", &SettingsRecord::RightBkColor},
    {"ChangeBkColor", &SettingsRecord::ChangeBkColor},
};

struct BoolField {
  const char* name;
  bool SettingsRecord::*field;
};

// Saved between the colours and the numbers.
const BoolField kDisplayFlags[] = {
    {"IgnoreCase", &SettingsRecord::IgnoreCase},
    {"CompareChanges", &SettingsRecord::CompareChanges},
    {"HighlightChanges", &SettingsRecord::HighlightChanges},
    {"WordWrap", &SettingsRecord::WordWrap},
    {"ShowWhiteSpace", &SettingsRecord::ShowWhiteSpace},
    {"SyncScroll", &SettingsRecord::SyncScroll},
    {"ViewSummary", &SettingsRecord::ViewSummary},
    {"ViewToolBar", &SettingsRecord::ViewToolBar},
    {"ViewQuickBar", &SettingsRecord::ViewQuickBar},
    {"ViewStatusBar", &SettingsRecord::ViewStatusBar},
    {"DrawCaretBox", &SettingsRecord::DrawCaretBox},
    {"DrawArrows", &SettingsRecord::DrawArrows},
    {"WrapAround", &SettingsRecord::WrapAround},
    {"IdenticalMessage", &SettingsRecord::IdenticalMessage},
    {"ScrollToFirst", &SettingsRecord::ScrollToFirst},
    {"AskConfirmation", &SettingsRecord::AskConfirmation},
    {"ReUseFileWindow", &SettingsRecord::ReUseFileWindow},
    {"ReUseFolderWindow", &SettingsRecord::ReUseFolderWindow},
    {"EscQuitsApp", &SettingsRecord::EscQuitsApp},
    {"DropDelete", &SettingsRecord::DropDelete},
    {"DblClickDefaults", &SettingsRecord::DblClickDefaults},
    {"SmartRefresh", &SettingsRecord::SmartRefresh},
    {"SearchSelected", &SettingsRecord::SearchSelected},
    {"JumpToNext", &SettingsRecord::JumpToNext},
    {"AllowBinary", &SettingsRecord::AllowBinary},
};

// Saved after the export settings.
const BoolField kFolderFlags[] = {
    {"FolderUndo", &SettingsRecord::FolderUndo},
    {"IgnoreNameCase", &SettingsRecord::IgnoreNameCase},
    {"CompareSubfolders", &SettingsRecord::CompareSubfolders},
    {"CompareAttribs", &SettingsRecord::CompareAttribs},
    {"CompareFolderAttribs", &SettingsRecord::CompareFolderAttribs},
    {"CompareDate", &SettingsRecord::CompareDate},
    {"CompareFolderDate", &SettingsRecord::CompareFolderDate},
    {"CompareSize", &SettingsRecord::CompareSize},
    {"CompareQuick", &SettingsRecord::CompareQuick},
    {"CompareFull", &SettingsRecord::CompareFull},
    {"HaveIncludeFilter", &SettingsRecord::HaveIncludeFilter},
    {"HaveExcludeFilter", &SettingsRecord::HaveExcludeFilter},
};

const BoolField kFindFlags[] = {
    {"FindMatchCase", &SettingsRecord::FindMatchCase},
    {"FindWholeWord", &SettingsRecord::FindWholeWord},
    {"FindDownwards", &SettingsRecord::FindDownwards},
};

// A ranged number: values outside [low, high] load as the default.
int ReadRanged(const char* name, uint32_t low, uint32_t high, int def) {
  const uint32_t value = ReadSettingDword(name, static_cast<uint32_t>(def));
  return value >= low && value <= high ? static_cast<int>(value) : def;
}

// A colour is 0x00BBGGRR: a value with any bit of the top byte set is no
// plain colour (GDI would take it as a palette index or draw black) and
// loads as the default.
COLORREF ReadColor(const char* name, COLORREF def) {
  const uint32_t value = ReadSettingDword(name, def);
  return (value & 0xFF000000u) == 0 ? value : def;
}

// Absent values keep the record's constructed defaults.
template <size_t N>
void ReadFlagTable(SettingsRecord* record, const BoolField (&fields)[N]) {
  for (const BoolField& flag : fields) {
    record->*flag.field = ReadSettingBool(flag.name, record->*flag.field);
  }
}

template <size_t N>
void WriteFlagTable(const SettingsRecord& record, const BoolField (&fields)[N]) {
  for (const BoolField& flag : fields) WriteSettingBool(flag.name, record.*flag.field);
}

// Both members of an exclusive pair loaded as true: neither holds.
void MakeExclusive(bool* a, bool* b) {
  if (*a && *b) *a = *b = false;
}

// The longest prefix of at most limit bytes that does not split a
// double-byte character of the user's code page.
std::string CutText(const std::string& text, size_t limit) {
  size_t end = 0;
  while (end < text.size()) {
    const size_t step = IsDBCSLeadByte(static_cast<BYTE>(text[end])) ? 2 : 1;
    if (end + step > limit) break;
    end += step;
  }
  return text.substr(0, end);
}

std::string CustomColorName(int index) {
  char name[32];
  std::snprintf(name, sizeof name, "CustomColor.%d", index);
  return name;
}

int CALLBACK NoteFontFound(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool IsFontInstalled(HDC dc, const char* face) {
  LOGFONTA font = {};
  font.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  EnumFontFamiliesExA(dc, &font, NoteFontFound, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

template <typename Handle>
void DeleteGdiHandle(Handle* handle) {
  if (*handle) DeleteObject(*handle);
  *handle = nullptr;
}

}  // namespace

std::string DefaultFontFace() {
  static const char* const kFaces[] = {"Andale Mono", "Lucida Console", "Courier New", "Courier"};
  HDC dc = GetDC(nullptr);
  std::string face = "Fixedsys";
  if (dc) {
    for (const char* candidate : kFaces) {
      if (IsFontInstalled(dc, candidate)) {
        face = candidate;
        break;
      }
    }
    ReleaseDC(nullptr, dc);
  }
  return face;
}

bool ReadFieldText(const char* field, std::string* text) {
  std::optional<std::string> value = ReadSettingString((std::string(field) + ".text").c_str());
  if (!value) return false;
  *text = std::move(*value);
  return true;
}

void WriteFieldText(const char* field, const std::string& text) {
  WriteSettingString((std::string(field) + ".text").c_str(), text);
}

bool ReadOptionsBox(POINT* topLeft) {
  std::optional<std::string> value = ReadSettingString(kOptionsBoxValue);
  unsigned long x;
  unsigned long y;
  if (!value || std::sscanf(value->c_str(), "%lx,%lx", &x, &y) != 2) return false;
  topLeft->x = static_cast<LONG>(x);
  topLeft->y = static_cast<LONG>(y);
  return true;
}

void WriteOptionsBox(POINT topLeft) {
  char text[32];
  std::snprintf(text, sizeof text, "%lx,%lx", static_cast<unsigned long>(topLeft.x),
                static_cast<unsigned long>(topLeft.y));
  WriteSettingString(kOptionsBoxValue, text);
}

SettingsRecord::SettingsRecord() {
  for (int i = 0; i < 16; ++i) CustomColor[i] = kDefaultCustomColors[i];
}

SettingsRecord::~SettingsRecord() {
  ReleaseDrawingObjects();
  ReleasePrinter();
}

void SettingsRecord::Load() {
  LoadColors();
  CreateDrawingObjects();
  LoadFlags();

  std::optional<std::string> face = ReadSettingString("FontFace");
  // A face name longer than a LOGFONT holds cannot name an installed font.
  FontFace = face && !face->empty() ? CutText(*face, LF_FACESIZE - 1) : DefaultFontFace();
  FontSize = ReadRanged("FontSize", 1, 200, 8);

  LoadHistories();

  FindText = CutText(ReadSettingString("FindText").value_or(std::string()), kMaxFindText);
  ReadFlagTable(this, kFindFlags);
  FindDialog = nullptr;

  // Dialogs take MAX_PATH characters (of UTF-8, up to kMaxPathBytes bytes);
  // a longer value is no usable path, so it is dropped rather than cut into
  // a different one.
  ExportResults = ReadSettingString("ExportResults").value_or(std::string());
  size_t characters = 0;
  for (const char byte : ExportResults) characters += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
  if (characters >= MAX_PATH) ExportResults.clear();
  ExportHow = ReadRanged("ExportHow", 0, 2, 0);

  UINT lines = 0;
  WheelScrollLines = SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0) ? lines : 2;

  CommandLineCompare = false;
  OpenWindowCount = 0;

  CompareWindow.Load("CompareWindow");
  if (!SessionWindow.Load("SessionWindow")) {
    SessionWindow.left = 50;
    SessionWindow.top = 50;
    SessionWindow.right = 500;
    SessionWindow.bottom = 600;
    SessionWindow.valid = true;
  }
  PreviewWindow.Load("PreviewWindow");

  PrintScale = ReadRanged("PrintScale", 25, 100, 100);
  PrintPortrait = ReadSettingBool("PrintPortrait", PrintPortrait);

  RemakeBrushes();
  LoadPrinter();
}

void SettingsRecord::LoadColors() {
  for (const ColorField& color : kColors) this->*color.field = ReadColor(color.name, this->*color.field);
  for (int i = 0; i < 16; ++i) CustomColor[i] = ReadColor(CustomColorName(i).c_str(), CustomColor[i]);
}

void SettingsRecord::LoadFlags() {
  ReadFlagTable(this, kDisplayFlags);
  ReadFlagTable(this, kFolderFlags);
  IgnoreBlanks2 = ReadSettingDword("IgnoreBlanks2", IgnoreBlanks2);
  FragmentSize = ReadSettingDword("FragmentSize", FragmentSize);
  MatchPercent = static_cast<int32_t>(ReadSettingDword("MatchPercent", MatchPercent));
  ShowLineNumbers = ReadRanged("ShowLineNumbers", 0, 2, 2);
  TabStop = ReadRanged("TabStop", 1, 16, 4);
  MakeExclusive(&CompareQuick, &CompareFull);
  MakeExclusive(&HaveIncludeFilter, &HaveExcludeFilter);
}

void SettingsRecord::LoadHistories() {
  for (HistoryList* list : {&LeftFileHistory, &RightFileHistory, &LeftFolderHistory,
                            &RightFolderHistory}) {
    list->Load();
    list->SetMaximum(40);
  }
  for (HistoryList* list : {&IncludeFilterHistory, &ExcludeFilterHistory}) {
    list->Load();
    list->SetMaximum(20);
    list->SetCaseSensitive(true);
  }
  if (IncludeFilterHistory.Empty()) HaveIncludeFilter = false;
  if (ExcludeFilterHistory.Empty()) HaveExcludeFilter = false;
  for (HistoryList* list : {&RecentFileHistory, &RecentFolderHistory}) {
    list->Load();
    list->SetMaximum(40);
  }
}

void SettingsRecord::Save() {
  // The dialog writes its own position and page as it closes.
  Options.reset();
  SaveColors();
  SaveFlags();
  SaveHistories();
  WriteSettingString("FindText", FindText);
  WriteFlagTable(*this, kFindFlags);
  CompareWindow.Save("CompareWindow");
  SessionWindow.Save("SessionWindow");
  PreviewWindow.Save("PreviewWindow");
  ReleaseDrawingObjects();
  if (CommandImages) ImageList_Destroy(CommandImages);
  CommandImages = nullptr;
  CommandImageIndex.clear();
  ReleasePrinter();
}

void SettingsRecord::SaveColors() const {
  for (const ColorField& color : kColors) WriteSettingDword(color.name, this->*color.field);
  for (int i = 0; i < 16; ++i) WriteSettingDword(CustomColorName(i).c_str(), CustomColor[i]);
}

void SettingsRecord::SaveFlags() const {
  WriteFlagTable(*this, kDisplayFlags);
  WriteSettingDword("IgnoreBlanks2", IgnoreBlanks2);
  WriteSettingDword("TabStop", static_cast<uint32_t>(TabStop));
  WriteSettingDword("ShowLineNumbers", static_cast<uint32_t>(ShowLineNumbers));
  WriteSettingString("FontFace", FontFace);
  WriteSettingDword("FontSize", static_cast<uint32_t>(FontSize));
  WriteSettingDword("PrintScale", static_cast<uint32_t>(PrintScale));
  WriteSettingBool("PrintPortrait", PrintPortrait);
  WriteSettingString("ExportResults", ExportResults);
  WriteSettingDword("ExportHow", static_cast<uint32_t>(ExportHow));
  WriteFlagTable(*this, kFolderFlags);
}

void SettingsRecord::SaveHistories() const {
  for (const HistoryList* list :
       {&LeftFileHistory, &RightFileHistory, &LeftFolderHistory, &RightFolderHistory,
        &IncludeFilterHistory, &ExcludeFilterHistory, &RecentFileHistory, &RecentFolderHistory}) {
    list->Save();
  }
}

void SettingsRecord::RemakeBrushes() {
  DeleteBrushes();
  SameBkBrush = CreateSolidBrush(SameBkColor);
  RightBkBrush = CreateSolidBrush(RightBkColor);
  LeftBkBrush = CreateSolidBrush(LeftBkColor);
  EmptyBkBrush = CreateSolidBrush(EmptyBkColor);
  ChangeBkBrush = CreateSolidBrush(ChangeBkColor);
}

void SettingsRecord::DeleteBrushes() {
  for (HBRUSH* brush : {&SameBkBrush, &RightBkBrush, &LeftBkBrush, &EmptyBkBrush, &ChangeBkBrush}) {
    DeleteGdiHandle(brush);
  }
}

void SettingsRecord::CreateDrawingObjects() {
  ReleaseDrawingObjects();
  HINSTANCE module = ModuleInstance();
  if (HBITMAP pattern = LoadBitmapA(module, MAKEINTRESOURCEA(kDividerBitmapId))) {
    // The brush keeps its own copy of the pattern.
    DividerBrush = CreatePatternBrush(pattern);
    DeleteObject(pattern);
  }
  for (int slot = 0; slot < kBitmapSlotCount; ++slot) {
    Bitmaps[slot] = LoadBitmapA(module, MAKEINTRESOURCEA(kBitmapSlotIds[slot]));
  }
}

void SettingsRecord::ReleaseDrawingObjects() {
  for (HBITMAP& bitmap : Bitmaps) DeleteGdiHandle(&bitmap);
  DeleteGdiHandle(&DividerBrush);
  DeleteBrushes();
}

HBITMAP SettingsRecord::Bitmap(int id, int copy) const {
  for (int slot = 0; slot < kBitmapSlotCount; ++slot) {
    if (kBitmapSlotIds[slot] == id && copy-- == 0) return Bitmaps[slot];
  }
  return nullptr;
}

void SettingsRecord::LoadPrinter() {
  ReleasePrinter();
  PRINTDLGA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.Flags = PD_RETURNDEFAULT | PD_NOWARNING;
  if (!PrintDlgA(&dialog)) return;
  DevMode = dialog.hDevMode;
  DevNames = dialog.hDevNames;
  if (DevMode) {
    if (auto* mode = static_cast<DEVMODEA*>(GlobalLock(DevMode))) {
      mode->dmOrientation = PrintPortrait ? DMORIENT_PORTRAIT : DMORIENT_LANDSCAPE;
      mode->dmFields |= DM_ORIENTATION;
      GlobalUnlock(DevMode);
    }
  }
}

void SettingsRecord::ReleasePrinter() {
  if (DevMode) GlobalFree(DevMode);
  if (DevNames) GlobalFree(DevNames);
  DevMode = nullptr;
  DevNames = nullptr;
}

CompareSettings SettingsRecord::CompareSnapshot() const {
  CompareSettings copy;
  copy.options.IgnoreCase = IgnoreCase;
  copy.options.IgnoreBlanks2 = IgnoreBlanks2;
  copy.options.CompareChanges = CompareChanges;
  copy.options.FragmentSize = FragmentSize;
  copy.options.MatchPercent = MatchPercent;
  copy.AllowBinary = AllowBinary;
  copy.ScrollToFirst = ScrollToFirst;
  copy.WrapAround = WrapAround;
  return copy;
}

DisplaySettings SettingsRecord::DisplaySnapshot() const {
  DisplaySettings d;
  d.TextColor = TextColor;
  d.ReadOnlyColor = ReadOnlyColor;
  d.SameBkColor = SameBkColor;
  d.EmptyBkColor = EmptyBkColor;
  d.LeftBkColor = LeftBkColor;
  d.RightBkColor = RightBkColor;
  d.ChangeBkColor = ChangeBkColor;
  d.HighlightChanges = HighlightChanges;
  d.DrawArrows = DrawArrows;
  d.DrawCaretBox = DrawCaretBox;
  d.WheelScrollLines = WheelScrollLines;
  d.FontFace = FontFace.empty() ? DefaultFontFace() : FontFace;
  d.FontSize = FontSize;
  d.TabStop = TabStop;
  d.ShowWhiteSpace = ShowWhiteSpace;
  d.ShowLineNumbers = ShowLineNumbers;
  d.WordWrap = WordWrap;
  d.ViewToolBar = ViewToolBar;
  d.ViewQuickBar = ViewQuickBar;
  d.ViewStatusBar = ViewStatusBar;
  d.ViewSummary = ViewSummary;
  d.options = CompareSnapshot().options;
  return d;
}

}  // namespace qm
