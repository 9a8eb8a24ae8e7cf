// Myers' O(ND) difference search in its linear-space form, shared by the
// line comparison (over line class ids) and the character comparison (over
// bytes). Engine-internal.
//
// The caller provides both sequences, the diagonal vectors (one block of
// 2 * (n + m + 3) i32) and zeroed change flags (n + 1 and m + 1 bytes).
// Compare marks every element that is not part of the common subsequence it
// finds; the script is always a shortest one. The cancel flag is polled at
// every recursion and at every pass of the middle-snake search, so even one
// huge search stops promptly. A search may also be given a work budget (the
// diagonals its passes sweep): once that is spent it stops as if cancelled,
// and the caller, seeing the budget spent, takes another road.
#pragma once

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <type_traits>
#include <vector>

#include "engine/diff_engine.h"
#include "engine/platform.h"
#include "engine/run_both.h"

namespace qm {

// Two byte strings compared byte by byte.
struct ByteSequences {
  const uint8_t* a;
  const uint8_t* b;
  bool Same(int32_t x, int32_t y) const { return a[x] == b[y]; }
  bool Prefetching() const { return false; }
  void Prefetch(int32_t, int32_t) const {}
};

// Two sequences of line class ids. Most comparisons of a search are between
// lines far apart in memory, so when the ids outgrow the cache (prefetch)
// it asks for them ahead of time.
struct LineSequences {
  const uint32_t* a;
  const uint32_t* b;
  bool prefetch;
  bool Same(int32_t x, int32_t y) const { return a[x] == b[y]; }
  bool Prefetching() const { return prefetch; }
  void Prefetch(int32_t x, int32_t y) const {
    __builtin_prefetch(a + x);
    __builtin_prefetch(b + y);
  }
};

// The two diagonal vectors of a search over a[xoff, xlim) against
// b[yoff, ylim), in one block: diagonals xoff - ylim - 1 .. xlim - yoff + 1
// in each, 2 * (n + m + 3) values for the whole of n and m elements. The
// block is left uninitialised: a search writes every diagonal before it
// reads it, and it reaches only the diagonals within its number of edits of
// the middle ones, so most of a large block is never touched (and never
// given memory by the system).
struct DiagonalStorage {
  std::unique_ptr<int32_t[]> block;
  size_t capacity = 0;
  int32_t* fd = nullptr;
  int32_t* bd = nullptr;

  // Throws std::bad_alloc.
  void Allocate(int32_t xoff, int32_t yoff, int32_t xlim, int32_t ylim) {
    const size_t size = static_cast<size_t>(xlim - xoff) + static_cast<size_t>(ylim - yoff) + 3;
    if (2 * size > capacity) {
      block.reset();
      block.reset(new int32_t[2 * size]);
      capacity = 2 * size;
      AdviseLargeBuffer(block.get(), capacity * sizeof(int32_t));
    }
    const int32_t low = xoff - ylim - 1;  // the lowest diagonal, at entry 0
    fd = block.get() - low;
    bd = block.get() + size - low;
  }
};

// The work a search may do, in diagonals swept by its passes: one
// allowance that the searches of both threads draw from.
class WorkBudget {
public:
  explicit WorkBudget(int64_t units) : left_(units) {}
  bool Spent() const { return left_.load(std::memory_order_relaxed) < 0; }
  // Draws units; false once the allowance is overdrawn.
  bool Draw(int64_t units) {
    return left_.fetch_sub(units, std::memory_order_relaxed) - units >= 0;
  }

private:
  std::atomic<int64_t> left_;
};

template <typename Sequences>
class MyersSearch {
public:
  // diagonals covers the whole range that Compare will be asked about;
  // budget may be null (no limit).
  MyersSearch(const Sequences& seq, const DiagonalStorage& diagonals, uint8_t* changedA,
              uint8_t* changedB, const CancelFlag* cancel, WorkBudget* budget = nullptr)
      : seq_(seq), fd_(diagonals.fd), bd_(diagonals.bd), changedA_(changedA),
        changedB_(changedB), cancel_(cancel), budget_(budget) {}

