// Times the re-alignment that follows every edit: LocalRecompare after a
// one-line edit in the middle of a large comparison (1 % of the lines
// changed), as the text pane runs it after typing or a merge.
//
// Cases, each at 100 thousand and 1 million lines:
//   SameLayout   a byte of a changed row's line is replaced: the row stays a
//                changed row, so the layout is kept (result 0 or 1).
//   NewLine      a line is inserted before an unchanged line, and removed
//                again on the next iteration: one row more or less
//                (result 2: the list is renumbered and recounted).
//   TypeChar     a character is typed into a changed row's line and removed
//                again: every later row's offset shifts, the layout stays.
// The *Recompare cases time LocalRecompare alone; the *Edit cases time the
// whole edit as the pane does it (document change, ShiftOffsets,
// LocalRecompare).
#include <benchmark/benchmark.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <chrono>
#include <ctime>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "bench/pair_text.h"
#include "engine/compare_state.h"
#include "engine/diff_list.h"

namespace {

// Wall time is what the user waits; the thread's CPU time is what the same
// work costs on an idle machine (benchmarks here share a loaded one). Both
// are taken over the same span: the wall time becomes the iteration time,
// the CPU time the "cpu_us" counter.
class Stopwatch {
public:
  void Start() {
    wall_ = std::chrono::steady_clock::now();
    cpu_ = ThreadCpu();
  }
  // Ends the span: records it in st and adds its CPU time to *cpuTotal.
  void Stop(benchmark::State& st, double* cpuTotal) const {
    st.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_).count());
    *cpuTotal += ThreadCpu() - cpu_;
  }

private:
  static double ThreadCpu() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
  }
  std::chrono::steady_clock::time_point wall_;
  double cpu_ = 0;
};

void ReportCpu(benchmark::State& st, double cpuTotal) {
  st.counters["cpu_us"] =
      benchmark::Counter(cpuTotal * 1e6, benchmark::Counter::kAvgIterations);
}

struct Comparison {
  qm::CompareState state;
  qm::CompareOptions options;
  int32_t changedRow = -1;  // a changed row near the middle
  uint32_t changedByte = 0; // a byte inside its left line, not the LF
  int32_t sameRow = -1;     // an unchanged row near the middle, unchanged rows around it
};

qm::DiffList& List(Comparison& c) { return *c.state.list; }
qm::TextDoc& LeftDoc(Comparison& c) { return c.state.side[0].doc; }

bool FillDoc(qm::TextDoc& doc, const std::string& text) {
  return doc.Insert(0, text.data(), static_cast<uint32_t>(text.size()));
}

// Both sides from the generator; the generated lines are freed on return.
bool FillDocs(const qm::bench::PairOptions& options, qm::CompareState& state) {
  qm::bench::TextPair pair = qm::bench::MakePair(options);
  return FillDoc(state.side[0].doc, qm::bench::JoinLines(pair.left, false, true)) &&
         FillDoc(state.side[1].doc, qm::bench::JoinLines(pair.right, false, true));
}

// The comparison of one size, built on first use and shared by the cases.
Comparison* ComparisonOf(size_t lines, std::string* error) {
  static std::map<size_t, std::unique_ptr<Comparison>> cache;
  std::unique_ptr<Comparison>& slot = cache[lines];
  if (slot)
    return slot.get();

  auto c = std::make_unique<Comparison>();
  qm::bench::PairOptions pairOptions;
  pairOptions.lines = lines;
  pairOptions.changePercent = 1;
  pairOptions.seed = 302;
  if (!FillDocs(pairOptions, c->state)) {
    *error = "cannot fill the documents";
    return nullptr;
  }
  // Freeing the generated lines left glibc's allocator millions of small
  // free blocks that the next allocation of some size merges first: a cost
  // of this set-up (hundreds of milliseconds), not of the re-alignment, so it
  // is paid here, untimed. (The Windows heap merges as it frees.)
#if defined(__GLIBC__)
  malloc_trim(0);
#endif
  c->state.side[0].format = qm::LineFormat::Unix;
  c->state.side[1].format = qm::LineFormat::Unix;
  qm::CompareResult result;
  qm::CompareSettings settings;
  qm::CancelFlag cancel{0};
  BuildDiffList(c->state, result, settings, &cancel);
  if (result.code != qm::CompareCode::Ok) {
    *error = "comparison failed";
    return nullptr;
  }

  qm::DiffList& list = List(*c);
  const qm::TextDoc& left = LeftDoc(*c);
  const int32_t middle = list.RowCount() / 2;
  for (int32_t row = middle; row < list.RowCount() && c->changedRow < 0; ++row) {
    if (list.Kind(row) == qm::RowKind::Changed && list.RowTextLength(0, row, left) >= 8) {
      c->changedRow = row;
      c->changedByte = list.Row(row).leftOffset + list.RowTextLength(0, row, left) / 2;
    }
  }
  for (int32_t row = middle; row + 1 < list.RowCount() && c->sameRow < 0; ++row) {
    if (list.Kind(row - 1) == qm::RowKind::Same && list.Kind(row) == qm::RowKind::Same &&
        list.Kind(row + 1) == qm::RowKind::Same)
      c->sameRow = row;
  }
  if (c->changedRow < 0 || c->sameRow < 0) {
    *error = "no changed or unchanged row after the middle";
    return nullptr;
  }
  slot = std::move(c);
  return slot.get();
}

