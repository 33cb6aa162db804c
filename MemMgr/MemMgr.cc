// The process-wide memory pool: small blocks carved from 65536-byte chunks,
// first fit in address order, neighbours merged on release.
#include "MemMgr/MemMgr.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

LinkList FreeMemList = {nullptr, nullptr, 0, 1};
LinkList UsedMemList = {nullptr, nullptr, 0, 0};

namespace {

constexpr int32_t kChunk = 65536;  // chunk size; blocks this big stand alone
constexpr int64_t kGrain = 16;

// Address -> link of UsedMemList, so a release does not walk the list:
// open addressing with linear probing, no allocation per block. Room is
// reserved before a request changes anything, so Insert cannot fail.
// Plain static data without a destructor, like the lists themselves.
class UsedIndex {
 public:
  Link* Find(uintptr_t key) const {
    if (slots_ == nullptr) return nullptr;
    for (size_t i = Home(key);; i = (i + 1) & mask_) {
      if (slots_[i] == nullptr) return nullptr;
      if (slots_[i]->Key == key) return slots_[i];
    }
  }

  // Room for one more link at a load of at most one half.
  bool Reserve() {
    if (slots_ != nullptr && (count_ + 1) * 2 <= mask_ + 1) return true;
    const size_t size = slots_ == nullptr ? 1024 : (mask_ + 1) * 2;
    auto* fresh = static_cast<Link**>(std::calloc(size, sizeof(Link*)));
    if (fresh == nullptr) return false;
    Link** old = slots_;
    const size_t oldSize = old == nullptr ? 0 : mask_ + 1;
    slots_ = fresh;
    mask_ = size - 1;
    shift_ = 64 - std::countr_zero(size);
    for (size_t i = 0; i < oldSize; i++)
      if (old[i] != nullptr) Place(old[i]);
    std::free(old);
    return true;
  }

  void Insert(Link* link) {
    Place(link);
    count_++;
  }

  // Backward-shift deletion keeps every probe run unbroken.
  void Erase(uintptr_t key) {
    size_t i = Home(key);
    while (slots_[i]->Key != key) i = (i + 1) & mask_;
    for (size_t j = (i + 1) & mask_; slots_[j] != nullptr; j = (j + 1) & mask_) {
      // Move slots_[j] into the hole unless its home lies in (i, j].
      if (((j - Home(slots_[j]->Key)) & mask_) >= ((j - i) & mask_)) {
        slots_[i] = slots_[j];
        i = j;
      }
    }
    slots_[i] = nullptr;
    count_--;
  }

 private:
  size_t Home(uintptr_t key) const {
    return static_cast<size_t>(((key >> 4) * 0x9E3779B97F4A7C15ull) >> shift_);
  }

  void Place(Link* link) {
    size_t i = Home(link->Key);
    while (slots_[i] != nullptr) i = (i + 1) & mask_;
    slots_[i] = link;
  }

  Link** slots_;
  size_t mask_;
  int shift_;
  size_t count_;
};

constinit UsedIndex usedIndex{};

// Chunk start addresses, ascending: pieces of two chunks never merge, even
// when the system allocator happens to place the chunks side by side.
constinit uintptr_t* chunkStarts = nullptr;
constinit size_t chunkCnt = 0;
constinit size_t chunkRoom = 0;

bool IsChunkStart(uintptr_t key) { return std::binary_search(chunkStarts, chunkStarts + chunkCnt, key); }

bool ReserveChunkStart() {
  if (chunkCnt < chunkRoom) return true;
  const size_t room = chunkRoom * 2 + 16;
  auto* fresh = static_cast<uintptr_t*>(std::realloc(chunkStarts, room * sizeof(uintptr_t)));
  if (fresh == nullptr) return false;
  chunkStarts = fresh;
  chunkRoom = room;
  return true;
}

void AddChunkStart(uintptr_t key) {
  uintptr_t* at = std::upper_bound(chunkStarts, chunkStarts + chunkCnt, key);
  std::memmove(at + 1, at, static_cast<size_t>(chunkStarts + chunkCnt - at) * sizeof(uintptr_t));
  *at = key;
  chunkCnt++;
}

void* Use(Link* link) {
  usedIndex.Insert(link);
  PushLink(&UsedMemList, link);
  return reinterpret_cast<void*>(link->Key);
}

Link* FindUsed(const void* block) { return usedIndex.Find(reinterpret_cast<uintptr_t>(block)); }

bool Touching(const Link* lo, const Link* hi) {
  return lo->Key + static_cast<uint32_t>(lo->Size) == hi->Key && !IsChunkStart(hi->Key);
}

// Only the new piece can touch a neighbour: every earlier release merged
// its own, and carving a block off a piece's low end opens no new contact.
void MergeAround(Link* link) {
  Link* piece = link;
  if (link->pPrev != nullptr && Touching(link->pPrev, link)) piece = link->pPrev;
  while (piece->pNext != nullptr && Touching(piece, piece->pNext)) {
    Link* next = piece->pNext;
    piece->Size += next->Size;
    PopLink(&FreeMemList, next);
    PushLink(&FreeLinkList, next);
  }
}

}  // namespace

