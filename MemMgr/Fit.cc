// First fit inside a chunk for needs of more than kBounds slots, where
// runs of kBounds may start: a word at a time up to 64 slots, run by run
// from the first such word beyond.
#include "MemMgr/Fit.h"

unsigned LongFit(ChunkMeta* m, unsigned slots) {
  uint64_t words = m->may[kBounds - 1];
  if (slots <= 64) {
    for (; words != 0; words &= words - 1) {
      const auto w = static_cast<unsigned>(std::countr_zero(words));
      if (const uint64_t runs = RunStarts(m->free(w), m->free(w + 1), slots); runs != 0)
        return w * 64 + static_cast<unsigned>(std::countr_zero(runs));
    }
    return kNone;
  }
  if (words == 0) return kNone;
  for (unsigned at = NextSlot(m, std::countr_zero(words) * 64u, true); at < kSlots;) {
    const unsigned end = NextSlot(m, at, false);
    if (end - at >= slots) return at;
    at = end < kSlots ? NextSlot(m, end, true) : kSlots;
  }
  return kNone;
}
