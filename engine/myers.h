// Myers' O(ND) difference search in its linear-space form, shared by the
// line comparison (over line class ids) and the character comparison (over
// bytes). Engine-internal.
//
// The caller provides both sequences, the diagonal vectors (one block of
// 2 * (n + m + 3) i32) and zeroed change flags (n + 1 and m + 1 bytes).
// Compare marks every element that is not part of the common subsequence it
// finds; the script is always a shortest one (no cost cut-off). The cancel
// flag is polled at every recursion and at every pass of the middle-snake
// search, so even one huge search stops promptly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

#include "engine/diff_engine.h"
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
// in each, 2 * (n + m + 3) values for the whole of n and m elements.
struct DiagonalStorage {
  std::vector<int32_t> block;
  int32_t* fd = nullptr;
  int32_t* bd = nullptr;

  // Throws std::bad_alloc.
  void Allocate(int32_t xoff, int32_t yoff, int32_t xlim, int32_t ylim) {
    const size_t size = static_cast<size_t>(xlim - xoff) + static_cast<size_t>(ylim - yoff) + 3;
    block.resize(2 * size);
    const int32_t low = xoff - ylim - 1;  // the lowest diagonal, at entry 0
    fd = block.data() - low;
    bd = block.data() + size - low;
  }
};

template <typename Sequences>
class MyersSearch {
public:
  // diagonals covers the whole range that Compare will be asked about.
  MyersSearch(const Sequences& seq, const DiagonalStorage& diagonals, uint8_t* changedA,
              uint8_t* changedB, const CancelFlag* cancel)
      : seq_(seq), fd_(diagonals.fd), bd_(diagonals.bd), changedA_(changedA),
        changedB_(changedB), cancel_(cancel) {}

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

  // Compare, with the two halves of the first split searched at the same
  // time on two threads (the second with diagonal storage of its own). The
  // halves touch disjoint flags, so the result is exactly Compare's.
  // Throws std::bad_alloc.
  bool CompareOnTwoThreads(int32_t xoff, int32_t yoff, int32_t xlim, int32_t ylim) {
    int32_t xmid = 0;
    int32_t ymid = 0;
    const Step step = Split(&xoff, &yoff, &xlim, &ylim, &xmid, &ymid);
    if (step != Step::Split) return step == Step::Done;
    DiagonalStorage own;
    own.Allocate(xmid, ymid, xlim, ylim);
    MyersSearch second(seq_, own, changedA_, changedB_, cancel_);
    bool firstDone = false;
    bool secondDone = false;
    RunBoth(
        true, [&] { firstDone = Compare(xoff, yoff, xmid, ymid); },
        [&] { secondDone = second.Compare(xmid, ymid, xlim, ylim); });
    return firstDone && secondDone;
  }

private:
  static constexpr int32_t kMax = 2147483647;
  // How many diagonals ahead the search prefetches the lines it will compare.
  static constexpr int32_t kAhead = 16;

  bool Cancelled() const {
    return cancel_ && cancel_->load(std::memory_order_relaxed) != 0;
  }

  enum class Step { Done, Cancelled, Split };

  // One level of the divide and conquer: strips the common prefix and
  // suffix, marks a range that is left on one side only, else finds the
  // middle snake (xmid, ymid) to split at.
  Step Split(int32_t* xoffp, int32_t* yoffp, int32_t* xlimp, int32_t* ylimp, int32_t* xmid,
             int32_t* ymid) {
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
    return MiddleSnake(xoff, yoff, xlim, ylim, xmid, ymid) ? Step::Split : Step::Cancelled;
  }

  // Finds the middle snake of a[xoff, xlim) against b[yoff, ylim): the
  // forward and backward searches advance one edit at a time until their
  // furthest-reaching paths overlap. False when cancelled.
  bool MiddleSnake(int32_t xoff, int32_t yoff, int32_t xlim, int32_t ylim, int32_t* xmid,
                   int32_t* ymid) {
    if (seq_.Prefetching()) return MiddleSnake<true>(xoff, yoff, xlim, ylim, xmid, ymid);
    return MiddleSnake<false>(xoff, yoff, xlim, ylim, xmid, ymid);
  }

