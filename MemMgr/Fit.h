// First fit inside a chunk: the lowest free piece of at least n slots.
// Two kinds of bound keep the search short, however many small holes
// long-lived blocks leave low in the chunk:
//
//  - low[n - 1], for needs of 1 to kFitClasses slots: no free piece of n
//    slots or more starts below it (kNoLow: none in the chunk). Lowered
//    when a piece appears or grows; when the piece at a bound moves up
//    past a block the bound follows it, and when it shrinks below n or
//    goes the bound moves on to the next piece above. A request looks at
//    the piece at its bound first; only when that is no fit does it search
//    on from there, and what it finds also raises the bounds of bigger
//    needs it passed over.
//  - groupMax per group of 64 slots and chunkMax: the size of the pieces
//    starting there is at most this. Raised when a piece grows or moves
//    into a group, left when one shrinks or goes, made exact when a search
//    finds a group or the chunk without a fit. A search looks only into
//    groups that may hold a fit.
//
// A piece that grows or moves keeps both up to date with a handful of
// vector and min/max operations.
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>

#include "MemMgr/Chunk.h"

constexpr int16_t kNoLow = 0x7fff;

// The lowest start at or above `from` of a free piece of at least `slots`
// slots, or kNone.
unsigned FitSearch(ChunkMeta* m, unsigned from, unsigned slots);

// A search for `slots` found nothing from `from` to `found`: no bigger
// need finds anything there either.
inline void RaiseLow(ChunkMeta* m, unsigned from, int16_t found, unsigned slots) {
#if defined(__SSE2__)
  auto* low = reinterpret_cast<__m128i*>(m->low);
  const __m128i now = _mm_load_si128(low);
  const __m128i classes = _mm_setr_epi16(1, 2, 3, 4, 5, 6, 7, 8);
  const __m128i raise = _mm_and_si128(
      _mm_cmpgt_epi16(classes, _mm_set1_epi16(static_cast<int16_t>(slots - 1))),
      _mm_and_si128(_mm_cmpgt_epi16(now, _mm_set1_epi16(static_cast<int16_t>(from - 1))),
                    _mm_cmplt_epi16(now, _mm_set1_epi16(found))));
  _mm_store_si128(low, _mm_or_si128(_mm_and_si128(raise, _mm_set1_epi16(found)), _mm_andnot_si128(raise, now)));
#else
  for (unsigned c = slots; c <= kFitClasses; c++)
    if (m->low[c - 1] >= static_cast<int16_t>(from) && m->low[c - 1] < found) m->low[c - 1] = found;
#endif
}

// The lowest start of a free piece of at least `slots` slots, or kNone.
inline unsigned ChunkFirstFit(ChunkMeta* m, unsigned slots) {
  unsigned slot;
  if (slots <= kFitClasses) {
    int16_t& low = m->low[slots - 1];
    if (low == kNoLow) return kNone;
    slot = static_cast<unsigned>(low);
    const uint16_t info = m->info(slot);
    if ((info & kStart) != 0 && (info & kSlotsMask) >= slots) return slot;
    const unsigned from = slot;
    slot = FitSearch(m, from, slots);
    RaiseLow(m, from, slot == kNone ? kNoLow : static_cast<int16_t>(slot), slots);
    return slot;
  }
  return FitSearch(m, 0, slots);
}

// A piece of `slots` now starts at `slot`: it appeared, grew, or its start
// moved down.
inline void PieceGrew(ChunkMeta* m, unsigned slot, unsigned slots) {
  int16_t& group = m->groupMax[slot / 64];
  group = std::max(group, static_cast<int16_t>(slots));
  m->chunkMax = std::max(m->chunkMax, static_cast<int16_t>(slots));
#if defined(__SSE2__)
  const __m128i classes = _mm_setr_epi16(1, 2, 3, 4, 5, 6, 7, 8);
  const __m128i fits = _mm_cmplt_epi16(classes, _mm_set1_epi16(static_cast<int16_t>(std::min(slots, 0x7ffeu) + 1)));
  const __m128i here = _mm_or_si128(_mm_and_si128(fits, _mm_set1_epi16(static_cast<int16_t>(slot))),
                                    _mm_andnot_si128(fits, _mm_set1_epi16(kNoLow)));
  auto* low = reinterpret_cast<__m128i*>(m->low);
  _mm_store_si128(low, _mm_min_epi16(_mm_load_si128(low), here));
#else
  for (unsigned c = 1; c <= kFitClasses && c <= slots; c++)
    m->low[c - 1] = std::min(m->low[c - 1], static_cast<int16_t>(slot));
#endif
}

// Bounds at `from` for which a piece there no longer serves move on: to
// `to` for classes up to `slots`, to `past` for the others.
inline void MoveLow(ChunkMeta* m, unsigned from, unsigned to, unsigned slots, unsigned past) {
  const int16_t beyond = past == kNone ? kNoLow : static_cast<int16_t>(past);
#if defined(__SSE2__)
  auto* low = reinterpret_cast<__m128i*>(m->low);
  const __m128i now = _mm_load_si128(low);
  const __m128i here = _mm_cmpeq_epi16(now, _mm_set1_epi16(static_cast<int16_t>(from)));
  const __m128i classes = _mm_setr_epi16(1, 2, 3, 4, 5, 6, 7, 8);
  const __m128i fits = _mm_cmplt_epi16(classes, _mm_set1_epi16(static_cast<int16_t>(std::min(slots, 0x7ffeu) + 1)));
  const __m128i next = _mm_or_si128(_mm_and_si128(fits, _mm_set1_epi16(static_cast<int16_t>(to))),
                                    _mm_andnot_si128(fits, _mm_set1_epi16(beyond)));
  _mm_store_si128(low, _mm_or_si128(_mm_and_si128(here, next), _mm_andnot_si128(here, now)));
#else
  for (unsigned c = 1; c <= kFitClasses; c++)
    if (m->low[c - 1] == static_cast<int16_t>(from)) m->low[c - 1] = c <= slots ? static_cast<int16_t>(to) : beyond;
#endif
}

// A piece's start moved up from `from` to `to` past a block, `slots` left;
// the bitmap already says so.
inline void PieceShrank(ChunkMeta* m, unsigned from, unsigned to, unsigned slots) {
  if (from / 64 != to / 64) {
    int16_t& group = m->groupMax[to / 64];
    group = std::max(group, static_cast<int16_t>(slots));
  }
  MoveLow(m, from, to, slots, slots < kFitClasses ? StartAbove(m, to) : kNone);
}

// The piece at `from` was taken whole; the bitmap already says so.
inline void PieceGone(ChunkMeta* m, unsigned from) { MoveLow(m, from, from, 0, StartAbove(m, from)); }