  // Compares a[xoff, xlim) with b[yoff, ylim). False when cancelled.
  bool Compare(int32_t xoff, int32_t yoff, int32_t xlim, int32_t ylim) {
    for (;;) {
      int32_t xmid = 0;
      int32_t ymid = 0;
      const Step step = Split(&xoff, &yoff, &xlim, &ylim, &xmid, &ymid);
      if (step != Step::Split) return step == Step::Done;
      if (!Compare(xoff, yoff, xmid, ymid)) return false;
      // The second half as a loop: the same order as a second recursion.
      xoff = xmid;
      yoff = ymid;
    }
  }

  // Compare, with the forward and backward searches of the first middle
  // snake and then the two halves of the first split searched at the same
  // time on two threads (the second half with diagonal storage of its own).
  // Every pass reads exactly what it reads in Compare and the halves touch
  // disjoint flags, so the result is exactly Compare's.
  // Throws std::bad_alloc.
  bool CompareOnTwoThreads(int32_t xoff, int32_t yoff, int32_t xlim, int32_t ylim) {
    int32_t xmid = 0;
    int32_t ymid = 0;
    const Step step = Split(&xoff, &yoff, &xlim, &ylim, &xmid, &ymid, true);
    if (step != Step::Split) return step == Step::Done;
    DiagonalStorage own;
    own.Allocate(xmid, ymid, xlim, ylim);
    MyersSearch second(seq_, own, changedA_, changedB_, cancel_, budget_);
    bool firstDone = false;
    bool secondDone = false;
    RunBoth(
        true, [&] { firstDone = Compare(xoff, yoff, xmid, ymid); },
        [&] { secondDone = second.Compare(xmid, ymid, xlim, ylim); });
    return firstDone && secondDone;
  }

  // Makes a search on two threads go on alone after the given forward
  // pass of its first wide middle snake, as it does on a busy machine.
  void GoAloneAfterPassForTesting(int32_t pass) { aloneAfterPass_ = pass; }

private:
  static constexpr int32_t kMax = 2147483647;
  // How many diagonals ahead the search prefetches the lines it will compare.
  static constexpr int32_t kAhead = 16;
  // A middle snake goes on two threads once its passes sweep this many
  // diagonals: below that, waiting for each other costs more than a pass.
  static constexpr int32_t kTwoThreadWidth = 4096;
  // A side of a search on two threads may sleep this long in all before it
  // asks whether it would be faster alone.
  static constexpr int64_t kAloneAfterNs = 2000000;

  // Passes add up their work locally and draw it from the budget in
  // portions of this size, so the two threads rarely touch the shared count.
  static constexpr int64_t kDrawPortion = 1 << 16;

  // Cancelled, or the budget spent.
  bool Cancelled() const {
    return (cancel_ && cancel_->load(std::memory_order_relaxed) != 0) ||
           (budget_ && budget_->Spent());
  }

  // Draws work from the budget; false when it is overdrawn.
  bool Draw(int64_t units) const { return !budget_ || budget_->Draw(units); }

  enum class Step { Done, Cancelled, Split };

  // One level of the divide and conquer: strips the common prefix and
  // suffix, marks a range that is left on one side only, else finds the
  // middle snake (xmid, ymid) to split at.
  Step Split(int32_t* xoffp, int32_t* yoffp, int32_t* xlimp, int32_t* ylimp, int32_t* xmid,
             int32_t* ymid, bool twoThreads = false) {
    if (Cancelled()) return Step::Cancelled;
    int32_t xoff = *xoffp;
    int32_t yoff = *yoffp;
    int32_t xlim = *xlimp;
    int32_t ylim = *ylimp;
    while (xoff < xlim && yoff < ylim && seq_.Same(xoff, yoff)) {
      ++xoff;
      ++yoff;
    }
    while (xlim > xoff && ylim > yoff && seq_.Same(xlim - 1, ylim - 1)) {
      --xlim;
      --ylim;
    }
    *xoffp = xoff;
    *yoffp = yoff;
    *xlimp = xlim;
    *ylimp = ylim;
    if (xoff == xlim) {
      if (ylim > yoff) std::memset(changedB_ + yoff, 1, static_cast<size_t>(ylim - yoff));
      return Step::Done;
    }
    if (yoff == ylim) {
      std::memset(changedA_ + xoff, 1, static_cast<size_t>(xlim - xoff));
      return Step::Done;
    }
    return MiddleSnake(xoff, yoff, xlim, ylim, xmid, ymid, twoThreads) ? Step::Split
                                                                        : Step::Cancelled;
  }

