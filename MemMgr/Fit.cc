// First fit inside a chunk: the search behind the bounds of Fit.h.
#include "MemMgr/Fit.h"

namespace {

// Groups whose bound admits a piece of `slots`.
uint64_t GroupsAtLeast(const ChunkMeta* m, unsigned slots) {
  uint64_t mask = 0;
#if defined(__SSE2__)
  const __m128i below = _mm_set1_epi16(static_cast<int16_t>(slots - 1));
  for (unsigned i = 0; i < kGroups; i += 16) {
    const __m128i lo = _mm_load_si128(reinterpret_cast<const __m128i*>(m->groupMax + i));
    const __m128i hi = _mm_load_si128(reinterpret_cast<const __m128i*>(m->groupMax + i + 8));
    const __m128i both = _mm_packs_epi16(_mm_cmpgt_epi16(lo, below), _mm_cmpgt_epi16(hi, below));
    mask |= uint64_t{static_cast<uint32_t>(_mm_movemask_epi8(both))} << i;
  }
#else
  for (unsigned g = 0; g < kGroups; g++) mask |= uint64_t{m->groupMax[g] >= static_cast<int>(slots)} << g;
#endif
  return mask;
}

}  // namespace

// Groups searched whole get their exact bound, a chunk searched whole its own.
unsigned FitSearch(ChunkMeta* m, unsigned from, unsigned slots) {
  if (m->chunkMax < static_cast<int>(slots)) return kNone;
  const uint64_t above = ~uint64_t{0} << (from / 64);
  for (uint64_t groups = m->summary & GroupsAtLeast(m, slots) & above; groups != 0; groups &= groups - 1) {
    const unsigned g = std::countr_zero(groups);
    const bool whole = g * 64 >= from;
    unsigned most = 0;
    for (uint64_t starts = m->starts[g] & (whole ? ~uint64_t{0} : ~uint64_t{0} << (from % 64)); starts != 0;
         starts &= starts - 1) {
      const unsigned slot = g * 64 + std::countr_zero(starts);
      const unsigned size = m->info(slot) & kSlotsMask;
      if (size >= slots) return slot;
      most = std::max(most, size);
    }
    if (whole) m->groupMax[g] = static_cast<int16_t>(most);
  }
  if (from == 0) m->chunkMax = *std::max_element(m->groupMax, m->groupMax + kGroups);
  return kNone;
}

