// MemMgr: doubly linked lists and the process-wide memory pool.
//
// Small blocks are carved from 65536-byte chunks and kept on an
// address-ordered free list; neighbouring free blocks merge on release.
// Blocks of 65536 bytes or more come straight from the system allocator.
// Nothing here prints: every failure is a null result.
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
extern LinkList FreeMemList;   // free pieces, ascending by address
extern LinkList UsedMemList;   // blocks handed out, newest first

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
