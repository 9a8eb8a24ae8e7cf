#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#ifdef __linux__
#include <sys/resource.h>
#endif
#endif

#include <cstdio>
#include <filesystem>
#include <string>

#include "engine/compare_state.h"
#include "engine/platform.h"
#include "engine/text_file.h"
#include "engine_test_util.h"

namespace qm {
namespace {

using test::TempFolder;

TEST(FilePaths, ValidityRules) {
  struct Case {
    const char* path;
    bool allowBareDrive, valid;
  } cases[] = {
      {"", true, false},          {":x", false, false},        {"C:", true, true},
      {"C:", false, false},       {"c:\\x", false, true},      {"1:\\x", false, false},
      {"C:x", false, false},      {"C:\\a:b", false, false},   {"\\\\server", false, false},
      {"\\\\server\\share", false, true},                      {"a?b", false, false},
      {"a*b", false, false},      {"a<b", false, false},       {"a|b", false, false},
      {"plain.txt", false, true}, {"/tmp/x.txt", false, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsValidFilePath(c.path, c.allowBareDrive), c.valid) << '"' << c.path << '"';
  }
  EXPECT_FALSE(IsFilePath("C:"));
  EXPECT_FALSE(IsFilePath("C:\\dir\\"));
  EXPECT_TRUE(IsFilePath("C:\\dir\\f"));
}

TEST(FilePaths, DeviceNamesAreRecognisedAnywhere) {
  for (const char* device : {"CON", "nul", "C:\\dir\\Com1", "com9.txt", "LPT1 ", "aux.c",
                             "x\\conout$", "\\\\.\\pipe\\x", "//./COM2", "C:NUL"}) {
    EXPECT_TRUE(IsDeviceName(device)) << device;
  }
  for (const char* file : {"CONS", "com", "com0", "COM10", "lpt", "nul\\x.txt", "C:\\aux\\f",
                           "icon.txt", "\\\\server\\share\\con_x"}) {
    EXPECT_FALSE(IsDeviceName(file)) << file;
  }
}

TEST(BinaryTest, ControlBytesInTheFirstKilobyte) {
  TempFolder dir;
  auto make = [&](size_t control, char byte) {
    std::string bytes(1024, 'a');
    for (size_t i = 0; i < control; ++i) bytes.at(i * (1024 / control)) = byte;
    return dir.Write("f" + std::to_string(control) + std::to_string(byte), bytes);
  };
  // The loader's one-opening probe must agree with the test on its own.
  const auto IsBinaryFile = [](const std::string& path) {
    const bool binary = qm::IsBinaryFile(path);
    EXPECT_EQ(ProbeTextFile(path).binary, binary) << path;
    return binary;
  };
  EXPECT_FALSE(IsBinaryFile(make(102, '\0')));
  EXPECT_TRUE(IsBinaryFile(make(103, '\0')));
  EXPECT_TRUE(IsBinaryFile(make(103, '\x0C')));
  EXPECT_TRUE(IsBinaryFile(make(103, '\x1A')));
  EXPECT_FALSE(IsBinaryFile(make(300, '\t')));
  EXPECT_FALSE(IsBinaryFile(make(300, '\r')));
  EXPECT_FALSE(IsBinaryFile(make(500, '\x80')));
  EXPECT_FALSE(IsBinaryFile(make(500, '\xFF')));
  EXPECT_FALSE(IsBinaryFile(dir.Write("empty", "")));
  EXPECT_FALSE(IsBinaryFile(dir.File("missing")));
  // Only the first 1024 bytes are looked at.
  EXPECT_FALSE(IsBinaryFile(dir.Write("late", std::string(1024, 'a') + std::string(500, '\0'))));
}

TEST(LineFormatDetection, CountsTheFirstLineEnds) {
  std::string many;  // 21 CR LF ends, then more LF ends that are not looked at
  for (int i = 0; i < 21; ++i) many += "x\r\n";
  for (int i = 0; i < 40; ++i) many += "y\n";
  struct Case {
    const char* name;
    std::string bytes;
    LineFormat format;
  } cases[] = {
      {"one CR LF, two LF", "a\r\nb\nc\n", LineFormat::Unix},
      {"two CR LF, one LF", "a\r\nb\r\nc\n", LineFormat::Dos},
      {"two lone CR, one CR LF", "a\rb\rc\r\n", LineFormat::Mac},
      {"a final CR is not counted", "a\nb\r", LineFormat::Unix},
      {"LF and CR tie above CR LF", "a\nb\rc", LineFormat::Unix},
      {"no line end", "abc", LineFormat::Dos},
      {"empty", "", LineFormat::Dos},
      {"only the first 21 ends", many, LineFormat::Dos},
  };
  TempFolder dir;
  for (const Case& c : cases) {
    EXPECT_EQ(DetectLineFormat(dir.Write("f", c.bytes)), c.format) << c.name;
  }
  EXPECT_EQ(DetectLineFormat(dir.File("missing")), LineFormat::Dos);
}

std::string DocText(const TextDoc& doc) { return test::Text(doc, 0, doc.Length()); }

TEST(LoadSave, RoundTripsPerFormat) {
  struct Case {
    const char* name;
    LineFormat format;
    std::string file, text, saved;
  } cases[] = {
      {"dos with lone CR", LineFormat::Dos, "a\rb\r\nc\r\n", "a\rb\nc\n", "a\rb\r\nc\r\n"},
      {"dos with final CR", LineFormat::Dos, "a\r\nb\r", "a\nb\r", "a\r\nb\r"},
      {"unix keeps CR", LineFormat::Unix, "a\r\nb\n", "a\r\nb\n", "a\r\nb\n"},
      {"mac", LineFormat::Mac, "a\rb\r", "a\nb\n", "a\rb\r"},
      {"mac with LF inside", LineFormat::Mac, "a\nb\r", "a\nb\n", "a\rb\r"},
      {"empty", LineFormat::Dos, "", "", ""},
      {"nul bytes", LineFormat::Dos, std::string("a\0b\r\n", 5), std::string("a\0b\n", 4),
       std::string("a\0b\r\n", 5)},
  };
  TempFolder dir;
  for (const Case& c : cases) {
    CompareState state;
    const std::string path = dir.Write("f.txt", c.file);
    ASSERT_EQ(LoadTextFile(state.side[0].doc, c.format, path), 0u) << c.name;
    EXPECT_EQ(DocText(state.side[0].doc), c.text) << c.name;
    state.side[0].format = c.format;
    state.side[0].readOnly = true;
    state.side[0].loaded = true;
    ASSERT_EQ(SaveTextFile(state, 0, dir.File("out.txt")), 0u) << c.name;
    EXPECT_EQ(dir.Read("out.txt"), c.saved) << c.name;
    EXPECT_FALSE(state.side[0].readOnly) << c.name;
  }
}

TEST(LoadSave, FailedSaveLeavesTargetAndNoTemporaryFile) {
  TempFolder dir;
  const std::string target = dir.Write("keep.txt", "original\n");
  std::filesystem::permissions(target, std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_write |
                                           std::filesystem::perms::others_write,
                               std::filesystem::perm_options::remove);
  ASSERT_TRUE(IsReadOnlyFile(target));
  CompareState state;
  ASSERT_TRUE(state.side[0].doc.Insert(0, "new\n", 4));
  state.side[0].readOnly = true;
  state.side[0].loaded = true;
  EXPECT_NE(SaveTextFile(state, 0, target), 0u);
  EXPECT_EQ(dir.Read("keep.txt"), "original\n");
  EXPECT_EQ(dir.Count(), 1u);
  EXPECT_TRUE(state.side[0].readOnly);
}

TEST(LoadSave, SaveReplacesAnExistingFileWhole) {
  TempFolder dir;
  const std::string target = dir.Write("f.txt", std::string(10000, 'x'));
  CompareState state;
  ASSERT_TRUE(state.side[0].doc.Insert(0, "short\n", 6));
  state.side[0].format = LineFormat::Unix;
  state.side[0].loaded = true;
  ASSERT_EQ(SaveTextFile(state, 0, target), 0u);
  EXPECT_EQ(dir.Read("f.txt"), "short\n");
  EXPECT_EQ(dir.Count(), 1u);
}

TEST(LoadSave, FileTooLargeForOffsetsIsRefused) {
  TempFolder dir;
  const std::string path = dir.Write("huge", "");
  std::error_code ec;
  std::filesystem::resize_file(path, 0x100000000ull + 10, ec);  // sparse where supported
  if (ec) GTEST_SKIP() << "cannot make a sparse file here";
  FileData data;
  EXPECT_EQ(ReadWholeFile(path, &data), kErrorFileTooLarge);
  TextDoc doc;
  EXPECT_EQ(LoadTextFile(doc, LineFormat::Dos, path), kErrorFileTooLarge);
  EXPECT_EQ(doc.Length(), 0u);
  CompareState state;
  CompareSettings settings;
  settings.AllowBinary = true;
  const CompareResult r = LoadAndCompare(state, path, dir.Write("small", "x\n"), settings, nullptr);
  EXPECT_EQ(r.code, CompareCode::LeftLoadFailed);
  EXPECT_EQ(r.detail, kErrorFileTooLarge);
  EXPECT_FALSE(SystemErrorText(r.detail).empty());
}

// A file that fits the offsets but not the memory left: the comparison
// fails as out of memory (the window's message 48), not as an unreadable
// file, and leaves both sides empty with the one row a window can show.
TEST(LoadSave, FileLargerThanMemoryLeftIsOutOfMemory) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer reserves more address space than any limit leaves";
#elif !defined(__linux__)
  GTEST_SKIP() << "the address space is limited here through Linux's process limits";
#else
  TempFolder dir;
  const std::string path = dir.Write("large", "");
  std::error_code ec;
  std::filesystem::resize_file(path, 0xC0000000ull, ec);  // 3 GB, sparse where supported
  if (ec) GTEST_SKIP() << "cannot make a sparse file here";
  const std::string small = dir.Write("small", "x\n");
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_AS, &old), 0);
  // Room for what the process holds now and 1 GB more, not for the file.
  long pages = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
    std::fclose(statm);
  }
  if (pages <= 0) GTEST_SKIP() << "cannot read this process's size";
  rlimit tight = old;
  tight.rlim_cur = static_cast<rlim_t>(pages) * 4096 + (rlim_t{1} << 30);
  if (old.rlim_cur != RLIM_INFINITY && old.rlim_cur < tight.rlim_cur) GTEST_SKIP();
  ASSERT_EQ(setrlimit(RLIMIT_AS, &tight), 0);
  CompareState state;
  CompareSettings settings;
  settings.AllowBinary = true;
  CompareResult left = LoadAndCompare(state, path, small, settings, nullptr);
  CompareResult right = LoadAndCompare(state, small, path, settings, nullptr);
  setrlimit(RLIMIT_AS, &old);
  EXPECT_EQ(left.code, CompareCode::OutOfMemory);
  EXPECT_EQ(right.code, CompareCode::OutOfMemory);
  EXPECT_EQ(state.side[0].doc.Length(), 0u);
  EXPECT_EQ(state.side[1].doc.Length(), 0u);
  EXPECT_EQ(state.list->RowCount(), 1);
