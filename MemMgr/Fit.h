// First fit inside a chunk: the lowest run of n free slots. Needs of up to
// 64 slots are found a word at a time: the starts of every run of n in a
// word, looking on into the next, are a few shifts and ands, found by
// doubling (runs of 2 are a run and its neighbour, runs of 4 two runs of
// 2, ...). Each need up to kBounds slots keeps the word where its search
// may start; longer needs start from the last of those.
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>

#include "MemMgr/Chunk.h"

// The 128 bits hi:lo shifted down by s < 64, the low half.
inline uint64_t ShiftDown(uint64_t lo, uint64_t hi, unsigned s) { return (lo >> s) | ((hi << 1) << (63 - s)); }

// Bits i of `lo` where n free bits in a row start, 1 <= n <= 64, the
// free bits going on into `hi`. Up to 8 without a branch: the common
// needs come in no order a predictor could learn.
inline uint64_t RunStarts(uint64_t lo, uint64_t hi, unsigned n) {
  if (n <= 8) {
    const uint64_t two = lo & ShiftDown(lo, hi, 1), twoHi = hi & (hi >> 1);
    const uint64_t four = two & ShiftDown(two, twoHi, 2), fourHi = twoHi & (twoHi >> 2);
    const bool atLeast2 = n >= 2, atLeast4 = n >= 4;
    const uint64_t runs = atLeast4 ? four : atLeast2 ? two : lo;
    const uint64_t runsHi = atLeast4 ? fourHi : atLeast2 ? twoHi : hi;
    return runs & ShiftDown(runs, runsHi, n - (atLeast4 ? 4 : atLeast2 ? 2 : 1));
  }
  unsigned len = 1;
  for (; len * 2 <= n; len *= 2) {
    lo &= ShiftDown(lo, hi, len);
    hi &= hi >> len;
  }
  return lo & ShiftDown(lo, hi, n - len);
}

// The lowest slot where `slots` free slots in a row start, or kNone; for
// needs of up to 64 slots.
inline unsigned ChunkFirstFit(const ChunkMeta* m, unsigned slots) {
  for (unsigned w = static_cast<unsigned>(m->low[std::min(slots, kBounds) - 1]); w < kWords; w++)
    if (const uint64_t runs = RunStarts(m->free(w), m->free(w + 1), slots); runs != 0)
      return w * 64 + std::countr_zero(runs);
  return kNone;
}

// For longer needs: run by run from the last bound.
unsigned LongFit(const ChunkMeta* m, unsigned slots);

// No run of `slots` or more starts below `word`.
inline void RaiseLow(ChunkMeta* m, unsigned slots, unsigned word) {
#if defined(__SSE2__)
  auto* low = reinterpret_cast<__m128i*>(m->low);
  const __m128i from = _mm_cmpgt_epi16(_mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7),
                                       _mm_set1_epi16(static_cast<int16_t>(slots - 2)));
  const __m128i at = _mm_and_si128(from, _mm_set1_epi16(static_cast<int16_t>(word)));
  _mm_store_si128(low, _mm_max_epi16(_mm_load_si128(low), at));
#else
  for (unsigned c = slots; c <= kBounds; c++) m->low[c - 1] = std::max(m->low[c - 1], static_cast<int16_t>(word));
#endif
}

// A run may start in `word` now.
inline void LowerLow(ChunkMeta* m, unsigned word) {
#if defined(__SSE2__)
  auto* low = reinterpret_cast<__m128i*>(m->low);
  _mm_store_si128(low, _mm_min_epi16(_mm_load_si128(low), _mm_set1_epi16(static_cast<int16_t>(word))));
#else
  for (int16_t& l : m->low) l = std::min(l, static_cast<int16_t>(word));
#endif
}
