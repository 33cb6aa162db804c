// Doubly linked lists of Link records and the stack of spare links.
#include "MemMgr/Chunk.h"
#include "MemMgr/MemMgr.h"
#include "MemMgr/SysMem.h"

namespace {
// Links taken from the system at once. Of the pool's blocks only big
// ones hold links, a handful in a run of the program.
constexpr int kLinkSlab = 256;
}  // namespace

LinkList FreeLinkList = {nullptr, nullptr, 0, 0};

void PushLink(LinkList* list, Link* link) {
  if (link == nullptr) return;
  if (list->LinkCnt == 0 || list->pFirst == nullptr || list->pLast == nullptr) {
    list->pFirst = list->pLast = link;
    link->pNext = link->pPrev = nullptr;
    list->LinkCnt = 1;
    return;
  }
  if (list->flSorted == 0 || link->Key < list->pFirst->Key) {
    link->pNext = list->pFirst;
    link->pPrev = nullptr;
    list->pFirst->pPrev = link;
    list->pFirst = link;
    list->LinkCnt++;
    return;
  }
  if (link->Key > list->pLast->Key) {
    link->pPrev = list->pLast;
    link->pNext = nullptr;
    list->pLast->pNext = link;
    list->pLast = link;
    list->LinkCnt++;
    return;
  }
  // A key already on the list finds no gap and is left out.
  for (Link* cur = list->pFirst; cur->pNext != nullptr; cur = cur->pNext) {
    Link* next = cur->pNext;
    if (cur->Key < link->Key && link->Key < next->Key) {
      link->pPrev = cur;
      link->pNext = next;
      cur->pNext = link;
      next->pPrev = link;
      list->LinkCnt++;
      return;
    }
  }
}

Link* PopLink(LinkList* list, Link* link) {
  if (list->LinkCnt == 0) return nullptr;
  if (--list->LinkCnt <= 0) {
    Link* first = list->pFirst;
    list->pFirst = list->pLast = nullptr;
    return first;
  }
  if (link == nullptr || link == list->pFirst) {
    Link* first = list->pFirst;
    list->pFirst = first->pNext;
    if (list->pFirst != nullptr) list->pFirst->pPrev = nullptr;
    return first;
  }
  if (link == list->pLast) {
    list->pLast = link->pPrev;
    if (list->pLast != nullptr) list->pLast->pNext = nullptr;
    return link;
  }
  if (link->pPrev != nullptr) link->pPrev->pNext = link->pNext;
  if (link->pNext != nullptr) link->pNext->pPrev = link->pPrev;
  return link;
}

Link* FindLink(LinkList* list, uintptr_t key) {
  for (Link* cur = list->pFirst; cur != nullptr; cur = cur->pNext)
    if (cur->Key == key) return cur;
  return list == &UsedMemList ? SmallBlockRecord(key) : nullptr;
}

Link* GetFreeLink() {
  if (Link* link = PopLink(&FreeLinkList, nullptr)) return link;
  auto* slab = static_cast<Link*>(SysAlloc(sizeof(Link) * kLinkSlab));
  if (slab == nullptr) return nullptr;
  // Pushed in slab order, so the slab's last record is popped next.
  for (int i = 1; i < kLinkSlab; i++) PushLink(&FreeLinkList, &slab[i]);
  return &slab[0];
}
