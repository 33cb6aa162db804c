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

// Branch-free std::min: std::min often compiles to a branch.
inline unsigned Min(unsigned a, unsigned b) { return b ^ ((a ^ b) & -static_cast<unsigned>(a < b)); }

// Runs of a length and the same runs `s` further on, s at most the
// length, are runs of length + s. Up to kBounds slots that takes three
// such steps, whose lengths come from the need alone: no branch, for the
// common needs come in no order a predictor could learn.
struct Steps {
  unsigned s1, s2, s3;
};
inline Steps StepsFor(unsigned n) {
  const unsigned s1 = n >= 2, s2 = Min(2, n - 1 - s1);
  return {s1, s2, n - 1 - s1 - s2};
}

// Bits i of `lo` where n free bits in a row start, the free bits going on
// into `hi`; for n up to kBounds, in the steps for n.
inline uint64_t RunStarts(uint64_t lo, uint64_t hi, Steps st) {
  lo &= ShiftDown(lo, hi, st.s1);
  hi &= hi >> st.s1;
  lo &= ShiftDown(lo, hi, st.s2);
  hi &= hi >> st.s2;
  return lo & ShiftDown(lo, hi, st.s3);
}

// The same for n up to 64, by doubling.
inline uint64_t RunStarts(uint64_t lo, uint64_t hi, unsigned n) {
  unsigned len = 1;
  for (; len * 2 <= n; len *= 2) {
    lo &= ShiftDown(lo, hi, len);
    hi &= hi >> len;
  }
  return lo & ShiftDown(lo, hi, n - len);
}

// The bounds stay in order: a need's is never above a bigger need's, so
// the bigger need's says whether a change is due.

// No run of `slots` or more starts below `word`.
inline void RaiseLow(ChunkMeta* m, unsigned slots, unsigned word) {
  if (slots > kBounds) return;
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

// A run of `slots` free slots (up to kBounds counted) now starts in `word`.
inline void LowerLow(ChunkMeta* m, unsigned word, unsigned slots) {
#if defined(__SSE2__)
  auto* low = reinterpret_cast<__m128i*>(m->low);
  const __m128i fits = _mm_cmplt_epi16(_mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7),
                                       _mm_set1_epi16(static_cast<int16_t>(std::min(slots, kBounds))));
  const __m128i at = _mm_or_si128(_mm_and_si128(fits, _mm_set1_epi16(static_cast<int16_t>(word))),
                                  _mm_andnot_si128(fits, _mm_set1_epi16(INT16_MAX)));
  _mm_store_si128(low, _mm_min_epi16(_mm_load_si128(low), at));
#else
  for (unsigned c = 1; c <= std::min(slots, kBounds); c++)
    m->low[c - 1] = std::min(m->low[c - 1], static_cast<int16_t>(word));
#endif
}

// The lowest slot where `slots` free slots in a row start, or kNone;
// for needs of more than kBounds slots.
unsigned LongFit(ChunkMeta* m, unsigned slots);
