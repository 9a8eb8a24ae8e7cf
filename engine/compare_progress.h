// CompareProgress: what a comparison running on a worker is doing, for the
// progress dialog to show. The worker writes it, the user-interface thread
// reads it on a timer; each field is atomic on its own and a reader may see
// a stage a moment late, which only delays what it shows.
#pragma once

#include <atomic>
#include <cstdint>

namespace qm {

enum class CompareStage : uint32_t {
  Starting = 0,
  Reading = 1,    // both files are read; bytesRead of bytesTotal so far
  Comparing = 2,  // the line search
  Refining = 3,   // the rows laid out, changed lines compared character by character
};

struct CompareProgress {
  std::atomic<uint32_t> stage{0};
  std::atomic<uint64_t> bytesRead{0};
  std::atomic<uint64_t> bytesTotal{0};  // grows as each file's size is known

  void Enter(CompareStage s) { stage.store(static_cast<uint32_t>(s), std::memory_order_relaxed); }
  CompareStage Stage() const {
    return static_cast<CompareStage>(stage.load(std::memory_order_relaxed));
  }
  void Reset() {
    Enter(CompareStage::Starting);
    bytesRead.store(0, std::memory_order_relaxed);
    bytesTotal.store(0, std::memory_order_relaxed);
  }
};

// Adds to a counter of progress, when there is one.
inline void AddProgress(std::atomic<uint64_t>* counter, uint64_t bytes) {
  if (counter) counter->fetch_add(bytes, std::memory_order_relaxed);
}

}  // namespace qm
