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

// The lowest of `starts` (in group `g`) of a piece of at least `slots`, or
// kNone; a group searched whole gets its exact bound.
unsigned SearchGroup(ChunkMeta* m, unsigned g, uint64_t starts, unsigned slots, bool whole) {
  unsigned most = 0;
  for (; starts != 0; starts &= starts - 1) {
    const unsigned slot = g * 64 + std::countr_zero(starts);
    const unsigned size = m->info(slot) & kSlotsMask;
    if (size >= slots) return slot;
    most = std::max(most, size);
  }
  if (whole) m->groupMax[g] = static_cast<int16_t>(most);
  return kNone;
}

}  // namespace

// The rest of `from`'s group first: the fit is often close by, and the
// groups' bounds are worth reading only when it is not.
unsigned FitSearch(ChunkMeta* m, unsigned from, unsigned slots) {
  if (m->chunkMax < static_cast<int>(slots)) return kNone;
  const unsigned first = from / 64;
  const unsigned near = SearchGroup(m, first, m->starts[first] & (~uint64_t{0} << (from % 64)), slots, from % 64 == 0);
  if (near != kNone) return near;
  const uint64_t above = first == kGroups - 1 ? 0 : ~uint64_t{0} << (first + 1);
  for (uint64_t groups = m->summary & GroupsAtLeast(m, slots) & above; groups != 0; groups &= groups - 1) {
    const unsigned g = std::countr_zero(groups);
    if (const unsigned slot = SearchGroup(m, g, m->starts[g], slots, true); slot != kNone) return slot;
  }
  if (from == 0) m->chunkMax = *std::max_element(m->groupMax, m->groupMax + kGroups);
  return kNone;
}
