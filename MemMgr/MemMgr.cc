// The process-wide memory pool: small blocks carved from 65536-byte chunks,
// first fit in address order, neighbours merged on release.
//
// Only free pieces hold links. A block handed out is an entry in its
// chunk's side table (Chunk.h), so a request splits a piece by moving its
// start up and a release grows a neighbouring piece in place; a link is
// taken only when a release has no free neighbour and given back only when
// a piece is taken whole or two pieces merge. Big blocks keep a link on
// UsedMemList. The common paths stay in GetMem and PutMem; the rare ones
// are kept out of line so that they cost the common ones nothing.
#include "MemMgr/MemMgr.h"

#include <algorithm>
#include <cstring>

#include "MemMgr/Chunk.h"
#include "MemMgr/Fit.h"
#include "MemMgr/ListOps.h"
#include "MemMgr/SysMem.h"

LinkList FreeMemList = {nullptr, nullptr, 0, 1};
LinkList UsedMemList = {nullptr, nullptr, 0, 0};

namespace {

// The largest request whose rounded size still fits: (size + 31) & ~15.
constexpr uint32_t kMaxAsk = INT32_MAX - 31;

// The chunk set first and the link last, so that a failure leaves the
// lists as they were.
[[gnu::noinline]] void* NewChunk(uint32_t need) {
  if (!chunkSet.Reserve()) return nullptr;
  void* mem = SysMapChunk();
  if (mem == nullptr) return nullptr;
  Link* rest = TakeLink();
  if (rest == nullptr) {
    SysUnmapChunk(mem);
    return nullptr;
  }
  const auto base = reinterpret_cast<uintptr_t>(mem);
  chunkSet.Add(base);
  ChunkMeta* m = MetaOf(base);
  const unsigned slots = need / kSlot, left = kSlots - slots;
  m->info(0) = static_cast<uint16_t>(kUsed | slots);
  m->info(kSlots - 1) = kEnd;
  m->info(slots) |= static_cast<uint16_t>(kStart | left);
  m->link[slots] = rest;
  SetStart(m, slots);
  PieceGrew(m, slots, left);
  rest->Key = base + need;
  rest->Size = static_cast<int32_t>(left * kSlot);
  ListInsertAfter(&FreeMemList, LastPieceBelow(m), rest);
  return mem;
}

// Big blocks are separate allocations: PutMem gives them back to the
// system, which must never happen to a chunk.
[[gnu::noinline]] void* NewBig(uint32_t need) {
  void* mem = SysAlloc(need);
  if (mem == nullptr) return nullptr;
  Link* link = TakeLink();
  if (link == nullptr) {
    SysFree(mem);
    return nullptr;
  }
  link->Size = static_cast<int32_t>(need);
  link->Key = reinterpret_cast<uintptr_t>(mem);
  ListInsertAfter(&UsedMemList, nullptr, link);
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
    ListUnlink(&UsedMemList, link);
    SysFree(block);
    GiveLink(link);
  }
}

// Hands out the low end of `piece`.
inline void* Carve(Link* piece, uint32_t need) {
  const uintptr_t addr = piece->Key;
  ChunkMeta* m = MetaOf(addr);
  const unsigned slot = SlotOf(addr), slots = need / kSlot;
  const auto left = static_cast<unsigned>(piece->Size) - need;
  if (left != 0) {  // the piece now starts past the block
    const unsigned rest = slot + slots;
    m->info(rest) |= static_cast<uint16_t>(kStart | left / kSlot);  // keeps the end mark of a one-slot rest
    m->link[rest] = piece;
    MoveStart(m, slot, rest);
    PieceShrank(m, slot, rest, left / kSlot);
    piece->Key = addr + need;
    piece->Size = static_cast<int32_t>(left);
  } else {  // taken whole
    m->info(slot + slots - 1) = 0;
    ClearStart(m, slot);
    ListUnlink(&FreeMemList, piece);
    GiveLink(piece);
  }
  m->info(slot) = static_cast<uint16_t>(kUsed | slots);
  return reinterpret_cast<void*>(addr);
}