#endif
}

TEST(LoadSave, NeverLoadedSideIsNeverWritten) {
  TempFolder dir;
  const std::string target = dir.Write("keep.txt", "precious\n");
  CompareState state;
  EXPECT_EQ(SaveTextFile(state, 0, target), kErrorAccessDenied);
  // A failed comparison unloads both sides again.
  ASSERT_EQ(LoadAndCompare(state, target, dir.File("missing"), {}, nullptr).code,
            CompareCode::RightLoadFailed);
  EXPECT_FALSE(state.side[0].loaded);
  EXPECT_EQ(SaveTextFile(state, 0, target), kErrorAccessDenied);
  EXPECT_EQ(dir.Read("keep.txt"), "precious\n");
}

TEST(LoadSave, StampsFollowLoadAndSave) {
  TempFolder dir;
  const std::string left = dir.Write("l.txt", "a\n"), right = dir.Write("r.txt", "b\n");
  CompareState state;
  ASSERT_EQ(LoadAndCompare(state, left, right, {}, nullptr).code, CompareCode::Ok);
  ASSERT_TRUE(state.side[0].loaded && state.side[1].loaded);
  EXPECT_EQ(state.side[0].path, left);
  EXPECT_EQ(state.side[0].stamp, StampOf(left));
  dir.Write("l.txt", "someone else's change\n");
  EXPECT_NE(state.side[0].stamp, StampOf(left));
  ASSERT_EQ(SaveTextFile(state, 0, left), 0u);
  EXPECT_EQ(state.side[0].stamp, StampOf(left));
  EXPECT_FALSE(StampOf(dir.File("missing")).exists);
}

