// The process-wide memory pool: small blocks carved from 65536-byte chunks,
// first fit in address order, neighbours merged on release.
//
// A chunk's free slots are a bitmap (Chunk.h): a request clears the bits
// of the lowest run long enough (Fit.h), a release sets its block's bits,
// which merges it with whatever is free beside it, and marks the words
// where runs may now start. Nothing is allocated for either, so a release
// cannot fail. Big blocks keep a link on UsedMemList. The common paths
// stay in GetMem and PutMem; the rare ones are out of line.
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

// Sets or clears the free bits of slots [from, to), a word at a time.
template <bool kFree>
void MarkRange(ChunkMeta* m, unsigned from, unsigned to) {
  for (unsigned at = from; at < to;) {
    const unsigned n = std::min(64 - at % 64, to - at);
    const uint64_t bits = (~uint64_t{0} >> (64 - n)) << at % 64;
    m->free(at / 64) = kFree ? m->free(at / 64) | bits : m->free(at / 64) & ~bits;
    at += n;
  }
}

// The chunk set first, so that a failure leaves it all as it was.
[[gnu::noinline]] void* NewChunk(uint32_t need) {
  if (!chunkSet.Reserve()) return nullptr;
  void* mem = SysMapChunk();
  if (mem == nullptr) return nullptr;
  const auto base = reinterpret_cast<uintptr_t>(mem);
  chunkSet.Add(base);
  ChunkMeta* m = MetaOf(base);
  const unsigned slots = need / kSlot;
  m->info[0] = static_cast<uint16_t>(kUsed | slots);
  MarkRange<true>(m, slots, kSlots);
  Allow(m, kBounds, ~uint64_t{0});
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

// Records the block of `slots` slots at `slot` and gives its address.
inline void* Hand(ChunkMeta* m, unsigned slot, unsigned slots) {
  m->info[slot] = static_cast<uint16_t>(kUsed | slots);
  return reinterpret_cast<void*>(BaseOf(m) + slot * kSlot);
}

// Hands out `slots` slots from `slot`, free until now.
inline void* Take(ChunkMeta* m, unsigned slot, unsigned slots) {
  if (slots <= 64) {  // two words at most
    const uint64_t ones = ~uint64_t{0} >> (64 - slots);
    m->free(slot / 64) &= ~(ones << slot % 64);
    m->free(slot / 64 + 1) &= ~((ones >> 1) >> (63 - slot % 64));
  } else {
    MarkRange<false>(m, slot, slot + slots);
  }
  return Hand(m, slot, slots);
}

// Needs beyond kBounds slots, and big blocks.
[[gnu::noinline]] void* GetLong(uint32_t need) {
  if (need >= kChunk) return NewBig(need);
  const unsigned slots = need / kSlot;
  for (ChunkMeta* m : chunkSet)
    if (const unsigned slot = LongFit(m, slots); slot != kNone) return Take(m, slot, slots);
  return NewChunk(need);
}

// How often releases have lately added words, in 256ths: a running mean
// over about the last sixteen. When they often do, a release stores the
// masks whatever they hold: the store the next request then waits for
// costs less than a branch that goes either way at random. The rate is
// tested first, as it changes seldom and so its branch is foreseen.
int moveRate = 0;
constexpr int kOftenMoves = 256 / 8;

// Out of line, so that PutMem keeps no vector registers of its own.
[[gnu::noinline]] void AllowWords(ChunkMeta* m, unsigned slots, uint64_t words) { Allow(m, slots, words); }

// Releases of more than 64 slots: any word may have any run again.
[[gnu::noinline]] void PutLong(ChunkMeta* m, unsigned slot, unsigned slots) {
  MarkRange<true>(m, slot, slot + slots);
  Allow(m, kBounds, ~uint64_t{0});
}

// Released memory reads as zero. Blocks of 2 to 8 slots, most of them,
// in four 32-byte stores that overlap as the size needs, so that the size
// costs no branch: the first 32 bytes, the last 32, and between them at
// most 64 bytes, from byte 32 on and up to the last 32, each clamped into
// the block. Inlined by force: GCC would call it.
[[gnu::always_inline]] inline void Zero(void* block, unsigned slots) {
  auto* bytes = static_cast<char*>(block);
  const unsigned size = slots * kSlot;
  if (slots - 2 > 6) {  // one slot (a request for 0 bytes), or more than 8
    std::memset(bytes, 0, size);
    return;
  }
  std::memset(bytes, 0, 32);
  std::memset(bytes + Min(32, size - 32), 0, 32);
  std::memset(bytes + size - Min(size, 64), 0, 32);
  std::memset(bytes + size - 32, 0, 32);
}

}  // namespace

// The search and the release shift by counts known only at run time.
// Processors with BMI2 do that in one instruction that leaves the flags
// alone; they get their own build of the two, chosen at load time. GCC
// only: clang 14 names the chosen function apart from the header's name.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define FAST_SHIFTS [[gnu::target_clones("arch=x86-64-v3", "default")]]
#else
#define FAST_SHIFTS
#endif