  // The search itself. Each pass sweeps its diagonals from the highest down
  // and stops at the first one whose path meets the other direction's. A
  // pass runs in stretches so the sweep tests nothing it need not: only the
  // diagonals inside the other direction's range can meet, and on each
  // diagonal only one of the two box edges can stop a snake (the x edge
  // above the diagonal through the box's far corner, the y edge below it).
  // kPrefetch asks ahead for the elements the sweep will compare; it pays
  // only when the sequences do not fit in the cache.
  template <bool kPrefetch>
  bool MiddleSnake(int32_t xoff, int32_t yoff, int32_t xlim, int32_t ylim, int32_t* xmid,
                   int32_t* ymid) {
    using XEdge = std::false_type;
    using YEdge = std::true_type;
    const Sequences seq = seq_;
    int32_t* const fd = fd_;
    int32_t* const bd = bd_;
    const int32_t dmin = xoff - ylim;
    const int32_t dmax = xlim - yoff;
    const int32_t fmid = xoff - yoff;
    const int32_t bmid = xlim - ylim;
    int32_t fmin = fmid;
    int32_t fmax = fmid;
    int32_t bmin = bmid;
    int32_t bmax = bmid;
    const bool odd = ((fmid - bmid) & 1) != 0;
    fd[fmid] = xoff;
    bd[bmid] = xlim;

    // Extends the forward path on diagonal d. above holds fd[d + 1] and
    // gets fd[d - 1] for diagonal d - 2: a pass reads only the diagonals of
    // the other parity, which it does not write.
    const auto forward = [&](auto edge, int32_t d, int32_t& above) {
      if constexpr (kPrefetch) {
        const int32_t dp = d - 2 * kAhead;
        if (dp >= fmin) {
          const int32_t xp = std::max(fd[dp - 1] + 1, fd[dp + 1]);
          if (xp < xlim && xp - dp < ylim) seq.Prefetch(xp, xp - dp);
        }
      }
      const int32_t below = fd[d - 1];
      int32_t x = std::max(below + 1, above);
      above = below;
      if constexpr (decltype(edge)::value) {
        const int32_t limit = ylim + d;  // y < ylim; below xlim on these diagonals
        while (x < limit && seq.Same(x, x - d)) ++x;
      } else {
        while (x < xlim && seq.Same(x, x - d)) ++x;
      }
      fd[d] = x;
      return x;
    };
    // Sweeps the forward diagonals from d down while d > stop; true when
    // one meets the backward path (tested only with meet).
    const auto forwardStretch = [&](auto meet, int32_t stop, int32_t& d, int32_t& above) {
      const int32_t split = std::max(stop, bmid - 1);
      for (; d > split; d -= 2) {
        const int32_t x = forward(XEdge{}, d, above);
        if (decltype(meet)::value && bd[d] <= x) return true;
      }
      for (; d > stop; d -= 2) {
        const int32_t x = forward(YEdge{}, d, above);
        if (decltype(meet)::value && bd[d] <= x) return true;
      }
      return false;
    };
    // The same backwards: above holds bd[d + 1] and gets bd[d - 1].
    const auto backward = [&](auto edge, int32_t d, int32_t& above) {
      if constexpr (kPrefetch) {
        const int32_t dp = d - 2 * kAhead;
        if (dp >= bmin) {
          const int32_t xp = std::min(bd[dp - 1], bd[dp + 1] - 1);
          if (xp > xoff && xp - dp > yoff) seq.Prefetch(xp - 1, xp - dp - 1);
        }
      }
      const int32_t below = bd[d - 1];
      int32_t x = std::min(below, above - 1);
      above = below;
      if constexpr (decltype(edge)::value) {
        const int32_t limit = yoff + d;  // y > yoff; above xoff on these diagonals
        while (x > limit && seq.Same(x - 1, x - 1 - d)) --x;
      } else {
        while (x > xoff && seq.Same(x - 1, x - 1 - d)) --x;
      }
      bd[d] = x;
      return x;
    };
    const auto backwardStretch = [&](auto meet, int32_t stop, int32_t& d, int32_t& above) {
      const int32_t split = std::max(stop, fmid);
      for (; d > split; d -= 2) {
        const int32_t x = backward(YEdge{}, d, above);
        if (decltype(meet)::value && x <= fd[d]) return true;
      }
      for (; d > stop; d -= 2) {
        const int32_t x = backward(XEdge{}, d, above);
        if (decltype(meet)::value && x <= fd[d]) return true;
      }
      return false;
    };

    for (;;) {
      if (Cancelled()) return false;
      if (fmin > dmin) {
        fd[--fmin - 1] = -1;
      } else {
        ++fmin;
      }
      if (fmax < dmax) {
        fd[++fmax + 1] = -1;
      } else {
        --fmax;
      }
      int32_t d = fmax;
      int32_t above = fd[fmax + 1];
      // Only an odd difference lets a forward path meet a backward one.
      if (odd) {
        const int32_t top = std::min(fmax, bmax);
        const int32_t bottom = std::max(fmin, bmin);
        forwardStretch(std::false_type{}, std::max(top, fmin - 1), d, above);
        if (forwardStretch(std::true_type{}, bottom - 1, d, above)) {
          *xmid = fd[d];
          *ymid = fd[d] - d;
          return true;
        }
      }
      forwardStretch(std::false_type{}, fmin - 1, d, above);

      if (bmin > dmin) {
        bd[--bmin - 1] = kMax;
      } else {
        ++bmin;
      }
      if (bmax < dmax) {
        bd[++bmax + 1] = kMax;
      } else {
        --bmax;
      }
      d = bmax;
      above = bd[bmax + 1];
      if (!odd) {
        const int32_t top = std::min(bmax, fmax);
        const int32_t bottom = std::max(bmin, fmin);
        backwardStretch(std::false_type{}, std::max(top, bmin - 1), d, above);
        if (backwardStretch(std::true_type{}, bottom - 1, d, above)) {
          *xmid = bd[d];
          *ymid = bd[d] - d;
          return true;
        }
      }
      backwardStretch(std::false_type{}, bmin - 1, d, above);
    }
  }

  const Sequences seq_;
  int32_t* fd_;
  int32_t* bd_;
  uint8_t* changedA_;
  uint8_t* changedB_;
  const CancelFlag* cancel_;
};

}  // namespace qm