  // Finds the middle snake of a[xoff, xlim) against b[yoff, ylim): the
  // forward and backward searches advance one edit at a time until their
  // furthest-reaching paths overlap. False when cancelled.
  bool MiddleSnake(int32_t xoff, int32_t yoff, int32_t xlim, int32_t ylim, int32_t* xmid,
                   int32_t* ymid, bool twoThreads) {
    if (seq_.Prefetching()) {
      Snake<true> snake(*this, xoff, yoff, xlim, ylim);
      return snake.Run(twoThreads, xmid, ymid);
    }
    Snake<false> snake(*this, xoff, yoff, xlim, ylim);
    return snake.Run(twoThreads, xmid, ymid);
  }

  // The state of one middle-snake search: the box, and the diagonal ranges
  // [fmin, fmax] and [bmin, bmax] that the last forward and backward passes
  // swept. Each pass sweeps its diagonals from the highest down and stops at
  // the first one whose path meets the other direction's. A pass runs in
  // stretches so the sweep tests nothing it need not: only the diagonals
  // inside the other direction's range can meet, and on each diagonal only
  // one of the two box edges can stop a snake (the x edge above the
  // diagonal through the box's far corner, the y edge below it). kPrefetch
  // asks ahead for the elements the sweep will compare; it pays only when
  // the sequences do not fit in the cache.
  template <bool kPrefetch>
  struct Snake {
    const MyersSearch& search;
    const Sequences seq;
    int32_t* const fd;
    int32_t* const bd;
    const int32_t xoff, yoff, xlim, ylim;
    const int32_t dmin, dmax, fmid, bmid;
    const bool odd;  // only an odd difference lets a forward path meet a backward one
    int32_t fmin, fmax, bmin, bmax;
    int32_t xmid = 0;
    int32_t ymid = 0;
    int64_t work = 0;    // diagonals swept and not yet drawn from the budget
    int64_t snaked = 0;  // lines compared along snakes, not yet added to work

