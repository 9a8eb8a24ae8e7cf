// Myers' O(ND) difference search in its linear-space form, shared by the
// line comparison (over line class ids) and the character comparison (over
// bytes). Engine-internal.
//
// The caller provides both sequences, one block of 2 * (n + m + 3) i32 for
// the two diagonal vectors and zeroed change flags (n + 1 and m + 1 bytes).
// Compare marks every element that is not part of the common subsequence it
// finds; the script is always a shortest one (no cost cut-off). The cancel
// flag is polled at every recursion and at every pass of the middle-snake
// search, so even one huge search stops promptly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstring>

#include "engine/diff_engine.h"

namespace qm {

// Two byte strings compared byte by byte.
struct ByteSequences {
  const uint8_t* a;
  const uint8_t* b;
  bool Same(int32_t x, int32_t y) const { return a[x] == b[y]; }
  void Prefetch(int32_t, int32_t) const {}
};

// Two sequences of line class ids. Most comparisons of a search are between
// lines far apart in memory, so it asks for them ahead of time.
struct LineSequences {
  const uint32_t* a;
  const uint32_t* b;
  bool Same(int32_t x, int32_t y) const { return a[x] == b[y]; }
  void Prefetch(int32_t x, int32_t y) const {
    __builtin_prefetch(a + x);
    __builtin_prefetch(b + y);
  }
};

template <typename Sequences>
class MyersSearch {
public:
  // diag holds 2 * (n + m + 3) values; the forward vector starts at entry
  // m + 1 of the first half and the backward one at entry m + 1 of the
  // second, so diagonals -(m + 1) .. n + 1 are valid in both.
  MyersSearch(const Sequences& seq, int32_t n, int32_t m, int32_t* diag, uint8_t* changedA,
              uint8_t* changedB, const CancelFlag* cancel)
      : seq_(seq), fd_(diag + m + 1), bd_(diag + (n + m + 3) + m + 1), changedA_(changedA),
        changedB_(changedB), cancel_(cancel) {}

  // Compares a[xoff, xlim) with b[yoff, ylim). False when cancelled.
  bool Compare(int32_t xoff, int32_t yoff, int32_t xlim, int32_t ylim) {
    for (;;) {
      if (Cancelled()) return false;
      while (xoff < xlim && yoff < ylim && seq_.Same(xoff, yoff)) {
        ++xoff;
        ++yoff;
      }
      while (xlim > xoff && ylim > yoff && seq_.Same(xlim - 1, ylim - 1)) {
        --xlim;
        --ylim;
      }
      if (xoff == xlim) {
        if (ylim > yoff) std::memset(changedB_ + yoff, 1, static_cast<size_t>(ylim - yoff));
        return true;
      }
      if (yoff == ylim) {
        std::memset(changedA_ + xoff, 1, static_cast<size_t>(xlim - xoff));
        return true;
      }
      int32_t xmid = 0;
      int32_t ymid = 0;
      if (!MiddleSnake(xoff, yoff, xlim, ylim, &xmid, &ymid)) return false;
      if (!Compare(xoff, yoff, xmid, ymid)) return false;
      // The second half as a loop: the same order as a second recursion.
      xoff = xmid;
      yoff = ymid;
    }
  }

private:
  static constexpr int32_t kMax = 2147483647;
  // How many diagonals ahead the search prefetches the lines it will compare.
  static constexpr int32_t kAhead = 8;

  bool Cancelled() const {
    return cancel_ && cancel_->load(std::memory_order_relaxed) != 0;
  }

  // Finds the middle snake of a[xoff, xlim) against b[yoff, ylim): the
  // forward and backward searches advance one edit at a time until their
  // furthest-reaching paths overlap. False when cancelled.
  bool MiddleSnake(int32_t xoff, int32_t yoff, int32_t xlim, int32_t ylim, int32_t* xmid,
                   int32_t* ymid) {
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
      for (int32_t d = fmax; d >= fmin; d -= 2) {
        // A pass reads only the diagonals of the other parity, written by
        // the previous pass: where a later diagonal starts is known now.
        const int32_t dp = d - 2 * kAhead;
        if (dp >= fmin) {
          const int32_t xp = std::max(fd[dp - 1] + 1, fd[dp + 1]);
          if (xp < xlim && xp - dp < ylim) seq.Prefetch(xp, xp - dp);
        }
        const int32_t tlo = fd[d - 1];
        const int32_t thi = fd[d + 1];
        int32_t x = tlo >= thi ? tlo + 1 : thi;
        int32_t y = x - d;
        while (x < xlim && y < ylim && seq.Same(x, y)) {
          ++x;
          ++y;
        }
        fd[d] = x;
        if (odd && bmin <= d && d <= bmax && bd[d] <= x) {
          *xmid = x;
          *ymid = y;
          return true;
        }
      }
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
      for (int32_t d = bmax; d >= bmin; d -= 2) {
        const int32_t dp = d - 2 * kAhead;
        if (dp >= bmin) {
          const int32_t xp = std::min(bd[dp - 1], bd[dp + 1] - 1);
          if (xp > xoff && xp - dp > yoff) seq.Prefetch(xp - 1, xp - dp - 1);
        }
        const int32_t tlo = bd[d - 1];
        const int32_t thi = bd[d + 1];
        int32_t x = tlo < thi ? tlo : thi - 1;
        int32_t y = x - d;
        while (x > xoff && y > yoff && seq.Same(x - 1, y - 1)) {
          --x;
          --y;
        }
        bd[d] = x;
        if (!odd && fmin <= d && d <= fmax && x <= fd[d]) {
          *xmid = x;
          *ymid = y;
          return true;
        }
      }
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
