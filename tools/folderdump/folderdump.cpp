// folderdump: compares two folders as a folder window would and prints its
// four lists, for tests, benchmarks and other tools.
//
//   folderdump [--flat] [--attribs] [--folder-attribs] [--no-date] [--folder-date]
//              [--no-size] [--quick | --full] [--include PATTERNS | --exclude PATTERNS]
//              [--match-case-names] [--ignore-case] [--blanks MASK] OLD NEW
//
// Every setting not named keeps its default. --ignore-case and --blanks are
// the text options of the full contents criterion.
// Output: the Changed, Old, New and Same lists in that order, one entry a
// line: "changed NAME (WORDS)", "old NAME", "new NAME", "same NAME", where
// NAME is the entry's relative name with backslashes between components
// and one behind a folder, and WORDS the list's difference words; then
// "old N new N changed N same N". A failed comparison prints its message
// on stderr and exits 2.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/platform.h"
#include "folders/file_system.h"
#include "folders/folder_compare.h"

namespace {

using namespace qm;

constexpr int kExitFailure = 2;

struct DumpOptions {
  FolderCompareSettings settings;
  std::string oldRoot;
  std::string newRoot;
};

void Usage() {
  std::fputs(
      "usage: folderdump [--flat] [--attribs] [--folder-attribs] [--no-date] [--folder-date]\n"
      "                  [--no-size] [--quick | --full] [--include PATTERNS | --exclude PATTERNS]\n"
      "                  [--match-case-names] [--ignore-case] [--blanks MASK] OLD NEW\n",
      stderr);
}

bool ParseMask(const char* text, uint32_t* value) {
  char* end = nullptr;
  errno = 0;
  const unsigned long long v = std::strtoull(text, &end, 0);
  if (errno != 0 || end == text || *end != '\0' || *text == '-' || v > 0xFFFFFFFFull) {
    return false;
  }
  *value = static_cast<uint32_t>(v);
  return true;
}

// A switch without a value; false when arg is none.
bool ParseSwitch(const std::string& arg, FolderCompareSettings& s) {
  struct Switch {
    const char* name;
    bool FolderCompareSettings::*field;
    bool value;
  };
  static const Switch kSwitches[] = {
      {"--flat", &FolderCompareSettings::CompareSubfolders, false},
      {"--attribs", &FolderCompareSettings::CompareAttribs, true},
      {"--folder-attribs", &FolderCompareSettings::CompareFolderAttribs, true},
      {"--no-date", &FolderCompareSettings::CompareDate, false},
      {"--folder-date", &FolderCompareSettings::CompareFolderDate, true},
      {"--no-size", &FolderCompareSettings::CompareSize, false},
      {"--quick", &FolderCompareSettings::CompareQuick, true},
      {"--full", &FolderCompareSettings::CompareFull, true},
      {"--match-case-names", &FolderCompareSettings::IgnoreNameCase, false},
  };
  for (const Switch& sw : kSwitches) {
    if (arg == sw.name) {
      s.*sw.field = sw.value;
      return true;
    }
  }
  if (arg == "--ignore-case") {
    s.text.IgnoreCase = true;
    return true;
  }
  return false;
}

// Parses argv into options; false on anything it does not understand, and
// on two contents criteria or two filters at once.
bool ParseArguments(int argc, char** argv, DumpOptions* out) {
  FolderCompareSettings& s = out->settings;
  int folders = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (ParseSwitch(arg, s)) continue;
    if (arg == "--include" && hasValue) {
      s.HaveIncludeFilter = true;
      s.IncludeFilter = argv[++i];
    } else if (arg == "--exclude" && hasValue) {
      s.HaveExcludeFilter = true;
      s.ExcludeFilter = argv[++i];
    } else if (arg == "--blanks" && hasValue) {
      if (!ParseMask(argv[++i], &s.text.IgnoreBlanks2)) return false;
    } else if (arg.size() > 1 && arg[0] == '-' && arg != "--") {
      return false;
    } else if (folders == 0) {
      out->oldRoot = arg;
      ++folders;
    } else if (folders == 1) {
      out->newRoot = arg;
      ++folders;
    } else {
      return false;
    }
  }
  if (s.CompareQuick && s.CompareFull) return false;
  if (s.HaveIncludeFilter && s.HaveExcludeFilter) return false;
  return folders == 2;
}

std::string ResultMessage(const CompareResult& r) {
  switch (static_cast<uint32_t>(r.code)) {
    case 1:
      return "The operation could not be performed because your computer\nhas not enough free "
             "memory left.\n\nPlease close as many windows and applications as possible\nand "
             "try again.";
    case 2:
      return "Operation aborted.";
    case 9:
      return "The old folder name is invalid.";
    case 10:
      return "The new folder name is invalid.";
    case 11:
      return "'Old Folder' is not a folder.";
    case 12:
      return "'New Folder' is not a folder.";
    case 13:
      return "Cannot read the old folder.\n\nReason: " + SystemErrorText(r.detail);
    case 14:
      return "Cannot read the new folder.\n\nReason: " + SystemErrorText(r.detail);
    default:
      return "Error " + std::to_string(static_cast<uint32_t>(r.code));
  }
}

void PrintList(std::string& out, const char* word, const std::vector<FolderEntry>& list,
               bool changed, bool compareSubfolders) {
  for (const FolderEntry& e : list) {
    out += word;
    out += ' ';
    out += e.name;
    if (e.isFolder) out += '\\';
    if (changed) {
      const std::string words = DifferenceText(e, compareSubfolders);
      if (!words.empty()) {
        out += ' ';
        out += words;
      }
    }
    out += '\n';
    if (out.size() >= (1u << 20)) {
      std::fwrite(out.data(), 1, out.size(), stdout);
      out.clear();
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  DumpOptions options;
  if (!ParseArguments(argc, argv, &options)) {
    Usage();
    return kExitFailure;
  }
  FolderComparison comparison;
  comparison.oldRoot = options.oldRoot;
  comparison.newRoot = options.newRoot;
  SystemFileSystem fs;
  const CompareResult result = RunFolderCompare(comparison, options.settings, fs);
  if (result.code != CompareCode::Ok) {
    std::fprintf(stderr, "folderdump: %s\n", ResultMessage(result).c_str());
    return kExitFailure;
  }
  const bool sub = options.settings.CompareSubfolders;
  std::string out;
  PrintList(out, "changed", comparison.List(FolderListKind::ChangedList), true, sub);
  PrintList(out, "old", comparison.List(FolderListKind::OldList), false, sub);
  PrintList(out, "new", comparison.List(FolderListKind::NewList), false, sub);
  PrintList(out, "same", comparison.List(FolderListKind::SameList), false, sub);
  out += "old " + std::to_string(comparison.List(FolderListKind::OldList).size()) + " new " +
         std::to_string(comparison.List(FolderListKind::NewList).size()) + " changed " +
         std::to_string(comparison.List(FolderListKind::ChangedList).size()) + " same " +
         std::to_string(comparison.List(FolderListKind::SameList).size()) + "\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : kExitFailure;
}
