// First fit inside a chunk for needs longer than a word.
#include "MemMgr/Fit.h"

unsigned LongFit(const ChunkMeta* m, unsigned slots) {
  unsigned at = NextSlot(m, static_cast<unsigned>(m->low[kBounds - 1]) * 64, true);
  while (at < kSlots) {
    const unsigned end = NextSlot(m, at, false);
    if (end - at >= slots) return at;
    if (end == kSlots) break;
    at = NextSlot(m, end, true);
  }
  return kNone;
}
