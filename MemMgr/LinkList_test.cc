#include <gtest/gtest.h>

#include <vector>

#include "MemMgr/MemMgr.h"

namespace {

// Keys front to back, after checking the links agree both ways and with
// the count; {-1} when they do not.
std::vector<int> Keys(const LinkList& list) {
  std::vector<int> keys;
  const Link* prev = nullptr;
  for (const Link* l = list.pFirst; l != nullptr; prev = l, l = l->pNext) {
    if (l->pPrev != prev) return {-1};
    keys.push_back(static_cast<int>(l->Key));
  }
  if (list.pLast != prev || list.LinkCnt != static_cast<int32_t>(keys.size())) return {-1};
  return keys;
}

// FindLink gives the first link from the front with the key.
TEST(LinkList, PushKeepsOrderOrStacksAndFindTakesTheFront) {
  const struct {
    uint32_t sorted;
    std::vector<int> pushed, want;
    int find, found;  // found: index into pushed, -1: none
  } cases[] = {
      {1, {5, 1, 9, 7, 7, 1, 9}, {1, 5, 7, 9}, 7, 3},  // a key already there is left out
      {1, {3}, {3}, 2, -1},
      {0, {5, 1, 9, 5}, {5, 9, 1, 5}, 5, 3},  // unsorted: at the front, duplicates too
  };
  for (const auto& c : cases) {
    LinkList list = {nullptr, nullptr, 0, c.sorted};
    std::vector<Link> links(c.pushed.size());
    for (size_t i = 0; i < links.size(); i++) {
      links[i].Key = static_cast<uintptr_t>(c.pushed[i]);
      PushLink(&list, &links[i]);
    }
    PushLink(&list, nullptr);
    EXPECT_EQ(Keys(list), c.want) << c.sorted;
    EXPECT_EQ(FindLink(&list, static_cast<uintptr_t>(c.find)), c.found < 0 ? nullptr : &links[c.found]) << c.find;
  }
}

TEST(LinkList, PopTakesTheLinkAskedForOrTheFirst) {
  const struct {
    int pop;  // index into the list, -1: null
    std::vector<int> left;
  } cases[] = {{-1, {2, 3}}, {0, {2, 3}}, {1, {1, 3}}, {2, {1, 2}}};
  for (const auto& c : cases) {
    LinkList list = {nullptr, nullptr, 0, 1};
    Link links[3];
    for (int i = 0; i < 3; i++) {
      links[i].Key = static_cast<uintptr_t>(i + 1);
      PushLink(&list, &links[i]);
    }
    Link* want = &links[c.pop < 0 ? 0 : c.pop];
    EXPECT_EQ(PopLink(&list, c.pop < 0 ? nullptr : want), want);
    EXPECT_EQ(Keys(list), c.left) << c.pop;
  }
  LinkList empty = {nullptr, nullptr, 0, 0};
  EXPECT_EQ(PopLink(&empty, nullptr), nullptr);
  EXPECT_EQ(empty.LinkCnt, 0);
  Link only{};
  PushLink(&empty, &only);
  EXPECT_EQ(PopLink(&empty, &only), &only);
  EXPECT_EQ(Keys(empty), std::vector<int>{});
}

// A fresh slab: its first record to the caller, the rest spare in slab
// order, so its last record comes next.
TEST(LinkList, SpareLinksComeFromSlabs) {
  std::vector<Link*> drained;
  while (FreeLinkList.LinkCnt > 0) drained.push_back(GetFreeLink());
  Link* first = GetFreeLink();
  ASSERT_NE(first, nullptr);
  const int32_t rest = FreeLinkList.LinkCnt;
  EXPECT_GT(rest, 0);
  EXPECT_EQ(GetFreeLink(), first + rest);
  EXPECT_EQ(GetFreeLink(), first + rest - 1);
  for (Link* l : drained) PushLink(&FreeLinkList, l);
}

}  // namespace
