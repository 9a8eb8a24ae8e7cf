// Helpers shared by the engine tests: documents from strings, a compact
// picture of a list's rows, and a temporary folder that works under Wine.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "engine/compare_options.h"
#include "engine/diff_engine.h"
#include "engine/diff_list.h"
#include "engine/text_doc.h"

namespace qm::test {

inline TextDoc Doc(const std::string& text) {
  TextDoc doc;
  doc.Insert(0, text.data(), static_cast<uint32_t>(text.size()));
  return doc;
}

inline std::string Text(const TextDoc& doc, uint32_t start, uint32_t end) {
  auto copy = doc.CopyRange(start, end);
  return std::string(copy.get(), end - start);
}

// One letter per row: S same, L left only, R right only, C changed.
inline std::string Kinds(const DiffList& list) {
  std::string kinds;
  for (int32_t r = 0; r < list.RowCount(); ++r) kinds += "SLRC"[static_cast<int>(list.Kind(r))];
  return kinds;
}

inline CompareResult Compare(TextDoc& left, TextDoc& right, DiffList& list,
                             const CompareOptions& options = {},
                             const CancelFlag* cancel = nullptr) {
  CompareResult r = RunDiff(left, 0, left.Length(), right, 0, right.Length(), list, options,
                            cancel);
  list.NumberRows();
  list.CountDifferences();
  return r;
}

// A fresh folder under the system's temporary folder, removed at the end.
// Paths are joined as strings: the i686 MinGW runtime's filesystem::path
// crashes when a joined path is copied.
class TempFolder {
public:
  TempFolder() {
#ifdef _WIN32
    const char separator = '\\';
#else
    const char separator = '/';
#endif
    std::random_device rd;
    std::string base = std::filesystem::temp_directory_path().string();
    if (base.empty() || base.back() != separator) base += separator;
    path_ = base + "qmtest" + std::to_string(rd());
    std::filesystem::create_directories(path_);
    path_ += separator;
  }
  ~TempFolder() {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(path_, ec)) {
      std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return path_ + name; }
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(File(name), std::ios::binary) << bytes;
    return File(name);
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(File(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  size_t Count() const {
    size_t n = 0;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(path_, ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
      ++n;
    }
    return n;
  }

private:
  std::string path_;  // ends with a separator
};

}  // namespace qm::test