void* GetMem(int32_t size) {
  if (size < 0) return nullptr;
  const int64_t need64 = (size + kGrain - 1) / kGrain * kGrain + kGrain;
  if (need64 > INT32_MAX) return nullptr;
  const auto need = static_cast<int32_t>(need64);
  if (!usedIndex.Reserve()) return nullptr;

  // Big blocks are separate allocations: PutMem gives them back to the
  // system, which must never happen to a chunk.
  if (need < kChunk) {
    for (Link* piece = FreeMemList.pFirst; piece != nullptr; piece = piece->pNext) {
      if (piece->Size > need) {
        Link* link = GetFreeLink();
        if (link == nullptr) return nullptr;
        link->Size = need;
        link->Key = piece->Key;
        piece->Key += static_cast<uint32_t>(need);
        piece->Size -= need;
        return Use(link);
      }
      if (piece->Size == need) {
        PopLink(&FreeMemList, piece);
        return Use(piece);
      }
    }
  }

  // Links first, so a failure leaves the lists and the system as they were.
  Link* link = GetFreeLink();
  if (link == nullptr) return nullptr;
  Link* rest = nullptr;
  if (need < kChunk) {
    rest = ReserveChunkStart() ? GetFreeLink() : nullptr;
    if (rest == nullptr) {
      PushLink(&FreeLinkList, link);
      return nullptr;
    }
  }
  auto* mem = static_cast<char*>(std::malloc(need < kChunk ? kChunk : need));
  if (mem == nullptr) {
    PushLink(&FreeLinkList, rest);
    PushLink(&FreeLinkList, link);
    return nullptr;
  }
  link->Size = need;
  link->Key = reinterpret_cast<uintptr_t>(mem);
  if (rest != nullptr) {
    AddChunkStart(link->Key);
    rest->Size = kChunk - need;
    rest->Key = link->Key + static_cast<uint32_t>(need);
    PushLink(&FreeMemList, rest);
  }
  return Use(link);
}

void PutMem(void* block) {
  if (block == nullptr) return;
  Link* link = FindUsed(block);
  if (link == nullptr) return;
  usedIndex.Erase(link->Key);
  PopLink(&UsedMemList, link);
  if (link->Size >= kChunk) {
    std::free(block);
    PushLink(&FreeLinkList, link);
    return;
  }
  std::memset(block, 0, static_cast<size_t>(link->Size));
  PushLink(&FreeMemList, link);
  MergeAround(link);
}

void* AdjustMem(void* block, int32_t size) {
  if (size == 0) {
    PutMem(block);
    return nullptr;
  }
  void* fresh = GetMem(size);
  if (fresh == nullptr) return nullptr;  // the old block stays as it was
  if (block != nullptr) {
    if (Link* old = FindUsed(block)) {
      std::memcpy(fresh, block, static_cast<size_t>(size < old->Size ? size : old->Size));
      PutMem(block);
    }
  }
  return fresh;
}
