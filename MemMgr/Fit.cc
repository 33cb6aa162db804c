// First fit inside a chunk for needs of more than kBounds slots, from the
// last bound on: a word at a time up to 64 slots, run by run beyond.
#include "MemMgr/Fit.h"

unsigned LongFit(ChunkMeta* m, unsigned slots) {
  const auto first = static_cast<unsigned>(m->low[kBounds - 1]);
  if (slots <= 64) {
    for (unsigned w = first; w < kWords; w++)
      if (const uint64_t runs = RunStarts(m->free(w), m->free(w + 1), slots); runs != 0)
        return w * 64 + static_cast<unsigned>(std::countr_zero(runs));
    return kNone;
  }
  for (unsigned at = NextSlot(m, first * 64, true); at < kSlots;) {
    const unsigned end = NextSlot(m, at, false);
    if (end - at >= slots) return at;
    at = end < kSlots ? NextSlot(m, end, true) : kSlots;
  }
  return kNone;
}
