// Edits, merges, undo and redo of a CompareDocument against a plain model:
// each side a std::string, the history a list of whole-text snapshots with a
// version per side. After every step the texts match the model, the rows
// keep every list invariant, and undoing everything gives back the texts.
#include <gtest/gtest.h>

#include <initializer_list>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "engine/compare_state.h"
#include "engine_test_util.h"
#include "list_check.h"
#include "textwin/compare_document.h"

namespace qm {
namespace {

std::string Text(const TextDoc& doc) { return test::Text(doc, 0, doc.Length()); }

void Load(CompareDocument& doc, const std::string& left, const std::string& right) {
  CompareState& state = doc.State();
  const std::string texts[2] = {left, right};
  for (int side = 0; side < 2; ++side) {
    state.side[side].doc.Clear();
    state.side[side].doc.Insert(0, texts[side].data(), static_cast<uint32_t>(texts[side].size()));
    state.side[side].encoding = TextEncoding::Utf8;
  }
  CompareResult result;
  BuildDiffList(state, result, doc.Options(), nullptr);
  doc.History().Clear();
}

void ExpectAligned(const CompareDocument& doc, const std::string& where) {
  const TextDoc* docs[2] = {&doc.Doc(0), &doc.Doc(1)};
  test::CheckList(doc.List(), docs, doc.Options().options, where);
}

// The reference: snapshots of both texts, newest last, with a version per
// side that changes whenever a step edits that side.
struct Model {
  struct Snapshot {
    std::string text[2];
    uint32_t version[2];
  };
  std::vector<Snapshot> states;
  size_t current = 0;
  uint32_t saved[2] = {0, 0};
  uint32_t nextVersion = 1;