    Snake(const MyersSearch& s, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
        : search(s), seq(s.seq_), fd(s.fd_), bd(s.bd_), xoff(x0), yoff(y0), xlim(x1),
          ylim(y1), dmin(x0 - y1), dmax(x1 - y0), fmid(x0 - y0), bmid(x1 - y1),
          odd(((fmid - bmid) & 1) != 0), fmin(fmid), fmax(fmid), bmin(bmid), bmax(bmid) {}

    bool Run(bool twoThreads, int32_t* xm, int32_t* ym) {
      fd[fmid] = xoff;
      bd[bmid] = xlim;
      const Outcome outcome = Alternate(twoThreads ? kTwoThreadWidth : INT32_MAX);
      const bool met =
          outcome == Outcome::Met || (outcome == Outcome::Wide && RunOnTwoThreads());
      search.Draw(work + snaked);
      *xm = xmid;
      *ym = ymid;
      return met;
    }

    enum class Outcome { Met, Cancelled, Wide };

    // Forward and backward passes in turn until the paths meet, the search
    // is cancelled or a pass would start with fmax - fmin at width or more.
    Outcome Alternate(int32_t width) {
      for (;;) {
        if (search.Cancelled()) return Outcome::Cancelled;
        if (fmax - fmin >= width) return Outcome::Wide;
        NextForwardRange(true);
        if (ForwardPass()) return Outcome::Met;
        NextBackwardRange(true);
        if (BackwardPass()) return Outcome::Met;
        if (!Account((fmax - fmin) / 2 + (bmax - bmin) / 2 + 2)) return Outcome::Cancelled;
      }
    }

    // Adds the work of a pass, its diagonals and the lines its snakes
    // compared; false when that overdraws the budget. Long snakes cost as
    // much as many diagonals: counting only the diagonals would let a
    // search of two long, nearly equal texts run far past its time.
    bool Account(int64_t units) {
      work += units + snaked;
      snaked = 0;
      if (work < kDrawPortion) return true;
      const int64_t portion = work;
      work = 0;
      return search.Draw(portion);
    }

    // The ranges of the next pass; write also sets the sentinel diagonals
    // just outside it, which only the direction's own sweep may do.
    void NextForwardRange(bool write) {
      if (fmin > dmin) {
        --fmin;
        if (write) fd[fmin - 1] = -1;
      } else {
        ++fmin;
      }
      if (fmax < dmax) {
        ++fmax;
        if (write) fd[fmax + 1] = -1;
      } else {
        --fmax;
      }
    }
    void NextBackwardRange(bool write) {
      if (bmin > dmin) {
        --bmin;
        if (write) bd[bmin - 1] = kMax;
      } else {
        ++bmin;
      }
      if (bmax < dmax) {
        ++bmax;
        if (write) bd[bmax + 1] = kMax;
      } else {
        --bmax;
      }
    }

    // One forward pass over [fmin, fmax]; true when a path met (xmid, ymid).
    bool ForwardPass() {
      int32_t d = fmax;
      int32_t above = fd[fmax + 1];
      if (odd) {
        const int32_t top = std::min(fmax, bmax);
        const int32_t bottom = std::max(fmin, bmin);
        ForwardStretch<false>(std::max(top, fmin - 1), d, above, snaked);
        if (ForwardStretch<true>(bottom - 1, d, above, snaked)) {
          xmid = fd[d];
          ymid = fd[d] - d;
          return true;
        }
      }
      ForwardStretch<false>(fmin - 1, d, above, snaked);
      return false;
    }
    bool BackwardPass() {
      int32_t d = bmax;
      int32_t above = bd[bmax + 1];
      if (!odd) {
        const int32_t top = std::min(bmax, fmax);
        const int32_t bottom = std::max(bmin, fmin);
        BackwardStretch<false>(std::max(top, bmin - 1), d, above, snaked);
        if (BackwardStretch<true>(bottom - 1, d, above, snaked)) {
          xmid = bd[d];
          ymid = bd[d] - d;
          return true;
        }
      }
      BackwardStretch<false>(bmin - 1, d, above, snaked);
      return false;
    }

    // Sweeps the forward diagonals from d down while d > stop; true when
    // one meets the backward path (tested only with kMeet). above holds
    // fd[d + 1] and gets fd[d - 1] for diagonal d - 2: a pass reads only the
    // diagonals of the other parity, which it does not write. The box is
    // copied into locals: stores to fd could otherwise alias it.
    template <bool kMeet>
    bool ForwardStretch(int32_t stop, int32_t& d, int32_t& above, int64_t& compared) const {
      const Sequences s = seq;
      int32_t* const f = fd;
      const int32_t* const b = bd;
      const int32_t x1 = xlim;
      const int32_t y1 = ylim;
      const int32_t low = fmin;
      int64_t steps = 0;
      const auto step = [=, &steps](auto yEdge, int32_t k, int32_t& up) {
        if constexpr (kPrefetch) {
          const int32_t dp = k - 2 * kAhead;
          if (dp >= low) {
            const int32_t xp = std::max(f[dp - 1] + 1, f[dp + 1]);
            if (xp < x1 && xp - dp < y1) s.Prefetch(xp, xp - dp);
          }
        }
        const int32_t below = f[k - 1];
        int32_t x = std::max(below + 1, up);
        const int32_t from = x;
        up = below;
        if constexpr (decltype(yEdge)::value) {
          const int32_t limit = y1 + k;  // y < ylim; below xlim on these diagonals
          while (x < limit && s.Same(x, x - k)) ++x;
        } else {
          while (x < x1 && s.Same(x, x - k)) ++x;
        }
        steps += x - from;
        f[k] = x;
        return x;
      };
      const int32_t split = std::max(stop, bmid - 1);
      for (; d > split; d -= 2) {
        const int32_t x = step(std::false_type{}, d, above);
        if (kMeet && b[d] <= x) return compared += steps, true;
      }
      for (; d > stop; d -= 2) {
        const int32_t x = step(std::true_type{}, d, above);
        if (kMeet && b[d] <= x) return compared += steps, true;
      }
      compared += steps;
      return false;
    }
    // The same backwards: above holds bd[d + 1] and gets bd[d - 1].
    template <bool kMeet>
    bool BackwardStretch(int32_t stop, int32_t& d, int32_t& above, int64_t& compared) const {
      const Sequences s = seq;
      int32_t* const b = bd;
      const int32_t* const f = fd;
      const int32_t x0 = xoff;
      const int32_t y0 = yoff;
      const int32_t low = bmin;
      int64_t steps = 0;
      const auto step = [=, &steps](auto yEdge, int32_t k, int32_t& up) {
        if constexpr (kPrefetch) {
          const int32_t dp = k - 2 * kAhead;
          if (dp >= low) {
            const int32_t xp = std::min(b[dp - 1], b[dp + 1] - 1);
            if (xp > x0 && xp - dp > y0) s.Prefetch(xp - 1, xp - dp - 1);
          }
        }
        const int32_t below = b[k - 1];
        int32_t x = std::min(below, up - 1);
        const int32_t from = x;
        up = below;
        if constexpr (decltype(yEdge)::value) {
          const int32_t limit = y0 + k;  // y > yoff; above xoff on these diagonals
          while (x > limit && s.Same(x - 1, x - 1 - k)) --x;
        } else {
          while (x > x0 && s.Same(x - 1, x - 1 - k)) --x;
        }
        steps += from - x;
        b[k] = x;
        return x;
      };
      const int32_t split = std::max(stop, fmid);
      for (; d > split; d -= 2) {
        const int32_t x = step(std::true_type{}, d, above);
        if (kMeet && x <= f[d]) return compared += steps, true;
      }
      for (; d > stop; d -= 2) {
        const int32_t x = step(std::false_type{}, d, above);
        if (kMeet && x <= f[d]) return compared += steps, true;
      }
      compared += steps;
      return false;
    }

    // The remaining passes with the forward sweeps here and the backward
    // ones on a second thread, each side keeping the other's ranges itself
    // (they change the same way every pass). Pass k of a side waits only
    // for what it reads, and for the other side to be done with what it
    // overwrites: with an odd difference the forward pass k reads backward
    // pass k - 1 and the backward pass k overwrites what forward pass k - 1
    // read; with an even one the backward pass k reads forward pass k and
    // the forward pass k overwrites what backward pass k - 2 read. The
    // sentinels a pass sets lie outside what the other side reads at the
    // time. So every pass sees what it sees when the passes alternate, and
    // the one side that can meet meets at the same place.
    //
    // A side that finds the other behind spins briefly, then sleeps until
    // it is woken. When this side has slept for more than a quarter of the
    // time (the machine is busy and the helper is not running alongside),
    // the helper is told to stop after its pass and the passes go on here,
    // alternating from where both sides stand: a second thread never makes
    // the search slower than one would. False when cancelled; when no
    // thread can be started the passes alternate here.
    bool RunOnTwoThreads() {
      PassGate gate;
      std::atomic<int32_t> forwardDone{0};
      std::atomic<int32_t> backwardDone{0};
      bool met = false;
      Snake backward = *this;
      backward.work = 0;
      backward.snaked = 0;
      const auto backwardSide = [&] {
        for (int32_t k = 1; !gate.Stopped(); ++k) {
          if (search.Cancelled()) break;
          backward.NextForwardRange(false);
          if (!gate.WaitFor(forwardDone, odd ? k - 1 : k, nullptr)) break;
          backward.NextBackwardRange(true);
          if (backward.BackwardPass()) {
            met = true;
            break;
          }
          if (!backward.Account((backward.bmax - backward.bmin) / 2 + 1)) break;
          gate.Publish(backwardDone, k);
        }
        gate.Stop();
      };
      std::thread helper;
      try {
        helper = std::thread(backwardSide);
      } catch (const std::system_error&) {
        return Alternate(INT32_MAX) == Outcome::Met;
      }
      const auto started = std::chrono::steady_clock::now();
      int64_t sleptNs = 0;
      bool alone = false;
      int32_t k = 1;
      for (; !gate.Stopped(); ++k) {
        if (search.Cancelled()) break;
        if (!gate.WaitFor(backwardDone, odd ? k - 1 : k - 2, &sleptNs)) break;
        if (k > search.aloneAfterPass_) {
          alone = true;
          break;
        }
        if (sleptNs > kAloneAfterNs) {
          const int64_t elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                      std::chrono::steady_clock::now() - started)
                                      .count();
          if (sleptNs * 4 > elapsed) {
            alone = true;
            break;
          }
        }
        NextForwardRange(true);
        if (ForwardPass()) {
          met = true;
          break;
        }
        if (!Account((fmax - fmin) / 2 + 1)) break;
        gate.Publish(forwardDone, k);
        NextBackwardRange(false);
      }
      gate.Stop();
      helper.join();
      search.Draw(backward.work + backward.snaked);
      backward.work = 0;
      backward.snaked = 0;
      if (met && !odd) {
        xmid = backward.xmid;
        ymid = backward.ymid;
      }
      if (met || !alone || search.Cancelled()) return met;
      return GoOnAlone(k - 1, backwardDone.load(std::memory_order_acquire), backward);
    }

