// A pool chunk: 65536 bytes of blocks at a 64 KiB-aligned address,
// followed in the same mapping by its side table. The chunk of any address
// is a mask away; whether that chunk is one of ours is a lookup in the set
// of chunks, needed only for pointers from outside (PutMem, AdjustMem).
//
// The side table has a bit per 16-byte slot, set while the slot is free,
// and 16 bits per slot, kUsed | n where a block of n slots handed out
// starts and 0 elsewhere, so only a true block start passes as a block.
//
// The free bits are the free list. Free neighbours always merge, so a free
// piece is exactly a maximal run of free bits, and releasing a block is
// setting its bits: the merge is done by the bitmap. The lowest run of at
// least n free bits is always the start of a piece, so first fit is the
// lowest n free bits in a row (Fit.h).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "MemMgr/MemMgr.h"

constexpr uintptr_t kChunk = 65536;  // chunk size; blocks this big stand alone
constexpr uintptr_t kSlot = 16;      // the size rule's grain
constexpr unsigned kSlots = kChunk / kSlot;
constexpr unsigned kWords = kSlots / 64;
constexpr unsigned kBounds = 8;  // needs of 1 to 8 slots have a bound of their own

constexpr uint16_t kUsed = 0x8000, kSlotsMask = 0x1fff;
constexpr unsigned kNone = ~0u;

struct ChunkMeta {
  // No slot is free below the chunk or past it: the word below and the three
  // past it stay 0.
  uint64_t freeBits_[kWords + 4];
  // may[n - 1], bit w: a run of n free slots may start in word w; clear,
  // none does. It may be set with no such run left, never the other way.
  alignas(64) uint64_t may[kBounds];
  uint16_t info[kSlots];

  uint64_t& free(unsigned word) { return freeBits_[word + 1]; }
  uint64_t free(unsigned word) const { return freeBits_[word + 1]; }
};

inline ChunkMeta* MetaOf(uintptr_t addr) {
  return reinterpret_cast<ChunkMeta*>((addr & ~(kChunk - 1)) + kChunk);
}
inline uintptr_t BaseOf(const ChunkMeta* m) { return reinterpret_cast<uintptr_t>(m) - kChunk; }
inline unsigned SlotOf(uintptr_t addr) { return static_cast<unsigned>(addr & (kChunk - 1)) / kSlot; }

// The lowest slot at or above `slot` whose free bit is `bit`; kSlots when
// there is none (the word past the chunk reads as used).
inline unsigned NextSlot(const ChunkMeta* m, unsigned slot, bool bit) {
  const uint64_t flip = bit ? 0 : ~uint64_t{0};
  unsigned w = slot / 64;
  uint64_t word = (m->free(w) ^ flip) & (~uint64_t{0} << (slot % 64));
  while (word == 0 && ++w < kWords) word = m->free(w) ^ flip;
  return w < kWords ? w * 64 + std::countr_zero(word) : kSlots;
}

// The chunks taken so far, as a set for pointers from outside and in
// address order for first fit. Grown before a chunk is added, so adding
// cannot fail. Chunks never leave.
class ChunkSet {
 public:
  // Open addressing on the chunk's number: chunks of one run sit close
  // together, so the number itself spreads them.
  bool Contains(uintptr_t base) const {
    for (size_t i = (base / kChunk) & mask_;; i = (i + 1) & mask_) {
      if (slots_[i] == 0) return false;  // first, so 0 is never a chunk
      if (slots_[i] == base) return true;
    }
  }
  bool Reserve();  // room for one more; false when the system has none
  void Add(uintptr_t base);

  // The lowest chunk; before there is one, a stand-in with nothing free.
  ChunkMeta* First() const { return first_; }
  ChunkMeta* const* begin() const { return order_; }
  ChunkMeta* const* end() const { return order_ + count_; }

 private:
  void Place(uintptr_t base);

  static uintptr_t none_[1];  // the table before the first chunk
  uintptr_t* slots_ = none_;  // at a load of at most one half
  size_t mask_ = 0;
  ChunkMeta** order_ = nullptr;  // ascending
  size_t count_ = 0;
  static ChunkMeta empty_;
  ChunkMeta* first_ = &empty_;
};

extern constinit ChunkSet chunkSet;

// Calls f(address, bytes) for each free piece, in address order.
template <typename F>
void ForEachFreePiece(F f) {
  for (const ChunkMeta* m : chunkSet)
    for (unsigned at = NextSlot(m, 0, true); at < kSlots;) {
      const unsigned end = NextSlot(m, at, false);
      f(BaseOf(m) + at * kSlot, static_cast<int32_t>((end - at) * kSlot));
      at = end < kSlots ? NextSlot(m, end, true) : kSlots;
    }
}

// The chunk of a pointer from outside when it is one of ours, else null.
inline ChunkMeta* OurChunk(uintptr_t addr) {
  return chunkSet.Contains(addr & ~(kChunk - 1)) ? MetaOf(addr) : nullptr;
}

// The size of the small block handed out at `addr`, or 0.
inline int32_t SmallBlockSize(uintptr_t addr) {
  if (addr % kSlot != 0) return 0;
  const ChunkMeta* m = OurChunk(addr);
  if (m == nullptr) return 0;
  const uint16_t info = m->info[SlotOf(addr)];
  return (info & kUsed) != 0 ? (info & kSlotsMask) * static_cast<int32_t>(kSlot) : 0;
}

// What FindLink on UsedMemList gives for a small block, which has no link:
// a record of its own, valid until the next call. Null for anything else.
Link* SmallBlockRecord(uintptr_t key);
