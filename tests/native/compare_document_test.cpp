#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "engine/platform.h"
#include "engine_test_util.h"
#include "textwin/compare_document.h"

namespace qm {
namespace {

using test::TempFolder;

struct RecordingView : DocumentView {
  std::vector<std::pair<DocumentChange, int>> heard;
  CompareDocument* leaveFrom = nullptr;  // removes itself when told
  void OnDocumentChanged(DocumentChange change, int side) override {
    heard.emplace_back(change, side);
    if (leaveFrom) leaveFrom->RemoveView(this);
  }
};

std::string Text(const TextDoc& doc) {
  std::string s;
  for (uint32_t i = 0; i < doc.Length(); ++i) s += doc.ByteAt(i);
  return s;
}

TEST(CompareDocument, ReAlignsWithTheOptionsItWasComparedWith) {
  TempFolder dir;
  CompareDocument doc;
  CompareSettings settings;
  settings.options.IgnoreCase = true;
  ASSERT_EQ(doc.Compare(dir.Write("l", "A\nb\nC\n"), dir.Write("r", "a\nB\nc\n"), settings, nullptr)
                .code,
            CompareCode::Ok);
  doc.FinishCompare();
  ASSERT_EQ(doc.List().diffCount, 0);
  // Whatever the settings are now, an edit is re-aligned as compared: case
  // still does not count, a real change does.
  TextDoc& left = doc.State().side[0].doc;
  left.Delete(2, 1);
  ASSERT_TRUE(left.Insert(2, "B", 1));
  EXPECT_GE(doc.Recompare(1, 1), 0);
  EXPECT_EQ(doc.List().diffCount, 0);
  left.Delete(2, 1);
  ASSERT_TRUE(left.Insert(2, "x", 1));
  EXPECT_GE(doc.Recompare(1, 1), 0);
  EXPECT_EQ(doc.List().diffCount, 1);
}

TEST(CompareDocument, WritesOnlyLoadedSidesAndSeesChangesOnDisk) {
  TempFolder dir;
  const std::string left = dir.Write("l.txt", "one\r\ntwo\nthree\r\n");
  const std::string right = dir.Write("r.txt", "one\r\n");
  CompareDocument doc;
  RecordingView view;
  doc.AddView(&view);
  // Never loaded: nothing is written, whatever the target.
  EXPECT_EQ(doc.Save(0, left), kErrorAccessDenied);
  EXPECT_FALSE(doc.IsOpenFile(left, -1));

  ASSERT_EQ(doc.Compare(left, right, {}, nullptr).code, CompareCode::Ok);
  doc.FinishCompare();
  EXPECT_EQ(doc.CheckDisk(0), DiskState::Unchanged);
  // The other side's file, however it is spelled, is open; a side's own
  // file is not "the other one".
  EXPECT_TRUE(doc.IsOpenFile(dir.File("./r.txt"), 0));
  EXPECT_FALSE(doc.IsOpenFile(right, 1));
  EXPECT_TRUE(doc.IsOpenFile(right, -1));
  EXPECT_FALSE(doc.IsOpenFile(dir.File("other.txt"), -1));

  dir.Write("l.txt", "someone else's text, longer than before\n");
  EXPECT_EQ(doc.CheckDisk(0), DiskState::Changed);
  doc.MarkEdited(0);
  ASSERT_EQ(doc.Save(0, left), 0u);
  EXPECT_FALSE(doc.IsModified(0));
  EXPECT_EQ(doc.CheckDisk(0), DiskState::Unchanged);
  std::remove(left.c_str());
  EXPECT_EQ(doc.CheckDisk(0), DiskState::Missing);

  // A failed comparison unloads both sides again.
  ASSERT_NE(doc.Compare(right, dir.File("missing"), {}, nullptr).code, CompareCode::Ok);
  doc.FinishCompare();
  EXPECT_FALSE(doc.IsLoaded(0));
  EXPECT_EQ(doc.Save(0, right), kErrorAccessDenied);
  EXPECT_EQ(dir.Read("r.txt"), "one\r\n");

  const std::vector<std::pair<DocumentChange, int>> expected = {
      {DocumentChange::Compared, -1},
      {DocumentChange::ModifiedState, 0},
      {DocumentChange::Saved, 0},
      {DocumentChange::Compared, -1}};
  EXPECT_EQ(view.heard, expected);
}

TEST(CompareDocument, SwapCarriesEverythingOfASideAlong) {
  TempFolder dir;
  const std::string left = dir.Write("l.txt", "l1\nl2\n"), right = dir.Write("r.txt", "r1\r\n");
  CompareDocument doc;
  ASSERT_EQ(doc.Compare(left, right, {}, nullptr).code, CompareCode::Ok);
  doc.FinishCompare();
  doc.MarkEdited(0);
  RecordingView quiet, leaving;
  leaving.leaveFrom = &doc;
  doc.AddView(&leaving);
  doc.AddView(&quiet);
  doc.SwapSides();
  EXPECT_EQ(Text(doc.Doc(0)), "r1\n");
  EXPECT_EQ(Text(doc.Doc(1)), "l1\nl2\n");
  EXPECT_EQ(doc.FilePath(1), left);
  EXPECT_EQ(doc.State().side[1].format, LineFormat::Unix);
  EXPECT_FALSE(doc.IsModified(0));
  EXPECT_TRUE(doc.IsModified(1));
  EXPECT_EQ(doc.CheckDisk(1), DiskState::Unchanged);
  // A view that leaves while it is told does not stop the others hearing.
  EXPECT_EQ(quiet.heard.size(), 1u);
  doc.SwapSides();
  EXPECT_EQ(leaving.heard.size(), 1u);
  EXPECT_EQ(quiet.heard.size(), 2u);
}

}  // namespace
}  // namespace qm