    // Continues a search whose forward passes 1..kf and backward passes
    // 1..kb are done (the helper has stopped without meeting) in the order
    // in which alternating passes would have run them.
    bool GoOnAlone(int32_t kf, int32_t kb, const Snake& backward) {
      if (kb > kf) {
        // The helper ran one pass ahead: the forward pass it ran ahead of
        // reads the backward ranges this side kept for pass kf.
        NextForwardRange(true);
        if (ForwardPass()) return true;
        NextBackwardRange(false);
      } else {
        bmin = backward.bmin;
        bmax = backward.bmax;
        for (; kb < kf; ++kb) {
          NextBackwardRange(true);
          if (BackwardPass()) return true;
        }
      }
      return Alternate(INT32_MAX) == Outcome::Met;
    }
  };

  // How two threads searching one middle snake wait for each other: a
  // side spins a little (a pass of the other side is usually that close),
  // then sleeps on a condition variable until the other publishes a pass
  // or the search stops.
  class PassGate {
  public:
    bool Stopped() const { return stop_.load(std::memory_order_acquire); }

    void Publish(std::atomic<int32_t>& done, int32_t pass) {
      done.store(pass, std::memory_order_seq_cst);
      WakeSleepers();
    }

    void Stop() {
      stop_.store(true, std::memory_order_seq_cst);
      WakeSleepers();
    }

