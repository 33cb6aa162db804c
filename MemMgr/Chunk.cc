// The set of chunks and the record FindLink gives for a small block.
#include "MemMgr/Chunk.h"

#include <algorithm>
#include <cstring>

#include "MemMgr/SysMem.h"

constinit uintptr_t ChunkSet::none_[1] = {};
constinit ChunkMeta ChunkSet::empty_ = {};
constinit ChunkSet chunkSet{};

// Both tables at most half full; they double from 64 chunks.
bool ChunkSet::Reserve() {
  if ((count_ + 1) * 2 <= mask_ + 1) return true;
  const size_t size = slots_ == none_ ? 64 : (mask_ + 1) * 2;
  auto* slots = static_cast<uintptr_t*>(SysAlloc(size * sizeof(uintptr_t)));
  auto* order = static_cast<ChunkMeta**>(SysAlloc(size / 2 * sizeof(ChunkMeta*)));
  if (slots == nullptr || order == nullptr) {
    SysFree(slots, size * sizeof(uintptr_t));
    SysFree(order, size / 2 * sizeof(ChunkMeta*));
    return false;
  }
  std::memset(slots, 0, size * sizeof(uintptr_t));
  if (count_ != 0) std::memcpy(order, order_, count_ * sizeof(ChunkMeta*));
  if (slots_ != none_) SysFree(slots_, (mask_ + 1) * sizeof(uintptr_t));
  SysFree(order_, (mask_ + 1) / 2 * sizeof(ChunkMeta*));
  slots_ = slots;
  order_ = order;
  mask_ = size - 1;
  for (size_t i = 0; i < count_; i++) Place(BaseOf(order_[i]));
  return true;
}

void ChunkSet::Place(uintptr_t base) {
  size_t i = (base / kChunk) & mask_;
  while (slots_[i] != 0) i = (i + 1) & mask_;
  slots_[i] = base;
}

void ChunkSet::Add(uintptr_t base) {
  Place(base);
  ChunkMeta* m = MetaOf(base);
  ChunkMeta** at = std::upper_bound(order_, order_ + count_, m);
  std::memmove(at + 1, at, static_cast<size_t>(order_ + count_ - at) * sizeof(ChunkMeta*));
  *at = m;
  count_++;
  first_ = order_[0];
}

Link* SmallBlockRecord(uintptr_t key) {
  static Link record;
  const int32_t size = SmallBlockSize(key);
  if (size == 0) return nullptr;
  record = {nullptr, nullptr, size, key};
  return &record;
}