// Needs up to kBounds slots that GetMem's first look did not meet: every
// chunk, each word that may hold a run, looking on into the next word.
[[gnu::noinline]] FAST_SHIFTS void* GetSearch(uint32_t need) {
  const unsigned slots = need / kSlot;
  const Steps steps = StepsFor(slots);
  for (ChunkMeta* m : chunkSet) {
    uint64_t gone = 0;  // words found with no run of the need
    for (uint64_t words = m->may[slots - 1]; words != 0; words &= words - 1) {
      const auto w = static_cast<unsigned>(__builtin_ctzll(words));
      if (const uint64_t runs = RunStarts(m->free(w), m->free(w + 1), steps); runs != 0) {
        // Runs that start past the block are still whole; with none left,
        // the word is gone for this need and bigger ones too.
        const auto b = static_cast<unsigned>(__builtin_ctzll(runs));
        Keep(m, slots - 1, gone | static_cast<uint64_t>((runs >> b >> slots) == 0) << w);
        return Take(m, w * 64 + b, slots);
      }
      gone |= words & -words;
    }
    if (gone != 0) Keep(m, slots - 1, gone);
  }
  return NewChunk(need);
}

FAST_SHIFTS void* GetMem(int32_t size) {
  if (static_cast<uint32_t>(size) > kMaxAsk) return nullptr;  // negative, or too big to round
  const uint32_t need = (static_cast<uint32_t>(size) + 31) & ~uint32_t{15};
  const unsigned slots = need / kSlot;
  if (slots > kBounds) return GetLong(need);
  // Most requests are met inside the first word of the first chunk that
  // may hold a run of the need; a run there that goes on into the next
  // word starts after every run inside it, and is left to the search.
  ChunkMeta* m = chunkSet.First();
  const auto w = static_cast<unsigned>(std::countr_zero(m->may[slots - 1]));
  const uint64_t word = m->free(w), runs = RunStartsIn(word, StepsFor(slots));
  if (runs == 0) return GetSearch(need);
  const auto b = static_cast<unsigned>(__builtin_ctzll(runs));
  const uint64_t left = word & ~((~uint64_t{0} >> (64 - slots)) << b);
  m->free(w) = left;
  // The needs the word may still meet. None as big as this one when no
  // run starts past the block and none can go on into the next word. And
  // none longer than one plus its pairs of free slots in a row: a big
  // take often leaves a word no room for small needs either, which
  // would be a wasted look for each of them.
  const uint64_t pairs = left & (left >> 1 | uint64_t{1} << 63);
  const auto mayGoOn = static_cast<unsigned>(left >> 63);
  const unsigned longest = Min(static_cast<unsigned>(std::popcount(pairs)) + (left != 0) + mayGoOn * kBounds, kBounds);
  const bool noneAsBig = ((runs >> b >> slots) | mayGoOn) == 0;
  Keep(m, noneAsBig ? Min(longest, slots - 1) : longest, uint64_t{1} << w);
  return Hand(m, w * 64 + b, slots);
}

FAST_SHIFTS void PutMem(void* block) {
  const auto addr = reinterpret_cast<uintptr_t>(block);
  if (!chunkSet.Contains(addr & ~(kChunk - 1))) return PutBig(block);
  ChunkMeta* m = MetaOf(addr);
  const unsigned slot = SlotOf(addr);
  const uint16_t info = m->info[slot];
  if ((info & kUsed) == 0 || addr % kSlot != 0) return;  // not a block start
  const unsigned slots = info & kSlotsMask;
  m->info[slot] = 0;
  if (slots > 64) {
    PutLong(m, slot, slots);
  } else {
    const unsigned w = slot / 64, b = slot % 64, e = (b + slots) % 64;
    const uint64_t ones = ~uint64_t{0} >> (64 - slots);
    const uint64_t prev = m->free(w - 1), cur = m->free(w) | ones << b, next = m->free(w + 1) | (ones >> 1) >> (63 - b);
    m->free(w) = cur;
    m->free(w + 1) = next;
    // The piece the block joins: the free slots right below it and right
    // above it, each counted to 63 at most (so a word of ones needs no
    // branch). A piece that reaches further was a run longer than every
    // mask's need before, and they allow for it already.
    const bool endsInNext = b + slots >= 64;
    const uint64_t above = ShiftDown(endsInNext ? next : cur, endsInNext ? m->free(w + 2) : next, e);
    const auto down = static_cast<unsigned>(__builtin_clzll(~ShiftDown(prev, cur, b) | 1));
    const auto up = static_cast<unsigned>(__builtin_ctzll(~above | uint64_t{1} << 63));
    // Runs new to the piece hold a slot of the block, so they start at
    // most kBounds - 1 slots below it.
    const unsigned from = (slot - Min(down, kBounds - 1)) / 64, to = (slot + slots - 1) / 64;
    const unsigned total = Min(down + slots + up, kBounds);
    const uint64_t words = (uint64_t{2} << to) - (uint64_t{1} << from);
    const bool moves = (m->may[total - 1] & words) != words;  // the smaller needs' hold these
    if (moveRate > kOftenMoves || moves) AllowWords(m, total, words);
    moveRate += ((static_cast<int>(moves) << 8) - moveRate) >> 4;
  }
  Zero(block, slots);
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
