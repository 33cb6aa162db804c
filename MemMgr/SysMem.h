// Every request the pool makes to the system: plain allocations (link
// slabs, big blocks, the chunk set) and chunk mappings. One place, so the
// pool's peak can be counted and a failure can be made to happen.
#pragma once

#include <cstddef>

void* SysAlloc(size_t bytes);
void SysFree(void* block, size_t bytes);
size_t SysHeldBytes();  // allocations held now

// A zeroed chunk with its side table behind it, the chunk 64 KiB-aligned.
void* SysMapChunk();
void SysUnmapChunk(void* chunk);
size_t SysMappedBytes();  // chunk mappings held now, side tables included

// For tests: when n > 0, the n-th request from now fails (1: the next).
extern int sysFailIn;
