// A pool chunk: 65536 bytes of blocks at a 64 KiB-aligned address,
// followed in the same mapping by its side table. The chunk of any address
// is a mask away; whether that chunk is one of ours is a lookup in the set
// of chunks, needed only for pointers from outside (PutMem, AdjustMem).
//
// The side table describes each 16-byte slot in 16 bits:
//   kUsed | n    a block of n slots handed out starts here
//   kStart | n   a free piece of n slots starts here
//   kEnd | n     a free piece of n slots ends here (one slot: kStart | kEnd | 1)
//   0            anything else
// so a release finds its free neighbours at slot - 1 and at the slot past
// its end, and only a true block start passes as a block. The table is the
// free list: there is no other record of a free piece.
//
// Free piece starts are also a bitmap, 64 slots (a group) to a word, with
// a summary word over it: the next piece above a slot is a few word
// operations. The bounds that keep first fit short are in Fit.h.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "MemMgr/MemMgr.h"

constexpr uintptr_t kChunk = 65536;  // chunk size; blocks this big stand alone
constexpr uintptr_t kSlot = 16;      // the size rule's grain
constexpr unsigned kSlots = kChunk / kSlot;
constexpr unsigned kGroups = kSlots / 64;

constexpr uint16_t kUsed = 0x8000, kStart = 0x4000, kEnd = 0x2000, kSlotsMask = 0x1fff;

constexpr unsigned kFitClasses = 8;  // needs of 1 to 8 slots have a bound of their own

struct ChunkMeta {
  uint64_t starts[kGroups];  // free piece starts
  uint64_t summary;          // groups with a free piece start
  alignas(16) int16_t low[kFitClasses];  // Fit.h
  alignas(16) int16_t groupMax[kGroups];
  int16_t chunkMax;
  uint16_t info_[kSlots + 2];  // with a 0 on either side: slot -1 and kSlots read as nothing

  uint16_t& info(unsigned slot) { return info_[slot + 1]; }
  uint16_t info(unsigned slot) const { return info_[slot + 1]; }
};

inline ChunkMeta* MetaOf(uintptr_t addr) {
  return reinterpret_cast<ChunkMeta*>((addr & ~(kChunk - 1)) + kChunk);
}
inline uintptr_t BaseOf(const ChunkMeta* m) { return reinterpret_cast<uintptr_t>(m) - kChunk; }
inline unsigned SlotOf(uintptr_t addr) { return static_cast<unsigned>(addr & (kChunk - 1)) / kSlot; }

inline void SetStart(ChunkMeta* m, unsigned slot) {
  m->starts[slot / 64] |= uint64_t{1} << (slot % 64);
  m->summary |= uint64_t{1} << (slot / 64);
}

inline void ClearStart(ChunkMeta* m, unsigned slot) {
  uint64_t& word = m->starts[slot / 64];
  word &= ~(uint64_t{1} << (slot % 64));
  m->summary &= ~(uint64_t{word == 0} << (slot / 64));
}

// A piece's start moves from `from` to `to`.
inline void MoveStart(ChunkMeta* m, unsigned from, unsigned to) {
  if (from / 64 == to / 64) {
    m->starts[from / 64] ^= (uint64_t{1} << (from % 64)) | (uint64_t{1} << (to % 64));
  } else {
    ClearStart(m, from);
    SetStart(m, to);
  }
}

constexpr unsigned kNone = ~0u;

// The lowest free piece start above `slot`, or kNone.
inline unsigned StartAbove(const ChunkMeta* m, unsigned slot) {
  const unsigned w = slot / 64;
  const uint64_t here = slot % 64 == 63 ? 0 : m->starts[w] & (~uint64_t{0} << (slot % 64 + 1));
  if (here != 0) return w * 64 + std::countr_zero(here);
  const uint64_t words = w == kGroups - 1 ? 0 : m->summary & (~uint64_t{0} << (w + 1));
  if (words == 0) return kNone;
  const unsigned v = std::countr_zero(words);
  return v * 64 + std::countr_zero(m->starts[v]);
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

  ChunkMeta* const* begin() const { return order_; }
  ChunkMeta* const* end() const { return order_ + count_; }

 private:
  void Place(uintptr_t base);

  static uintptr_t none_[1];  // the table before the first chunk
  uintptr_t* slots_ = none_;  // at a load of at most one half
  size_t mask_ = 0;
  ChunkMeta** order_ = nullptr;  // ascending
  size_t count_ = 0;
};

extern constinit ChunkSet chunkSet;

// Calls f(address, bytes) for each free piece, in address order.
template <typename F>
void ForEachFreePiece(F f) {
  for (const ChunkMeta* m : chunkSet)
    for (unsigned g = 0; g < kGroups; g++)
      for (uint64_t starts = m->starts[g]; starts != 0; starts &= starts - 1) {
        const unsigned slot = g * 64 + std::countr_zero(starts);
        f(BaseOf(m) + slot * kSlot, static_cast<int32_t>((m->info(slot) & kSlotsMask) * kSlot));
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
  const uint16_t info = m->info(SlotOf(addr));
  return (info & kUsed) != 0 ? (info & kSlotsMask) * static_cast<int32_t>(kSlot) : 0;
}

// What FindLink on UsedMemList gives for a small block, which has no link:
// a record of its own, valid until the next call. Null for anything else.
Link* SmallBlockRecord(uintptr_t key);
