#include "app/history_list.h"

#include <mbstring.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/registry.h"
#include "controls/res_string.h"
#include "resources/resource.h"

namespace qm {

namespace {

// String 8 of the string table. Programs without it (the test programs)
// fall back to the same text so that pairs keep distinct display texts.
const std::string& PairFormat() {
  static const std::string format = [] {
    std::string text = LoadResString(IDS_RECENT_PAIR);
    return text.empty() ? std::string("%1 <---> %2") : text;
  }();
  return format;
}

std::string PairDisplayText(const std::string& left, const std::string& right) {
  std::string text = FormatString(PairFormat(), {reinterpret_cast<DWORD_PTR>(left.c_str()),
                                                 reinterpret_cast<DWORD_PTR>(right.c_str())});
  return text.empty() ? left + " " + right : text;
}

std::string EntryValueName(const std::string& list, long index) {
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, ".%ld", index);
  return list + suffix;
}

// Indices below count of the values named "<list>.<n>" present in the
// Settings key, ascending. Enumerating what is there, instead of probing
// every index below the stored count, keeps a damaged count (up to
// 0xFFFFFFFF) from costing billions of look-ups while still finding every
// entry behind a hole.
std::vector<long> StoredIndices(const std::string& list, uint32_t count) {
  std::vector<long> indices;
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return indices;
  }
  const size_t prefix = list.size() + 1;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = sizeof name;
    LONG rc = RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) continue;  // a name too long to be an entry's
    if (rc != ERROR_SUCCESS) break;
    // Value names are case-insensitive, as the look-up by name would be.
    if (length <= prefix || _strnicmp(name, list.c_str(), list.size()) != 0 ||
        name[list.size()] != '.') {
      continue;
    }
    const char* digits = name + prefix;
    if (digits[0] == '0' && digits[1] != '\0') continue;  // "%ld" never writes "07"
    uint64_t index = 0;
    const char* p = digits;
    for (; *p >= '0' && *p <= '9' && index <= 0x7FFFFFFF; ++p) index = index * 10 + (*p - '0');
    if (*p != '\0' || index >= count || index > 0x7FFFFFFF) continue;
    indices.push_back(static_cast<long>(index));
  }
  RegCloseKey(key);
  std::sort(indices.begin(), indices.end());
  return indices;
}

}  // namespace

HistoryList::HistoryList(const char* name, Kind kind) : name_(name), kind_(kind) {}

void HistoryList::Load() {
  const uint32_t count = ReadSettingDword((name_ + ".count").c_str(), 0);
  if (count == 0) return;
  for (long index : StoredIndices(name_, count)) {
    std::optional<std::string> value = ReadSettingString(EntryValueName(name_, index).c_str());
    if (!value) continue;
    Entry entry;
    if (kind_ == Kind::Pairs) {
      const size_t split = value->find('\n');
      if (split == std::string::npos) continue;
      entry.left = value->substr(0, split);
      entry.right = value->substr(split + 1);
      entry.display = PairDisplayText(entry.left, entry.right);
    } else {
      entry.left = *value;
      entry.display = *value;
    }
    entries_.push_back(std::move(entry));
  }
}

void HistoryList::Save() const {
  WriteSettingDword((name_ + ".count").c_str(), static_cast<uint32_t>(entries_.size()));
  for (size_t i = 0; i < entries_.size(); ++i) {
    const Entry& entry = entries_[i];
    WriteSettingString(EntryValueName(name_, static_cast<long>(i)).c_str(),
                       kind_ == Kind::Pairs ? entry.left + '\n' + entry.right : entry.left);
  }
}

void HistoryList::SetMaximum(int maximum) {
  maximum_ = maximum;
  Trim();
  RefreshCombos();
}

void HistoryList::Add(const std::string& text) {
  if (text.empty() || kind_ != Kind::Plain) return;
  Insert(Entry{text, text, std::string()});
}

void HistoryList::Add(const RecentComparison& pair) {
  if ((pair.left.empty() && pair.right.empty()) || kind_ != Kind::Pairs) return;
  Insert(Entry{PairDisplayText(pair.left, pair.right), pair.left, pair.right});
}

void HistoryList::Insert(Entry entry) {
  auto same = std::find_if(entries_.begin(), entries_.end(),
                           [&](const Entry& e) { return SameText(e.display, entry.display); });
  if (same != entries_.end()) entries_.erase(same);
  entries_.insert(entries_.begin(), std::move(entry));
  Trim();
  RefreshCombos();
}

void HistoryList::Trim() {
  if (maximum_ > 0 && entries_.size() > static_cast<size_t>(maximum_)) {
    entries_.resize(maximum_);
  }
}

bool HistoryList::SameText(const std::string& a, const std::string& b) const {
  if (caseSensitive_) return a == b;
  return _mbsicmp(reinterpret_cast<const unsigned char*>(a.c_str()),
                  reinterpret_cast<const unsigned char*>(b.c_str())) == 0;
}

std::string HistoryList::FirstText() const {
  return entries_.empty() ? std::string() : entries_.front().display;
}

const std::string& HistoryList::DisplayText(int index) const { return entries_.at(index).display; }

RecentComparison HistoryList::Pair(int index) const {
  const Entry& entry = entries_.at(index);
  return RecentComparison{entry.left, entry.right};
}

int HistoryList::FindCompletion(const std::string& prefix) const {
  if (prefix.empty()) return kNone;
  int best = kNone;
  for (size_t i = 0; i < entries_.size(); ++i) {
    const std::string& text = entries_[i].display;
    if (text.size() < prefix.size()) continue;
    if (best != kNone && text.size() >= entries_[best].display.size()) continue;
    const bool match =
        caseSensitive_
            ? text.compare(0, prefix.size(), prefix) == 0
            : _mbsnbicmp(reinterpret_cast<const unsigned char*>(text.c_str()),
                         reinterpret_cast<const unsigned char*>(prefix.c_str()),
                         prefix.size()) == 0;
    if (match) best = static_cast<int>(i);
  }
  return best;
}

void HistoryList::AttachCombo(HWND combo) {
  if (!combo) return;
  if (std::find(combos_.begin(), combos_.end(), combo) == combos_.end()) {
    combos_.push_back(combo);
  }
  RefreshCombo(combo);
}

void HistoryList::DetachCombo(HWND combo) {
  combos_.erase(std::remove(combos_.begin(), combos_.end(), combo), combos_.end());
}

void HistoryList::Clear() {
  entries_.clear();
  RefreshCombos();
}

void HistoryList::RefreshCombos() const {
  for (HWND combo : combos_) RefreshCombo(combo);
}

void HistoryList::RefreshCombo(HWND combo) const {
  std::string text(GetWindowTextLengthA(combo) + 1, '\0');
  text.resize(GetWindowTextA(combo, &text[0], static_cast<int>(text.size())));
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  for (const Entry& entry : entries_) {
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.display.c_str()));
  }
  // A drop-down list has no edit field: its text is the selected entry.
  if ((GetWindowLongA(combo, GWL_STYLE) & 3) == CBS_DROPDOWNLIST) {
    LRESULT index =
        SendMessageA(combo, CB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(combo, CB_SETCURSEL, index == CB_ERR ? WPARAM(-1) : WPARAM(index), 0);
  } else {
    SetWindowTextA(combo, text.c_str());
  }
}

}  // namespace qm