    // Waits until done reaches pass (true) or the gate is stopped (false);
    // adds the time spent asleep to *sleptNs when given.
    bool WaitFor(const std::atomic<int32_t>& done, int32_t pass, int64_t* sleptNs) {
      for (int spin = 0; spin < kSpins; ++spin) {
        if (done.load(std::memory_order_acquire) >= pass) return true;
        if (Stopped()) return false;
        Pause();
      }
      const auto start = std::chrono::steady_clock::now();
      {
        std::unique_lock<std::mutex> lock(mutex_);
        sleepers_.fetch_add(1, std::memory_order_seq_cst);
        wake_.wait(lock, [&] {
          return done.load(std::memory_order_seq_cst) >= pass ||
                 stop_.load(std::memory_order_seq_cst);
        });
        sleepers_.fetch_sub(1, std::memory_order_seq_cst);
      }
      if (sleptNs) {
        *sleptNs += std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
      }
      return done.load(std::memory_order_acquire) >= pass;
    }

  private:
    static constexpr int kSpins = 4000;

    static void Pause() {
#if defined(__i386__) || defined(__x86_64__)
      __builtin_ia32_pause();
#endif
    }

    // A sleeper counts itself before it tests its condition and a
    // publisher stores before it looks for sleepers, so one of the two
    // always sees the other; the lock orders the notification after the
    // sleeper's wait has begun.
    void WakeSleepers() {
      if (sleepers_.load(std::memory_order_seq_cst) == 0) return;
      std::lock_guard<std::mutex> lock(mutex_);
      wake_.notify_all();
    }

    std::atomic<bool> stop_{false};
    std::atomic<int32_t> sleepers_{0};
    std::mutex mutex_;
    std::condition_variable wake_;
  };

  const Sequences seq_;
  int32_t* fd_;
  int32_t* bd_;
  uint8_t* changedA_;
  uint8_t* changedB_;
  const CancelFlag* cancel_;
  WorkBudget* budget_;
  int32_t aloneAfterPass_ = INT32_MAX;
};

}  // namespace qm