Comparison* Setup(benchmark::State& st) {
  std::string error;
  Comparison* c = ComparisonOf(static_cast<size_t>(st.range(0)), &error);
  if (!c)
    st.SkipWithError(error.c_str());
  return c;
}

// Flips a byte between its own value and another letter; the line keeps its
// length, so no offset moves.
void SameLayout(benchmark::State& st, bool wholeEdit) {
  Comparison* c = Setup(st);
  if (!c)
    return;
  qm::TextDoc& doc = LeftDoc(*c);
  const char original = static_cast<char>(doc.ByteAt(c->changedByte));
  const char other = original == 'q' ? 'z' : 'q';
  bool flipped = false;
  double cpu = 0;
  Stopwatch watch;
  for (auto _ : st) {
    watch.Start();
    flipped = !flipped;
    doc.SetByte(c->changedByte, flipped ? other : original);
    if (!wholeEdit)
      watch.Start();
    int result = LocalRecompare(c->state, c->changedRow, c->changedRow, c->options);
    watch.Stop(st, &cpu);
    if (result == 2) {
      st.SkipWithError("the edit changed the layout");
      break;
    }
  }
  ReportCpu(st, cpu);
  if (flipped)
    doc.SetByte(c->changedByte, original);
  LocalRecompare(c->state, c->changedRow, c->changedRow, c->options);
}

// Inserts text at offset, or removes it again, the way the pane does:
// change the document, shift the offsets of the rows after the edited row,
// re-align. Returns LocalRecompare's result.
int EditAt(Comparison& c, int32_t row, uint32_t offset, const std::string& text, bool insert,
           Stopwatch* recompareWatch) {
  const uint32_t n = static_cast<uint32_t>(text.size());
  if (insert)
    LeftDoc(c).Insert(offset, text.data(), n);
  else
    LeftDoc(c).Delete(offset, n);
  List(c).ShiftOffsets(0, row + 1, insert ? int64_t{n} : -int64_t{n});
  if (recompareWatch)
    recompareWatch->Start();
  // A removed line leaves its row empty until the re-alignment drops it,
  // so the rows touched are that row and the next.
  return LocalRecompare(c.state, row, insert ? row : row + 1, c.options);
}

void InsertAndRemove(benchmark::State& st, int32_t row, uint32_t offset, const std::string& text,
                     int expected, bool wholeEdit) {
  Comparison* c = Setup(st);
  if (!c)
    return;
  bool inserted = false;
  double cpu = 0;
  Stopwatch watch;
  for (auto _ : st) {
    watch.Start();
    inserted = !inserted;
    int result = EditAt(*c, row, offset, text, inserted, wholeEdit ? nullptr : &watch);
    watch.Stop(st, &cpu);
    if ((expected == 2) != (result == 2)) {
      st.SkipWithError(expected == 2 ? "the layout did not change" : "the layout changed");
      break;
    }
  }
  ReportCpu(st, cpu);
  if (inserted)
    EditAt(*c, row, offset, text, false, nullptr);
}

void NewLine(benchmark::State& st, bool wholeEdit) {
  Comparison* c = Setup(st);
  if (!c)
    return;
  InsertAndRemove(st, c->sameRow, List(*c).Row(c->sameRow).leftOffset,
                  "    inserted_line = bench_marker(7);\n", 2, wholeEdit);
}

void TypeChar(benchmark::State& st, bool wholeEdit) {
  Comparison* c = Setup(st);
  if (!c)
    return;
  InsertAndRemove(st, c->changedRow, c->changedByte, "q", 0, wholeEdit);
}

void BM_SameLayoutRecompare(benchmark::State& st) { SameLayout(st, false); }
void BM_SameLayoutEdit(benchmark::State& st) { SameLayout(st, true); }
void BM_NewLineRecompare(benchmark::State& st) { NewLine(st, false); }
void BM_NewLineEdit(benchmark::State& st) { NewLine(st, true); }
void BM_TypeCharRecompare(benchmark::State& st) { TypeChar(st, false); }
void BM_TypeCharEdit(benchmark::State& st) { TypeChar(st, true); }

}  // namespace

#define QM_RECOMPARE_CASE(fn) \
  BENCHMARK(fn)->Arg(100000)->Arg(1000000)->UseManualTime()->Unit(benchmark::kMicrosecond)
QM_RECOMPARE_CASE(BM_SameLayoutRecompare);
QM_RECOMPARE_CASE(BM_SameLayoutEdit);
QM_RECOMPARE_CASE(BM_NewLineRecompare);
QM_RECOMPARE_CASE(BM_NewLineEdit);
QM_RECOMPARE_CASE(BM_TypeCharRecompare);
QM_RECOMPARE_CASE(BM_TypeCharEdit);

BENCHMARK_MAIN();
