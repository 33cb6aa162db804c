// The process-wide memory pool: small blocks carved from 65536-byte chunks,
// first fit in address order, neighbours merged on release.
//
// Every small block and free piece is described in its chunk's side table
// (Chunk.h), which finds free neighbours in place; first fit goes through
// the bounds of Fit.h. A request moves a piece's start up past the block,
// a release grows a neighbouring piece or makes a new one, all in place
// and without a record of its own, so a release cannot fail. Big blocks
// keep a link on UsedMemList. The common paths stay in GetMem and PutMem;
// the rare ones are out of line and cost the common ones nothing.
#include "MemMgr/MemMgr.h"

#include <algorithm>
#include <cstring>

#include "MemMgr/Chunk.h"
#include "MemMgr/Fit.h"
#include "MemMgr/SysMem.h"

LinkList FreeMemList = {nullptr, nullptr, 0, 1};
LinkList UsedMemList = {nullptr, nullptr, 0, 0};

namespace {

// The largest request whose rounded size still fits: (size + 31) & ~15.
constexpr uint32_t kMaxAsk = INT32_MAX - 31;

// The chunk set first, so that a failure leaves it all as it was.
[[gnu::noinline]] void* NewChunk(uint32_t need) {
  if (!chunkSet.Reserve()) return nullptr;
  void* mem = SysMapChunk();
  if (mem == nullptr) return nullptr;
  const auto base = reinterpret_cast<uintptr_t>(mem);
  chunkSet.Add(base);
  ChunkMeta* m = MetaOf(base);
  const unsigned slots = need / kSlot, left = kSlots - slots;
  m->info(0) = static_cast<uint16_t>(kUsed | slots);
  m->info(kSlots - 1) = static_cast<uint16_t>(kEnd | left);
  m->info(slots) |= static_cast<uint16_t>(kStart | left);
  SetStart(m, slots);
  PieceGrew(m, slots, left);
  return mem;
}

// Big blocks are separate allocations: PutMem gives them back to the
// system, which must never happen to a chunk.
[[gnu::noinline]] void* NewBig(uint32_t need) {
  void* mem = SysAlloc(need);
  if (mem == nullptr) return nullptr;
  Link* link = GetFreeLink();
  if (link == nullptr) {
    SysFree(mem, need);
    return nullptr;
  }
  link->Size = static_cast<int32_t>(need);
  link->Key = reinterpret_cast<uintptr_t>(mem);
  PushLink(&UsedMemList, link);
  return mem;
}

Link* FindBig(uintptr_t addr) {
  for (Link* link = UsedMemList.pFirst; link != nullptr; link = link->pNext)
    if (link->Key == addr) return link;
  return nullptr;
}

[[gnu::noinline]] void PutBig(void* block) {
  if (block == nullptr) return;
  if (Link* link = FindBig(reinterpret_cast<uintptr_t>(block))) {
    PopLink(&UsedMemList, link);
    SysFree(block, static_cast<size_t>(link->Size));
    PushLink(&FreeLinkList, link);
  }
}

// Hands out the low end of the piece at `slot`.
inline void* Carve(ChunkMeta* m, unsigned slot, unsigned slots) {
  const unsigned size = m->info(slot) & kSlotsMask, left = size - slots;
  if (left != 0) {  // the piece now starts past the block
    const unsigned rest = slot + slots;
    m->info(slot + size - 1) = static_cast<uint16_t>(kEnd | left);
    m->info(rest) |= static_cast<uint16_t>(kStart | left);  // a one-slot rest starts where it ends
    MoveStart(m, slot, rest);
    PieceShrank(m, slot, rest, left);
  } else {  // taken whole
    m->info(slot + slots - 1) = 0;
    ClearStart(m, slot);
    PieceGone(m, slot);
  }
  m->info(slot) = static_cast<uint16_t>(kUsed | slots);
  return reinterpret_cast<void*>(BaseOf(m) + slot * kSlot);
}

}  // namespace

void* GetMem(int32_t size) {
  if (static_cast<uint32_t>(size) > kMaxAsk) return nullptr;  // negative, or too big to round
  const uint32_t need = (static_cast<uint32_t>(size) + 31) & ~uint32_t{15};
  if (need >= kChunk) return NewBig(need);
  const unsigned slots = need / kSlot;
  for (ChunkMeta* m : chunkSet)
    if (const unsigned slot = ChunkFirstFit(m, slots); slot != kNone) return Carve(m, slot, slots);
  return NewChunk(need);
}

// The zero fill comes last, as a tail call.
void PutMem(void* block) {
  const auto addr = reinterpret_cast<uintptr_t>(block);
  if (!chunkSet.Contains(addr & ~(kChunk - 1))) return PutBig(block);
  ChunkMeta* m = MetaOf(addr);
  const unsigned slot = SlotOf(addr);
  const uint16_t info = m->info(slot);
  if ((info & kUsed) == 0 || addr % kSlot != 0) return;  // not a block start

  const unsigned slots = info & kSlotsMask, end = slot + slots;
  const uint16_t before = m->info(slot - 1), after = m->info(end);
  if ((after & kStart) != 0) {
    const unsigned nextSlots = after & kSlotsMask, last = end + nextSlots - 1;
    m->info(end) = 0;
    if ((before & kEnd) != 0) {  // all three become the piece below
      const unsigned start = slot - (before & kSlotsMask);
      const unsigned total = (before & kSlotsMask) + slots + nextSlots;
      m->info(slot - 1) = 0;
      m->info(slot) = 0;
      m->info(last) = static_cast<uint16_t>(kEnd | total);
      m->info(start) = static_cast<uint16_t>(kStart | total);
      ClearStart(m, end);
      PieceGrew(m, start, total);
    } else {  // the piece above starts here now
      const unsigned total = slots + nextSlots;
      m->info(last) = static_cast<uint16_t>(kEnd | total);
      m->info(slot) = static_cast<uint16_t>(kStart | total);
      MoveStart(m, end, slot);
      PieceGrew(m, slot, total);
    }
  } else if ((before & kEnd) != 0) {  // the piece below reaches over the block
    const unsigned start = slot - (before & kSlotsMask);
    const unsigned total = (before & kSlotsMask) + slots;
    m->info(slot - 1) = 0;
    m->info(slot) = 0;
    m->info(end - 1) = static_cast<uint16_t>(kEnd | total);
    m->info(start) = static_cast<uint16_t>(kStart | total);
    PieceGrew(m, start, total);
  } else {  // a piece of its own
    m->info(slot) = 0;
    m->info(end - 1) = static_cast<uint16_t>(kEnd | slots);
    m->info(slot) |= static_cast<uint16_t>(kStart | slots);
    SetStart(m, slot);
    PieceGrew(m, slot, slots);
  }
  std::memset(block, 0, slots * kSlot);
}

void* AdjustMem(void* block, int32_t size) {
  if (size == 0) {
    PutMem(block);
    return nullptr;
  }
  void* fresh = GetMem(size);
  if (fresh == nullptr) return nullptr;  // the old block stays as it was
  if (block != nullptr) {
    const auto addr = reinterpret_cast<uintptr_t>(block);
    int32_t old = SmallBlockSize(addr);
    if (old == 0)
      if (const Link* big = FindBig(addr)) old = big->Size;
    if (old != 0) {
      std::memcpy(fresh, block, static_cast<size_t>(std::min(size, old)));
      PutMem(block);
    }
  }
  return fresh;
}