  void Reset(const std::string& left, const std::string& right) {
    states = {{{left, right}, {0, 0}}};
    current = 0;
    saved[0] = saved[1] = 0;
  }
  const Snapshot& Now() const { return states[current]; }
  void Edit(int side, const std::string& text) {
    Snapshot next = Now();
    next.text[side] = text;
    next.version[side] = nextVersion++;
    states.resize(current + 1);
    states.push_back(next);
    if (states.size() > EditHistory::kMaxRecords + 1) states.erase(states.begin());
    current = states.size() - 1;
  }
  bool Modified(int side) const { return Now().version[side] != saved[side]; }
};

bool OnBoundary(const std::string& text, uint32_t offset) {
  return offset >= text.size() || (static_cast<unsigned char>(text[offset]) & 0xC0) != 0x80;
}

// What a copy of the source text into [start, end) of target gives: the
// copied lines stay lines of their own.
std::string CopiedInto(const std::string& target, uint32_t start, uint32_t end,
                       std::string source) {
  std::string rest = target.substr(0, start) + target.substr(end);
  if (start == rest.size() && start > 0 && rest[start - 1] != '\n') {
    source = "\n" + source;
  } else if (start != rest.size() && (source.empty() || source.back() != '\n')) {
    source += "\n";
  }
  return rest.insert(start, source);
}

class Sequence {
public:
  explicit Sequence(uint32_t seed) : rng_(seed) {}
  uint32_t Below(uint32_t n) { return n == 0 ? 0 : static_cast<uint32_t>(rng_() % n); }
  std::string Piece() {
    static const char* const pool[] = {
        "a", "b\n", "\n", "ab\nc", "\xC3\xA9", "x\xE6\x97\xA5\n", "same\n", "long line\n"};
    return pool[Below(std::size(pool))];
  }
  std::string Text() {
    std::string text;
    for (uint32_t i = Below(10); i > 0; --i) text += Piece();
    return text;
  }

private:
  std::mt19937 rng_;
};

// One random step on both the document and the model; returns its name.
std::string Step(CompareDocument& doc, Model& model, Sequence& gen) {
  const int side = static_cast<int>(gen.Below(2));
  const std::string& text = model.Now().text[side];
  const uint32_t length = static_cast<uint32_t>(text.size());
  const uint32_t at = gen.Below(length + 1);
  const int32_t row = static_cast<int32_t>(gen.Below(static_cast<uint32_t>(doc.List().RowCount())));
  switch (gen.Below(12)) {
    case 0:
    case 1: {
      const std::string piece = gen.Piece();
      EXPECT_EQ(doc.InsertText(side, at, piece), OnBoundary(text, at));
      if (OnBoundary(text, at)) model.Edit(side, std::string(text).insert(at, piece));
      return "insert";
    }
    case 2: {
      const uint32_t n = std::min<uint32_t>(1 + gen.Below(5), length - at);
      const bool ok = n > 0 && OnBoundary(text, at) && OnBoundary(text, at + n);
      EXPECT_EQ(doc.DeleteText(side, at, n), ok);
      if (ok) model.Edit(side, std::string(text).erase(at, n));
      return "delete";
    }
    case 3: {
      const uint32_t n = std::min<uint32_t>(gen.Below(4), length - at);
      const std::string piece = gen.Piece();
      const bool ok = OnBoundary(text, at) && OnBoundary(text, at + n);
      EXPECT_EQ(doc.ReplaceRange(side, at, n, piece), ok);
      if (ok) model.Edit(side, std::string(text).replace(at, n, piece));
      return "replace";
    }
    case 4: {
      const uint32_t n = std::min<uint32_t>(gen.Below(4), length - at);
      if (n == 0 || !OnBoundary(text, at) || !OnBoundary(text, at + n)) return "none";
      const std::string moved = text.substr(at, n);
      std::string rest = std::string(text).erase(at, n);
      const uint32_t to = gen.Below(static_cast<uint32_t>(rest.size()) + 1);
      const bool ok = OnBoundary(rest, to);
      EXPECT_EQ(doc.DropText(side, to, moved, at), ok);
      if (ok) model.Edit(side, rest.insert(to, moved.back() == '\n' ? moved : moved + "\n"));
      return "move";
    }
    case 5:
    case 6: {
      const bool line = gen.Below(2) == 0;
      const DiffBlock block = doc.List().BlockAt(row, !line);
      const bool can = doc.CanCopy(side, row);
      const int from = 1 - side;
      const uint32_t start = side == 0 ? block.leftStart : block.rightStart;
      const uint32_t end =
          block.kind == RowKind::Changed ? (side == 0 ? block.leftEnd : block.rightEnd) : start;
      const uint32_t fromStart = from == 0 ? block.leftStart : block.rightStart;
      const uint32_t fromEnd = from == 0 ? block.leftEnd : block.rightEnd;
      const std::string source = model.Now().text[from].substr(fromStart, fromEnd - fromStart);
      const std::string expected = CopiedInto(text, start, end, source);
      const bool ok = line ? doc.CopyLine(side, row) : doc.CopyDifference(side, row);
      // Refused only when impossible or when there is nothing to copy.
      EXPECT_TRUE(ok ? can : !can || expected == text);
      if (ok) model.Edit(side, expected);
      return line ? "copy line" : "copy difference";
    }
    case 7: {
      const bool line = gen.Below(2) == 0;
      const DiffBlock block = doc.List().BlockAt(row, !line);
      const uint32_t start = side == 0 ? block.leftStart : block.rightStart;
      const uint32_t end = side == 0 ? block.leftEnd : block.rightEnd;
      const bool can = doc.CanDelete(side, row) && end > start;
      const bool ok = line ? doc.DeleteLine(side, row) : doc.DeleteDifference(side, row);
      EXPECT_EQ(ok, can);
      if (ok) model.Edit(side, std::string(text).erase(start, end - start));
      return line ? "delete line" : "delete difference";
    }
    case 8:
    case 9: {
      const bool can = model.current > 0;
      EXPECT_EQ(doc.CanUndo(), can);
      EXPECT_EQ(doc.Undo().done, can);
      if (can) --model.current;
      return "undo";
    }
    case 10: {
      const bool can = model.current + 1 < model.states.size();
      EXPECT_EQ(doc.CanRedo(), can);
      EXPECT_EQ(doc.Redo().done, can);
      if (can) ++model.current;
      return "redo";
    }
    default:
      if (gen.Below(4) == 0) {
        // Replace: a fresh history in which only the replaced side may be
        // modified, and it is unless the write succeeded.
        const bool written = gen.Below(2) == 0;
        EXPECT_EQ(doc.ReplaceSide(side, [&](int) { return written ? 0u : kErrorAccessDenied; }),
                  written ? 0u : kErrorAccessDenied);
        Model::Snapshot only = {{model.Now().text[0], model.Now().text[1]}, {0, 0}};
        only.text[side] = only.text[1 - side];
        only.version[side] = model.nextVersion++;
        model.states = {only};
        model.current = 0;
        model.saved[0] = model.saved[1] = 0;
        if (written) model.saved[side] = only.version[side];
        return "replace side";
      }
      if (gen.Below(2) == 0) {
        doc.History().MarkSaved(side);
        model.saved[side] = model.Now().version[side];
        return "save";
      }
      doc.SwapSides();
      for (Model::Snapshot& s : model.states) {
        std::swap(s.text[0], s.text[1]);
        std::swap(s.version[0], s.version[1]);
      }
      std::swap(model.saved[0], model.saved[1]);
      return "swap";
  }
}

TEST(EditSequences, FollowAStringModelAndUndoBackToTheStart) {
  Sequence gen(4711);
  for (int round = 0; round < 150; ++round) {
    CompareDocument doc;
    Model model;
    const std::string start[2] = {gen.Text(), gen.Text()};
    Load(doc, start[0], start[1]);
    model.Reset(start[0], start[1]);
    for (int step = 0; step < 60; ++step) {
      const std::string name = Step(doc, model, gen);
      const std::string where =
          "round " + std::to_string(round) + " step " + std::to_string(step) + " " + name;
      for (int side = 0; side < 2; ++side) {
        ASSERT_EQ(Text(doc.Doc(side)), model.Now().text[side]) << where << " side " << side;
        ASSERT_EQ(doc.IsModified(side), model.Modified(side)) << where << " side " << side;
      }
      ExpectAligned(doc, where);
      if (HasFailure()) {
        ADD_FAILURE() << where;
        return;
      }
    }
    while (doc.CanUndo()) ASSERT_TRUE(doc.Undo().done);
    for (int side = 0; side < 2; ++side) {
      EXPECT_EQ(Text(doc.Doc(side)), model.states.front().text[side]) << "round " << round;
    }
    ExpectAligned(doc, "round " + std::to_string(round) + " undone");
  }
}

// Lays the rows out by hand, for layouts a fresh comparison does not make
// but edits can leave behind. Each row: kind, left offset, right offset.
void SetRows(CompareDocument& doc,
             std::initializer_list<std::tuple<RowKind, uint32_t, uint32_t>> rows) {
  DiffList& list = *doc.State().list;
  list.ClearRows();
  for (const auto& [kind, left, right] : rows) list.AppendRow(kind, left, right);
  list.NumberRows();
  list.CountDifferences();
  ExpectAligned(doc, "laid out");
}

TEST(MergeEdges, CopyToTheEndOfATextWithoutFinalLineFeedAddsOneAndUndoTakesItBack) {
  CompareDocument doc;
  Load(doc, "a\nnew\n", "a\nb");
  SetRows(doc, {{RowKind::Same, 0, 0}, {RowKind::RightOnly, 2, 2}, {RowKind::LeftOnly, 2, 3}});
  ASSERT_TRUE(doc.CopyDifference(1, 2));
  EXPECT_EQ(Text(doc.Doc(1)), "a\nb\nnew\n");
  ExpectAligned(doc, "copied");
  ASSERT_TRUE(doc.Undo().done);
  EXPECT_EQ(Text(doc.Doc(1)), "a\nb");
  EXPECT_FALSE(doc.IsModified(1));
  ExpectAligned(doc, "undone");
}

TEST(MergeEdges, CopyOfALastLineWithoutLineFeedIntoTheMiddleGetsOne) {
  CompareDocument doc;
  Load(doc, "a\nlast", "a\nb\n");
  SetRows(doc, {{RowKind::Same, 0, 0}, {RowKind::LeftOnly, 2, 2}, {RowKind::RightOnly, 6, 2}});
  ASSERT_TRUE(doc.CopyLine(1, 1));
  EXPECT_EQ(Text(doc.Doc(1)), "a\nlast\nb\n");
  ExpectAligned(doc, "copied");
  ASSERT_TRUE(doc.Undo().done);
  EXPECT_EQ(Text(doc.Doc(1)), "a\nb\n");
}

TEST(EditRealignment, ACharacterThatLeavesTheLayoutKeepsCountsAndLineNumbers) {
  CompareDocument doc;
  Load(doc, "same\nleft line\nend\n", "same\nright line\nend\n");
  const std::string kinds = test::Kinds(doc.List());
  const int32_t diffs = doc.List().diffCount;
  ASSERT_TRUE(doc.InsertText(0, 1, "a"));  // "saame" against "same": a new difference
  EXPECT_EQ(doc.LastRealignment(), 2);
  ASSERT_TRUE(doc.Undo().done);
  EXPECT_EQ(doc.LastRealignment(), 2);
  ASSERT_TRUE(doc.InsertText(0, 5, "x"));  // inside the changed line
  EXPECT_GE(doc.LastRealignment(), 0);
  EXPECT_LE(doc.LastRealignment(), 1);
  EXPECT_EQ(test::Kinds(doc.List()), kinds);
  EXPECT_EQ(doc.List().diffCount, diffs);
  for (int32_t r = 0; r < doc.List().RowCount(); ++r) {
    EXPECT_EQ(doc.List().Row(r).leftLine, r) << "row " << r;
  }
}

TEST(MergeEdges, DeleteDifferenceOnUnchangedRowsTakesTheWholeRun) {
  CompareDocument doc;
  Load(doc, "x\ns1\ns2\ns3\ny\n", "z\ns1\ns2\ns3\nw\n");
  ASSERT_EQ(doc.List().Kind(2), RowKind::Same);
  ASSERT_TRUE(doc.DeleteDifference(0, 2));
  EXPECT_EQ(Text(doc.Doc(0)), "x\ny\n");
  ExpectAligned(doc, "deleted");
}

TEST(MergeEdges, NothingChangesOnAReadOnlySideOrInsideACharacter) {
  CompareDocument doc;
  Load(doc, "\xC3\xA9t\xC3\xA9\n", "b\n");
  EXPECT_FALSE(doc.InsertText(0, 1, "x"));
  EXPECT_FALSE(doc.DeleteText(0, 0, 1));
  doc.State().side[1].readOnly = true;
  EXPECT_FALSE(doc.InsertText(1, 0, "x"));
  EXPECT_FALSE(doc.CopyDifference(1, 0));
  EXPECT_FALSE(doc.CanDelete(1, 0));
  EXPECT_FALSE(doc.CanUndo());
  EXPECT_EQ(Text(doc.Doc(0)), "\xC3\xA9t\xC3\xA9\n");
}

TEST(HistoryEdges, TheOldestRecordGoesAtTheLimitAndTheSideStaysModified) {
  CompareDocument doc;
  Load(doc, "", "");
  for (size_t i = 0; i <= EditHistory::kMaxRecords; ++i) ASSERT_TRUE(doc.InsertText(0, 0, "a"));
  EXPECT_EQ(doc.History().RecordCount(), EditHistory::kMaxRecords);
  for (size_t i = 0; i < EditHistory::kMaxRecords; ++i) ASSERT_TRUE(doc.Undo().done);
  EXPECT_FALSE(doc.CanUndo());
  EXPECT_EQ(Text(doc.Doc(0)), "a");
  EXPECT_TRUE(doc.IsModified(0));
}

TEST(HistoryEdges, UndoPastASaveIsModifiedAgainAndRedoBackIsNot) {
  CompareDocument doc;
  Load(doc, "a\n", "a\n");
  ASSERT_TRUE(doc.InsertText(0, 0, "x"));
  doc.History().MarkSaved(0);
  EXPECT_FALSE(doc.IsModified(0));
  ASSERT_TRUE(doc.Undo().done);
  EXPECT_TRUE(doc.IsModified(0));
  ASSERT_TRUE(doc.Redo().done);
  EXPECT_FALSE(doc.IsModified(0));
  ASSERT_TRUE(doc.Undo().done);
  ASSERT_TRUE(doc.InsertText(1, 0, "y"));
  EXPECT_FALSE(doc.CanRedo());
  // A change no record describes leaves nothing that could be undone.
  doc.MarkEdited(0);
  EXPECT_FALSE(doc.CanUndo());
  EXPECT_TRUE(doc.IsModified(0));
}

struct CountingView : DocumentView {
  int edited = 0;
  std::vector<int> modifiedSides;
  void OnDocumentChanged(DocumentChange change, int side) override {
    if (change == DocumentChange::Edited) ++edited;
    if (change == DocumentChange::ModifiedState) modifiedSides.push_back(side);
  }
};

TEST(HistoryEdges, ViewsHearEachEditAndEachFlipOfTheModifiedState) {
  CompareDocument doc;
  Load(doc, "a\n", "b\n");
  CountingView view;
  doc.AddView(&view);
  ASSERT_TRUE(doc.InsertText(1, 0, "x"));
  ASSERT_TRUE(doc.InsertText(1, 0, "y"));
  ASSERT_TRUE(doc.Undo().done);
  ASSERT_TRUE(doc.Undo().done);
  EXPECT_FALSE(doc.Undo().done);
  EXPECT_EQ(view.edited, 4);
  EXPECT_EQ(view.modifiedSides, (std::vector<int>{1, 1}));
  doc.RemoveView(&view);
}

TEST(HistoryEdges, UndoAfterSwitchSidesUndoesWhereTheTextNowIs) {
  CompareDocument doc;
  Load(doc, "left\n", "right\n");
  ASSERT_TRUE(doc.InsertText(0, 4, "!", {0, 5, 5}));
  doc.SwapSides();
  EXPECT_TRUE(doc.IsModified(1));
  const EditOutcome undone = doc.Undo();
  ASSERT_TRUE(undone.done);
  EXPECT_EQ(undone.editedSide, 1);
  EXPECT_EQ(undone.activeSide, 1);
  EXPECT_EQ(Text(doc.Doc(1)), "left\n");
  EXPECT_EQ(Text(doc.Doc(0)), "right\n");
  EXPECT_FALSE(doc.IsModified(1));
  ExpectAligned(doc, "undone");
}

TEST(ReplaceSide, AFailedWriteLeavesTheReplacedSideModified) {
  CompareDocument doc;
  Load(doc, "l1\nl2\n", "r1\n");
  ASSERT_TRUE(doc.InsertText(1, 0, "x"));
  EXPECT_EQ(doc.ReplaceSide(1, [](int) { return kErrorAccessDenied; }), kErrorAccessDenied);
  EXPECT_EQ(Text(doc.Doc(1)), "l1\nl2\n");
  EXPECT_TRUE(doc.IsModified(1)) << "the replaced text is on no disk";
  EXPECT_FALSE(doc.IsModified(0));
  EXPECT_FALSE(doc.CanUndo());
  EXPECT_EQ(doc.List().RowCount(), 2);
  EXPECT_EQ(doc.List().diffCount, 0);
  ExpectAligned(doc, "replaced");
  // Never loaded from a file: the document's own write refuses it too.
  EXPECT_NE(doc.ReplaceSide(0), 0u);
  EXPECT_TRUE(doc.IsModified(0));

  int written = -1;
  EXPECT_EQ(doc.ReplaceSide(0,
                            [&](int side) {
                              written = side;
                              return 0u;
                            }),
            0u);
  EXPECT_EQ(written, 0);
  EXPECT_FALSE(doc.IsModified(0));
}

}  // namespace
}  // namespace qm