// A release with no free neighbour: a piece of its own, after the chunk's
// nearest free piece below, else before its nearest one above, else after
// the last piece of the chunks below. When no link can be had the block
// simply stays handed out.
[[gnu::noinline]] void PutAlone(ChunkMeta* m, uintptr_t addr, unsigned slot, unsigned slots) {
  Link* piece = TakeLink();
  if (piece == nullptr) return;
  m->info(slot) = 0;
  m->info(slot + slots - 1) = kEnd;
  m->info(slot) |= static_cast<uint16_t>(kStart | slots);
  m->link[slot] = piece;
  piece->Key = addr;
  piece->Size = static_cast<int32_t>(slots * kSlot);
  Link* before;
  if (const unsigned below = StartBelow(m, slot); below != kNone) before = m->link[below];
  else if (const unsigned above = StartAbove(m, slot); above != kNone) before = m->link[above]->pPrev;
  else before = LastPieceBelow(m);
  ListInsertAfter(&FreeMemList, before, piece);
  SetStart(m, slot);
  PieceGrew(m, slot, slots);
  std::memset(reinterpret_cast<void*>(addr), 0, slots * kSlot);
}

}  // namespace

// First fit and the carving inline; anything else is a tail call.
void* GetMem(int32_t size) {
  if (static_cast<uint32_t>(size) > kMaxAsk) return nullptr;  // negative, or too big to round
  const uint32_t need = (static_cast<uint32_t>(size) + 31) & ~uint32_t{15};
  if (need >= kChunk) return NewBig(need);
  for (ChunkMeta* m : chunkSet)
    if (Link* piece = ChunkFirstFit(m, need / kSlot)) return Carve(piece, need);
  return NewChunk(need);
}

// The pieces grow in place; the zero fill comes last, as a tail call.
void PutMem(void* block) {
  const auto addr = reinterpret_cast<uintptr_t>(block);
  if (!chunkSet.Contains(addr & ~(kChunk - 1))) return PutBig(block);
  ChunkMeta* m = MetaOf(addr);
  const unsigned slot = SlotOf(addr);
  const uint16_t info = m->info(slot);
  if ((info & kUsed) == 0 || addr % kSlot != 0) return;  // not a block start

  const unsigned slots = info & kSlotsMask, end = slot + slots;
  const bool joinPrev = (m->info(slot - 1) & kEnd) != 0;
  const uint16_t after = m->info(end);
  if ((after & kStart) != 0) {
    Link* next = m->link[end];
    const unsigned nextSlots = after & kSlotsMask;
    m->info(end) = after & kEnd;  // interior now, unless it was a one-slot piece's end
    if (joinPrev) {               // all three become the piece below
      const unsigned start = StartBelow(m, slot);
      const unsigned total = (m->info(start) & kSlotsMask) + slots + nextSlots;
      m->info(slot) = 0;
      m->info(slot - 1) = 0;
      m->info(start) = static_cast<uint16_t>(kStart | total);
      m->link[start]->Size = static_cast<int32_t>(total * kSlot);
      ClearStart(m, end);
      PieceGrew(m, start, total);
      ListUnlink(&FreeMemList, next);
      GiveLink(next);
    } else {  // the piece above starts here now
      const unsigned total = slots + nextSlots;
      m->info(slot) = static_cast<uint16_t>(kStart | total);
      m->link[slot] = next;
      MoveStart(m, end, slot);
      PieceGrew(m, slot, total);
      next->Key = addr;
      next->Size = static_cast<int32_t>(total * kSlot);
    }
  } else if (joinPrev) {  // the piece below reaches over the block
    const unsigned start = StartBelow(m, slot);
    const unsigned total = (m->info(start) & kSlotsMask) + slots;
    m->info(slot) = 0;
    m->info(end - 1) = kEnd;
    m->info(slot - 1) &= static_cast<uint16_t>(~kEnd);
    m->info(start) = static_cast<uint16_t>(kStart | total);
    m->link[start]->Size = static_cast<int32_t>(total * kSlot);
    PieceGrew(m, start, total);
  } else {
    return PutAlone(m, addr, slot, slots);
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
