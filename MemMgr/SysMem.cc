// Requests to the system. Chunks are mapped directly: an aligned
// allocation from malloc would cost up to a chunk of padding each, where
// over-mapping and trimming the ends costs nothing once a chunk stands.
#include "MemMgr/SysMem.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

#include "MemMgr/Chunk.h"

int sysFailIn = 0;

namespace {

size_t heldBytes = 0, mappedBytes = 0;

bool FailNow() { return sysFailIn > 0 && --sysFailIn == 0; }

size_t RegionBytes() {
  static const size_t bytes = [] {
    const auto page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    return kChunk + (sizeof(ChunkMeta) + page - 1) / page * page;
  }();
  return bytes;
}

}  // namespace

void* SysAlloc(size_t bytes) {
  void* block = FailNow() ? nullptr : std::malloc(bytes);
  if (block != nullptr) heldBytes += bytes;
  return block;
}

void SysFree(void* block, size_t bytes) {
  if (block == nullptr) return;
  std::free(block);
  heldBytes -= bytes;
}

size_t SysHeldBytes() { return heldBytes; }

void* SysMapChunk() {
  if (FailNow()) return nullptr;
  const size_t region = RegionBytes(), span = region + kChunk;
  void* raw = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const auto lo = reinterpret_cast<uintptr_t>(raw);
  const uintptr_t base = (lo + kChunk - 1) & ~(kChunk - 1);
  if (base > lo) munmap(raw, base - lo);
  if (lo + span > base + region) munmap(reinterpret_cast<void*>(base + region), lo + span - (base + region));
  mappedBytes += region;
  return reinterpret_cast<void*>(base);
}

void SysUnmapChunk(void* chunk) {
  munmap(chunk, RegionBytes());
  mappedBytes -= RegionBytes();
}

size_t SysMappedBytes() { return mappedBytes; }