TEST(LoadAndCompare, OnlyRegularFilesAreRead) {
  TempFolder dir;
  const std::string text = dir.Write("t.txt", "x\n");
#ifdef _WIN32
  // A serial port or the console would wait for input forever.
  const std::string waiting = dir.File("COM1.txt"), endless = "NUL";
#else
  // Opening a FIFO for reading waits for a writer.
  const std::string waiting = dir.File("fifo"), endless = "/dev/zero";
  ASSERT_EQ(mkfifo(waiting.c_str(), 0600), 0);
#endif
  CompareState state;
  CompareResult r = LoadAndCompare(state, waiting, text, {}, nullptr);
  EXPECT_EQ(r.code, CompareCode::LeftLoadFailed);
  EXPECT_EQ(r.detail, kErrorNotDiskFile);
  // Nor is anything written to a device.
  EXPECT_EQ(WriteWholeFile(endless, "x", 1), kErrorNotDiskFile);
  r = LoadAndCompare(state, text, endless, {}, nullptr);
  EXPECT_EQ(r.code, CompareCode::RightLoadFailed);
  EXPECT_EQ(r.detail, kErrorNotDiskFile);
  std::string folder = dir.File("");
  folder.pop_back();  // a folder named without its trailing separator
  r = LoadAndCompare(state, folder, text, {}, nullptr);
  EXPECT_EQ(r.code, CompareCode::LeftLoadFailed);
}

