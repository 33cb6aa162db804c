#include "MemMgr/MemMgr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

uintptr_t Addr(const void* p) { return reinterpret_cast<uintptr_t>(p); }
int32_t SizeOn(LinkList* list, const void* p) {
  Link* l = FindLink(list, Addr(p));
  return l == nullptr ? -1 : l->Size;
}
int32_t UsedSize(const void* p) { return SizeOn(&UsedMemList, p); }
int32_t FreeSize(const void* p) { return SizeOn(&FreeMemList, p); }
std::vector<int32_t> Counts() {
  return {UsedMemList.LinkCnt, FreeMemList.LinkCnt, FreeLinkList.LinkCnt};
}

// The pool is process-wide. Each test first takes every free piece (an
// exact fit of the lowest piece is always taken; a whole free chunk is
// taken in two bites), so its own blocks come from a fresh chunk laid out
// as the test expects.
class Pool : public ::testing::Test {
 protected:
  void SetUp() override {
    while (FreeMemList.pFirst != nullptr)
      held_.push_back(GetMem(std::min(FreeMemList.pFirst->Size, 65520) - 16));
  }
  void TearDown() override {
    for (void* p : held_) PutMem(p);
  }
  std::vector<void*> held_;
};

TEST_F(Pool, SizeRuleCarvingAndImpossibleSizes) {
  const int32_t cases[][2] = {{0, 16},  {1, 32},  {16, 32},    {17, 48},
                              {32, 48}, {33, 64}, {1000, 1024}};
  std::vector<char*> got;
  for (const auto& c : cases) {
    auto* p = static_cast<char*>(GetMem(c[0]));
    EXPECT_EQ(UsedSize(p), c[1]) << c[0];
    EXPECT_EQ(Addr(p) % 16, 0u);
    EXPECT_TRUE(got.empty() || p == got.back() + UsedSize(got.back()));  // in address order
    EXPECT_EQ(UsedMemList.pFirst->Key, Addr(p));  // newest first
    got.push_back(p);
  }
  const auto counts = Counts();
  for (int32_t bad : {-1, INT32_MIN, INT32_MAX}) EXPECT_EQ(GetMem(bad), nullptr) << bad;
  EXPECT_EQ(Counts(), counts);
  for (void* p : got) PutMem(p);
  EXPECT_EQ(FreeSize(got[0]), 65536);
}

TEST_F(Pool, FirstFitTakesLowestLargeEnoughPiece) {
  auto* a = static_cast<char*>(GetMem(48));  // 64 bytes
  void* sep1 = GetMem(0);
  void* c = GetMem(16);  // 32 bytes
  void* sep2 = GetMem(0);
  PutMem(a);
  PutMem(c);
  // A 32-byte need splits the lower piece although c's would fit exactly.
  void* p = GetMem(10);
  EXPECT_EQ(p, a);
  EXPECT_EQ(FreeSize(a + 32), 32);
  EXPECT_EQ(FreeMemList.pFirst->Key, Addr(a + 32));
  // Now the lowest piece fits exactly and its own link moves over.
  EXPECT_EQ(GetMem(16), a + 32);
  EXPECT_EQ(FreeMemList.pFirst->Key, Addr(c));
  for (void* b : {p, static_cast<void*>(a + 32), sep1, sep2}) PutMem(b);
}

TEST_F(Pool, NeighboursMergeInAnyOrderAndComeBackZeroed) {
  int order[] = {0, 1, 2};
  do {
    void* b[3] = {GetMem(20), GetMem(40), GetMem(5)};
    void* guard = GetMem(0);
    const int32_t total = UsedSize(b[0]) + UsedSize(b[1]) + UsedSize(b[2]);
    const int32_t pieces = FreeMemList.LinkCnt;
    for (void* p : b) std::memset(p, 0xAB, static_cast<size_t>(UsedSize(p)));
    for (int i : order) PutMem(b[i]);
    EXPECT_EQ(FreeSize(b[0]), total);
    EXPECT_EQ(FreeMemList.LinkCnt, pieces + 1);
    auto* r = static_cast<char*>(GetMem(total - 16));  // the merged piece, exactly
    ASSERT_EQ(r, b[0]);
    EXPECT_EQ(std::count(r, r + total, 0), total);
    PutMem(r);
    PutMem(guard);  // joins everything to the rest of the chunk
    EXPECT_EQ(FreeSize(b[0]), 65536);
    EXPECT_EQ(FreeMemList.LinkCnt, pieces);
  } while (std::next_permutation(order, order + 3));
}

