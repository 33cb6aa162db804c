#include <gtest/gtest.h>

#include <vector>

#include "MemMgr/MemMgr.h"

namespace {

std::vector<uintptr_t> Keys(const LinkList& list) {
  std::vector<uintptr_t> keys;
  for (const Link* l = list.pFirst; l != nullptr; l = l->pNext) keys.push_back(l->Key);
  return keys;
}

// Walking backwards must give the same links as walking forwards.
void ExpectConsistent(const LinkList& list) {
  std::vector<const Link*> fwd, back;
  for (const Link* l = list.pFirst; l != nullptr; l = l->pNext) fwd.push_back(l);
  for (const Link* l = list.pLast; l != nullptr; l = l->pPrev) back.insert(back.begin(), l);
  EXPECT_EQ(fwd, back);
  EXPECT_EQ(static_cast<int32_t>(fwd.size()), list.LinkCnt);
}

TEST(LinkList, UnsortedPushGoesToFront) {
  LinkList list = {nullptr, nullptr, 0, 0};
  Link a{}, b{}, c{};
  a.Key = 1, b.Key = 2, c.Key = 1;
  PushLink(&list, &a);
  PushLink(&list, &b);
  PushLink(&list, &c);  // equal keys are fine on an unsorted list
  PushLink(&list, nullptr);
  EXPECT_EQ(Keys(list), (std::vector<uintptr_t>{1, 2, 1}));
  ExpectConsistent(list);
  EXPECT_EQ(FindLink(&list, 1), &c);  // first from the front
  EXPECT_EQ(FindLink(&list, 7), nullptr);
}

TEST(LinkList, SortedPushKeepsOrderAndRefusesDuplicateKeys) {
  LinkList list = {nullptr, nullptr, 0, 1};
  Link l[6] = {};
  const uintptr_t keys[] = {30, 10, 50, 20, 40, ~uintptr_t{0}};
  for (int i = 0; i < 6; i++) {
    l[i].Key = keys[i];
    PushLink(&list, &l[i]);
  }
  EXPECT_EQ(Keys(list), (std::vector<uintptr_t>{10, 20, 30, 40, 50, ~uintptr_t{0}}));
  ExpectConsistent(list);

  for (uintptr_t dup : {uintptr_t{10}, uintptr_t{30}, ~uintptr_t{0}}) {
    Link d{};
    d.Key = dup;
    PushLink(&list, &d);
    EXPECT_EQ(list.LinkCnt, 6) << dup;
  }
  EXPECT_EQ(Keys(list), (std::vector<uintptr_t>{10, 20, 30, 40, 50, ~uintptr_t{0}}));
  ExpectConsistent(list);
}

TEST(LinkList, PopTakesFirstLastMiddleAndNothingFromEmpty) {
  LinkList list = {nullptr, nullptr, 0, 1};
  EXPECT_EQ(PopLink(&list, nullptr), nullptr);
  EXPECT_EQ(list.LinkCnt, 0);

  Link l[4] = {};
  for (int i = 0; i < 4; i++) {
    l[i].Key = static_cast<uintptr_t>(i);
    PushLink(&list, &l[i]);
  }
  EXPECT_EQ(PopLink(&list, &l[2]), &l[2]);
  EXPECT_EQ(Keys(list), (std::vector<uintptr_t>{0, 1, 3}));
  ExpectConsistent(list);
  EXPECT_EQ(PopLink(&list, &l[3]), &l[3]);
  EXPECT_EQ(Keys(list), (std::vector<uintptr_t>{0, 1}));
  ExpectConsistent(list);
  EXPECT_EQ(PopLink(&list, nullptr), &l[0]);
  EXPECT_EQ(Keys(list), (std::vector<uintptr_t>{1}));
  ExpectConsistent(list);
  EXPECT_EQ(PopLink(&list, &l[1]), &l[1]);
  EXPECT_EQ(list.pFirst, nullptr);
  EXPECT_EQ(list.pLast, nullptr);
  EXPECT_EQ(list.LinkCnt, 0);
  EXPECT_EQ(PopLink(&list, nullptr), nullptr);
  EXPECT_EQ(list.LinkCnt, 0);
}

TEST(LinkList, FreshSlabIsHandedOutInOrder) {
  // Empty the spare stack so the next request takes a new slab.
  std::vector<Link*> spare;
  while (Link* l = PopLink(&FreeLinkList, nullptr)) spare.push_back(l);

  Link* first = GetFreeLink();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(FreeLinkList.LinkCnt, 4095);
  Link* second = GetFreeLink();
  EXPECT_EQ(second, first + 4095);  // the slab's last record comes next
  EXPECT_EQ(GetFreeLink(), first + 4094);

  PushLink(&FreeLinkList, first);
  EXPECT_EQ(GetFreeLink(), first);  // a spare link is reused before any slab
  PushLink(&FreeLinkList, first);
  PushLink(&FreeLinkList, second);
  PushLink(&FreeLinkList, first + 4094);
  for (Link* l : spare) PushLink(&FreeLinkList, l);
}

}  // namespace
