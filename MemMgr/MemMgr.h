// MemMgr: doubly linked lists and the process-wide memory pool.
//
// Small blocks are carved from 65536-byte chunks, first fit in address
// order; neighbouring free pieces of one chunk merge on release, and
// released memory reads as zero. Blocks of 65536 bytes or more come
// straight from the system allocator. Nothing here prints: every failure
// is a null result, and a failed request changes nothing.
#pragma once

#include <cstdint>

struct Link {
  Link* pNext;
  Link* pPrev;
  int32_t Size;   // the pool keeps the block size here
  uintptr_t Key;  // the pool keeps the block address here
};

struct LinkList {
  Link* pFirst;
  Link* pLast;
  int32_t LinkCnt;
  uint32_t flSorted;  // 1: ascending by Key
};

extern LinkList FreeLinkList;  // spare links, a stack
// Empty: the pool's free pieces are described in its chunks' side tables
// (MemMgr/Chunk.h), which are quicker to search and to merge in.
extern LinkList FreeMemList;
// Big blocks handed out, newest first. A small block handed out has no
// link (its chunk's side table knows it), but FindLink on this list finds
// it too: a record of its own with Key and Size, valid until the next call.
extern LinkList UsedMemList;

void PushLink(LinkList* list, Link* link);
Link* PopLink(LinkList* list, Link* link);
Link* FindLink(LinkList* list, uintptr_t key);
Link* GetFreeLink();

// Null for a negative size or one whose rounded size overflows.
void* GetMem(int32_t size);
// Ignores null, unknown and already released pointers.
void PutMem(void* block);
// Null and the old block untouched when the new block cannot be had.
void* AdjustMem(void* block, int32_t size);