TEST_F(Pool, ReleaseIgnoresNullUnknownAndRepeatedPointers) {
  auto* p = static_cast<char*>(GetMem(40));
  auto* keep = static_cast<char*>(GetMem(40));
  std::strcpy(keep, "still here");
  int local = 0;
  PutMem(p);
  const auto counts = Counts();
  void* bad[] = {p, nullptr, &local, keep + 16};  // the last points inside a block
  for (void* b : bad) PutMem(b);
  EXPECT_EQ(Counts(), counts);
  EXPECT_EQ(FreeSize(p), 64);
  EXPECT_STREQ(keep, "still here");
  PutMem(keep);
}

TEST_F(Pool, BlocksOfChunkSizeStandAlone) {
  auto* a = static_cast<char*>(GetMem(65504));  // need 65520: the last one carved from a chunk
  EXPECT_EQ(UsedSize(a), 65520);
  EXPECT_EQ(FreeSize(a + 65520), 16);
  const auto counts = Counts();
  for (int32_t ask : {65505, 65520, 65521}) {
    void* big = GetMem(ask);
    EXPECT_EQ(UsedSize(big), ask == 65521 ? 65552 : 65536);
    std::memset(big, 1, 65536);
    PutMem(big);  // straight back to the system
    EXPECT_EQ(Counts(), counts);
  }
  PutMem(a);  // a whole free chunk is never handed out as a big block
  void* big = GetMem(65505);
  EXPECT_EQ(FreeSize(a), 65536);
  PutMem(big);
}

TEST_F(Pool, AdjustMemCopiesAndReleases) {
  auto* p = static_cast<char*>(GetMem(10));
  std::memcpy(p, "abcdefghij", 10);
  auto* q = static_cast<char*>(AdjustMem(p, 100));
  EXPECT_EQ(std::string(q, 10), "abcdefghij");
  EXPECT_EQ(UsedSize(p), -1);  // released
  auto* s = static_cast<char*>(AdjustMem(q, 3));  // shrinking copies 3 bytes
  EXPECT_EQ(AdjustMem(s, -5), nullptr);  // no new block: the old one stays
  EXPECT_EQ(std::string(s, 3), "abc");
  EXPECT_EQ(UsedSize(s), 32);
  char outside[8] = "outside";
  void* t = AdjustMem(outside, 8);  // an unknown block is left alone
  EXPECT_STREQ(outside, "outside");
  EXPECT_EQ(AdjustMem(s, 0), nullptr);
  EXPECT_EQ(UsedSize(s), -1);
  PutMem(t);
}

// A random mix of requests and releases: blocks keep their content, free
// pieces stay sorted, aligned, merged and apart, every list stays linked
// both ways wherever links were taken out.
TEST_F(Pool, RandomTraceKeepsPoolConsistent) {
  std::mt19937 rng(7315);
  struct Block { char* p; int32_t size; char fill; };
  std::vector<Block> live;
  const int32_t usedBefore = UsedMemList.LinkCnt;
  for (int step = 0; step <= 4000; step++) {
    if (live.empty() || rng() % 3 != 0) {
      const auto size = static_cast<int32_t>(rng() % 8 == 0 ? rng() % 70000 : rng() % 200);
      live.push_back({static_cast<char*>(GetMem(size)), size, static_cast<char>(step | 1)});
      std::memset(live.back().p, live.back().fill, static_cast<size_t>(size));
    } else {
      const size_t i = rng() % live.size();
      ASSERT_EQ(std::count(live[i].p, live[i].p + live[i].size, live[i].fill), live[i].size);
      PutMem(live[i].p);
      live[i] = live.back();
      live.pop_back();
    }
    if (step % 50 != 0) continue;
    ASSERT_EQ(UsedMemList.LinkCnt, usedBefore + static_cast<int32_t>(live.size()));
    for (const Link* l = FreeMemList.pFirst; l != nullptr; l = l->pNext) {
      ASSERT_TRUE(l->Size > 0 && l->Size % 16 == 0);
      ASSERT_TRUE(l->pNext == nullptr || l->Key + l->Size < l->pNext->Key);
    }
    for (LinkList* list : {&FreeMemList, &UsedMemList, &FreeLinkList}) {  // links both ways
      int32_t n = 0;
      for (const Link* l = list->pFirst; l != nullptr; l = l->pNext, n++) {
        ASSERT_EQ(l->pNext == nullptr ? list->pLast : l->pNext->pPrev, l);
        ASSERT_EQ(l->pPrev == nullptr, l == list->pFirst);
      }
      ASSERT_EQ(n, list->LinkCnt);
    }
  }
  for (const Block& b : live) PutMem(b.p);
  EXPECT_EQ(UsedMemList.LinkCnt, usedBefore);
}

}  // namespace