TEST(LoadAndCompare, CancelStopsTheRead) {
  TempFolder dir;
  const std::string big = dir.Write("big.txt", std::string(9u << 20, 'x'));
  CancelFlag cancel{1};
  CompareState state;
  EXPECT_EQ(LoadAndCompare(state, big, big, {}, &cancel).code, CompareCode::Aborted);
  EXPECT_EQ(state.side[0].doc.Length(), 0u);
}

TEST(LoadAndCompare, ResultCodesInOrder) {
  TempFolder dir;
  const std::string text = dir.Write("text.txt", "a\nb\n");
  const std::string binary = dir.Write("bin.dat", std::string(100, '\0'));
  const std::string missing = dir.File("missing.txt");
  struct Case {
    const char* name;
    std::string left, right;
    bool allowBinary;
    CompareCode code;
  } cases[] = {
      {"left name", "a|b", text, false, CompareCode::LeftNameInvalid},
      {"names before contents", binary, "a|b", false, CompareCode::RightNameInvalid},
      {"left binary", binary, binary, false, CompareCode::LeftBinary},
      {"right binary", text, binary, false, CompareCode::RightBinary},
      {"binary allowed", binary, text, true, CompareCode::Ok},
      {"left missing", missing, text, false, CompareCode::LeftLoadFailed},
      {"right missing", text, missing, false, CompareCode::RightLoadFailed},
  };
  for (const Case& c : cases) {
    CompareState state;
    CompareSettings settings;
    settings.AllowBinary = c.allowBinary;
    const CompareResult r = LoadAndCompare(state, c.left, c.right, settings, nullptr);
    EXPECT_EQ(r.code, c.code) << c.name;
    if (r.code != CompareCode::Ok) {
      EXPECT_EQ(state.side[0].doc.Length() + state.side[1].doc.Length(), 0u) << c.name;
      ASSERT_EQ(state.list->RowCount(), 1) << c.name;
      EXPECT_EQ(state.list->Row(0).leftOffset, 0u) << c.name;
    }
    if (r.code == CompareCode::LeftLoadFailed || r.code == CompareCode::RightLoadFailed) {
      EXPECT_EQ(r.detail, 2u) << c.name;  // ERROR_FILE_NOT_FOUND
      EXPECT_FALSE(SystemErrorText(r.detail).empty()) << c.name;
    }
  }
}

TEST(LoadAndCompare, RecordsFormatsAndReadOnlyFlags) {
  TempFolder dir;
  const std::string left = dir.Write("l.txt", "a\r\nb\r\n");
  const std::string right = dir.Write("r.txt", "a\nc\n");
  std::filesystem::permissions(right, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  CompareState state;
  ASSERT_EQ(LoadAndCompare(state, left, right, {}, nullptr).code, CompareCode::Ok);
  EXPECT_EQ(state.side[0].format, LineFormat::Dos);
  EXPECT_EQ(state.side[1].format, LineFormat::Unix);
  EXPECT_FALSE(state.side[0].readOnly);
  EXPECT_TRUE(state.side[1].readOnly);
  EXPECT_EQ(test::Kinds(*state.list), "SCS");
  EXPECT_EQ(state.list->diffCount, 1);
}

TEST(LoadAndCompare, ProgressCountsEveryByteAndEndsRefining) {
  // A file of several read pieces, and a UTF-16 one that is decoded as it
  // is read: the bytes read add up to both sizes.
  TempFolder dir;
  std::string big;
  for (int i = 0; i < 700000; ++i) big += "line " + std::to_string(i % 977) + "\n";
  const std::string left = dir.Write("l.txt", big);
  const std::string right = dir.Write("r.txt", std::string("\xFF\xFEh\0i\0\n\0", 8));
  CompareProgress progress;
  CompareSettings settings;
  settings.progress = &progress;
  CompareState state;
  ASSERT_EQ(LoadAndCompare(state, left, right, settings, nullptr).code, CompareCode::Ok);
  EXPECT_EQ(progress.bytesTotal.load(), big.size() + 8);
  EXPECT_EQ(progress.bytesRead.load(), big.size() + 8);
  EXPECT_EQ(progress.Stage(), CompareStage::Refining);
}

}  // namespace
}  // namespace qm
