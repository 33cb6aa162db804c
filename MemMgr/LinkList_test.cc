#include <gtest/gtest.h>

#include <vector>

#include "MemMgr/MemMgr.h"

namespace {

// The keys front to back, after checking that walking backwards gives the
// same links and that the count is right.
std::vector<uintptr_t> Keys(const LinkList& list) {
  std::vector<const Link*> fwd, back;
  for (const Link* l = list.pFirst; l != nullptr; l = l->pNext) fwd.push_back(l);
  for (const Link* l = list.pLast; l != nullptr; l = l->pPrev) back.insert(back.begin(), l);
  EXPECT_EQ(fwd, back);
  EXPECT_EQ(static_cast<int32_t>(fwd.size()), list.LinkCnt);
  std::vector<uintptr_t> keys;
  for (const Link* l : fwd) keys.push_back(l->Key);
  return keys;
}

TEST(LinkList, PushOrdersPopUnlinks) {
  LinkList plain = {nullptr, nullptr, 0, 0};
  Link a{}, b{}, c{};
  a.Key = 1, b.Key = 2, c.Key = 1;
  for (Link* l : {&a, &b, &c, static_cast<Link*>(nullptr)}) PushLink(&plain, l);
  EXPECT_EQ(Keys(plain), (std::vector<uintptr_t>{1, 2, 1}));  // to the front, equal keys fine
  EXPECT_EQ(FindLink(&plain, 1), &c);
  EXPECT_EQ(FindLink(&plain, 7), nullptr);

  LinkList sorted = {nullptr, nullptr, 0, 1};
  EXPECT_EQ(PopLink(&sorted, nullptr), nullptr);
  const uintptr_t keys[] = {30, 10, 50, 20, 40, ~uintptr_t{0}, 10, 30, ~uintptr_t{0}};
  Link l[9] = {};
  for (int i = 0; i < 9; i++) {
    l[i].Key = keys[i];
    PushLink(&sorted, &l[i]);  // the last three repeat keys and are left out
  }
  EXPECT_EQ(Keys(sorted), (std::vector<uintptr_t>{10, 20, 30, 40, 50, ~uintptr_t{0}}));
  EXPECT_EQ(PopLink(&sorted, &l[0]), &l[0]);  // middle
  EXPECT_EQ(PopLink(&sorted, &l[5]), &l[5]);  // last
  EXPECT_EQ(PopLink(&sorted, nullptr), &l[1]);  // first
  EXPECT_EQ(Keys(sorted), (std::vector<uintptr_t>{20, 40, 50}));
  for (int i = 0; i < 3; i++) EXPECT_NE(PopLink(&sorted, nullptr), nullptr);
  EXPECT_EQ(Keys(sorted), std::vector<uintptr_t>{});
  EXPECT_EQ(PopLink(&sorted, nullptr), nullptr);
  EXPECT_EQ(sorted.LinkCnt, 0);
}

TEST(LinkList, FreshSlabIsHandedOutInOrder) {
  // Empty the spare stack so the next request takes a new slab.
  std::vector<Link*> spare;
  while (Link* l = PopLink(&FreeLinkList, nullptr)) spare.push_back(l);
  Link* first = GetFreeLink();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(FreeLinkList.LinkCnt, 4095);
  EXPECT_EQ(GetFreeLink(), first + 4095);  // the slab's last record comes next
  EXPECT_EQ(GetFreeLink(), first + 4094);
  PushLink(&FreeLinkList, first);
  EXPECT_EQ(GetFreeLink(), first);  // a spare link is reused before any slab
  for (Link* l : {first, first + 4095, first + 4094}) PushLink(&FreeLinkList, l);
  for (Link* l : spare) PushLink(&FreeLinkList, l);
}

}  // namespace
