// Inline list primitives for lists known to be consistent: the pool's own
// lists on its hot paths. The public PushLink and PopLink keep their
// tolerant rules for any list a caller hands them.
#pragma once

#include "MemMgr/MemMgr.h"

// `prev` null: at the front.
inline void ListInsertAfter(LinkList* list, Link* prev, Link* link) {
  Link* next = prev != nullptr ? prev->pNext : list->pFirst;
  link->pPrev = prev;
  link->pNext = next;
  (prev != nullptr ? prev->pNext : list->pFirst) = link;
  (next != nullptr ? next->pPrev : list->pLast) = link;
  list->LinkCnt++;
}

inline void ListUnlink(LinkList* list, Link* link) {
  (link->pPrev != nullptr ? link->pPrev->pNext : list->pFirst) = link->pNext;
  (link->pNext != nullptr ? link->pNext->pPrev : list->pLast) = link->pPrev;
  list->LinkCnt--;
}

inline Link* ListPopFront(LinkList* list) {
  Link* link = list->pFirst;
  if (link != nullptr) ListUnlink(list, link);
  return link;
}

// A spare link: the top of FreeLinkList, else a fresh slab; null when the
// system has none.
inline Link* TakeLink() {
  Link* link = ListPopFront(&FreeLinkList);
  return link != nullptr ? link : GetFreeLink();
}

inline void GiveLink(Link* link) { ListInsertAfter(&FreeLinkList, nullptr, link); }
