// First fit inside a chunk: the lowest run of n free slots. Needs of up to
// 64 slots are found a word at a time: the starts of every run of n in a
// word, looking on into the next, are a few shifts and ands, found by
// doubling (runs of 2 are a run and its neighbour, runs of 4 two runs of
// 2, ...). Each need up to kBounds slots keeps a mask of the words where
// its runs may start; longer needs look in the last of those.
#pragma once

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

// Bits of `word` where n free bits in a row start inside it.
inline uint64_t RunStartsIn(uint64_t word, Steps st) {
  word &= word >> st.s1;
  word &= word >> st.s2;
  return word & word >> st.s3;
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

// A need's mask holds every bigger need's: a word with no run of n has
// none longer, so a clear is for a need and all bigger ones and a set for
// a need and all smaller ones. The masks change as whole vectors, so that
// a load of one need's mask can take its value from the store before it.
using Masks = uint64_t __attribute__((vector_size(64)));

// kNeeds[n]: all ones in the lanes of needs up to n. Tables rather than
// compares, which GCC takes lane by lane.
constexpr uint64_t kAll = ~uint64_t{0};
alignas(64) constexpr Masks kNeeds[kBounds + 1] = {
    {},
    {kAll},
    {kAll, kAll},
    {kAll, kAll, kAll},
    {kAll, kAll, kAll, kAll},
    {kAll, kAll, kAll, kAll, kAll},
    {kAll, kAll, kAll, kAll, kAll, kAll},
    {kAll, kAll, kAll, kAll, kAll, kAll, kAll},
    {kAll, kAll, kAll, kAll, kAll, kAll, kAll, kAll}};

// The words of `words` may hold runs of needs up to `needs` only.
inline void Keep(ChunkMeta* m, unsigned needs, uint64_t words) {
  auto* may = reinterpret_cast<Masks*>(m->may);
  *may &= kNeeds[needs] | ~words;
}

// Runs of up to `slots` free slots (kBounds counted) may start in `words`.
inline void Allow(ChunkMeta* m, unsigned slots, uint64_t words) {
  auto* may = reinterpret_cast<Masks*>(m->may);
  *may |= kNeeds[slots] & words;
}

// The lowest slot where `slots` free slots in a row start, or kNone;
// for needs of more than kBounds slots.
unsigned LongFit(ChunkMeta* m, unsigned slots);
