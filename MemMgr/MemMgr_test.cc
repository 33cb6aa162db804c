#include "MemMgr/MemMgr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

namespace {

uintptr_t Addr(const void* p) { return reinterpret_cast<uintptr_t>(p); }

int32_t UsedSize(const void* p) {
  Link* l = FindLink(&UsedMemList, Addr(p));
  return l == nullptr ? -1 : l->Size;
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

TEST_F(Pool, SizeRuleAndCarvingInAddressOrder) {
  struct Case {
    int32_t ask, size;
  } cases[] = {{0, 16}, {1, 32}, {16, 32}, {17, 48}, {32, 48}, {33, 64}, {1000, 1024}};
  std::vector<void*> got;
  for (const Case& c : cases) {
    void* p = GetMem(c.ask);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(UsedSize(p), c.size) << c.ask;
    EXPECT_EQ(Addr(p) % 16, 0u);
    if (!got.empty()) {
      EXPECT_EQ(Addr(p), Addr(got.back()) + UsedSize(got.back()));
    }
    EXPECT_EQ(UsedMemList.pFirst->Key, Addr(p));  // newest first
    got.push_back(p);
  }
  for (void* p : got) PutMem(p);
  EXPECT_EQ(FindLink(&FreeMemList, Addr(got[0]))->Size, 65536);
}

TEST_F(Pool, FirstFitTakesLowestLargeEnoughPiece) {
  void* a = GetMem(48);  // 64 bytes
  void* sep1 = GetMem(0);
  void* c = GetMem(16);  // 32 bytes
  void* sep2 = GetMem(0);
  PutMem(a);
  PutMem(c);
  // Free: 64 at a, 32 at c, the chunk's rest. A 32-byte need splits the
  // lower 64-byte piece although the 32-byte piece would fit exactly.
  void* p = GetMem(10);
  EXPECT_EQ(p, a);
  Link* first = FreeMemList.pFirst;
  EXPECT_EQ(first->Key, Addr(a) + 32);
  EXPECT_EQ(first->Size, 32);
  EXPECT_EQ(first->pNext->Key, Addr(c));
  EXPECT_EQ(first->pNext->Size, 32);
  // Now the lowest piece fits exactly and its own link moves over.
  void* q = GetMem(16);
  EXPECT_EQ(q, static_cast<char*>(a) + 32);
  EXPECT_EQ(FreeMemList.pFirst->Key, Addr(c));
  for (void* b : {p, q, sep1, sep2}) PutMem(b);
}

TEST_F(Pool, ThreeNeighboursMergeInAnyReleaseOrder) {
  int order[] = {0, 1, 2};
  do {
    void* b[3] = {GetMem(20), GetMem(40), GetMem(5)};
    void* guard = GetMem(0);
    const int32_t total = UsedSize(b[0]) + UsedSize(b[1]) + UsedSize(b[2]);
    const int32_t pieces = FreeMemList.LinkCnt;
    for (int i : order) PutMem(b[i]);
    Link* piece = FindLink(&FreeMemList, Addr(b[0]));
    ASSERT_NE(piece, nullptr);
    EXPECT_EQ(piece->Size, total);
    EXPECT_EQ(FreeMemList.LinkCnt, pieces + 1);
    // The guard's release joins everything to the rest of the chunk.
    PutMem(guard);
    EXPECT_EQ(FindLink(&FreeMemList, Addr(b[0]))->Size, 65536);
    EXPECT_EQ(FreeMemList.LinkCnt, pieces);
  } while (std::next_permutation(order, order + 3));
}

TEST_F(Pool, ReleasedMemoryIsReusedZeroed) {
  auto* p = static_cast<unsigned char*>(GetMem(100));
  auto* q = static_cast<unsigned char*>(GetMem(30));
  std::memset(p, 0xAB, 100 + 12);  // the whole 112-byte block
  std::memset(q, 0xCD, 30);
  PutMem(p);
  PutMem(q);
  auto* r = static_cast<unsigned char*>(GetMem(150));  // covers both
  ASSERT_EQ(r, p);
  EXPECT_TRUE(std::all_of(r, r + 150, [](unsigned char ch) { return ch == 0; }));
  PutMem(r);
}

TEST_F(Pool, ReleaseIgnoresNullUnknownAndRepeatedPointers) {
  auto* p = static_cast<char*>(GetMem(40));
  auto* keep = static_cast<char*>(GetMem(40));
  std::strcpy(keep, "still here");
  int local = 0;
  auto state = [] {
    return std::vector<int32_t>{UsedMemList.LinkCnt, FreeMemList.LinkCnt, FreeLinkList.LinkCnt,
                                FreeMemList.pFirst->Size};
  };
  PutMem(p);
  const auto after = state();
  PutMem(p);
  PutMem(nullptr);
  PutMem(&local);
  PutMem(keep + 16);  // inside a block, not its start
  EXPECT_EQ(state(), after);
  EXPECT_STREQ(keep, "still here");
  EXPECT_EQ(UsedSize(keep), 64);
  PutMem(keep);
}

TEST_F(Pool, BlocksOfChunkSizeStandAlone) {
  void* a = GetMem(65504);  // need 65520: the last one carved from a chunk
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(UsedSize(a), 65520);
  Link* rest = FindLink(&FreeMemList, Addr(a) + 65520);
  ASSERT_NE(rest, nullptr);
  EXPECT_EQ(rest->Size, 16);

  const int32_t pieces = FreeMemList.LinkCnt;
  const int32_t used = UsedMemList.LinkCnt;
  const int32_t spare = FreeLinkList.LinkCnt;
  for (int32_t ask : {65505, 65520}) {
    void* big = GetMem(ask);
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(UsedSize(big), 65536);
    std::memset(big, 1, 65536);
    EXPECT_EQ(FreeMemList.LinkCnt, pieces);
    PutMem(big);  // straight back to the system
    EXPECT_EQ(UsedMemList.LinkCnt, used);
    EXPECT_EQ(FreeLinkList.LinkCnt, spare);
    EXPECT_EQ(FreeMemList.LinkCnt, pieces);
  }
  void* odd = GetMem(65521);
  EXPECT_EQ(UsedSize(odd), 65552);
  PutMem(odd);

  // A whole free chunk is not handed out as a big block: chunks stay.
  PutMem(a);
  EXPECT_EQ(FindLink(&FreeMemList, Addr(a))->Size, 65536);
  void* big = GetMem(65505);
  EXPECT_NE(big, a);
  EXPECT_EQ(FindLink(&FreeMemList, Addr(a))->Size, 65536);
  PutMem(big);
}

TEST_F(Pool, ImpossibleSizesGiveNullAndChangeNothing) {
  const int32_t used = UsedMemList.LinkCnt;
  const int32_t pieces = FreeMemList.LinkCnt;
  EXPECT_EQ(GetMem(-1), nullptr);
  EXPECT_EQ(GetMem(INT32_MIN), nullptr);
  EXPECT_EQ(GetMem(INT32_MAX), nullptr);  // its need does not fit the size word
  EXPECT_EQ(UsedMemList.LinkCnt, used);
  EXPECT_EQ(FreeMemList.LinkCnt, pieces);
}

TEST_F(Pool, AdjustMemCopiesAndReleases) {
  auto* p = static_cast<char*>(GetMem(10));
  std::memcpy(p, "abcdefghij", 10);
  auto* q = static_cast<char*>(AdjustMem(p, 100));
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(std::memcmp(q, "abcdefghij", 10), 0);
  EXPECT_EQ(UsedSize(p), -1);
  EXPECT_EQ(UsedSize(q), 128);

  auto* s = static_cast<char*>(AdjustMem(q, 3));  // shrinking copies 3 bytes
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(std::memcmp(s, "abc", 3), 0);

  EXPECT_EQ(AdjustMem(s, -5), nullptr);  // no new block: the old one stays
  EXPECT_EQ(UsedSize(s), 32);
  EXPECT_EQ(std::memcmp(s, "abc", 3), 0);

  char outside[8] = "outside";
  void* t = AdjustMem(outside, 8);  // an unknown block is left alone
  ASSERT_NE(t, nullptr);
  EXPECT_STREQ(outside, "outside");
  EXPECT_EQ(UsedSize(t), 32);
  void* u = AdjustMem(nullptr, 1);
  EXPECT_EQ(UsedSize(u), 32);

  EXPECT_EQ(AdjustMem(s, 0), nullptr);
  EXPECT_EQ(UsedSize(s), -1);
  PutMem(t);
  PutMem(u);
}

// A random mix of requests and releases, checked against what the pool
// promises: blocks keep their content, free pieces stay sorted, aligned,
// merged and apart from every block in use.
TEST_F(Pool, RandomTraceKeepsPoolConsistent) {
  std::mt19937 rng(7315);
  struct Block {
    unsigned char* p;
    int32_t size;
    unsigned char fill;
  };
  std::vector<Block> live;
  const int32_t usedBefore = UsedMemList.LinkCnt;
  auto check = [&] {
    ASSERT_EQ(UsedMemList.LinkCnt, usedBefore + static_cast<int32_t>(live.size()));
    for (const Link* l = FreeMemList.pFirst; l != nullptr; l = l->pNext) {
      ASSERT_EQ(l->Size % 16, 0);
      ASSERT_GT(l->Size, 0);
      if (l->pNext != nullptr) {
        ASSERT_LT(l->Key + l->Size, l->pNext->Key);  // sorted, apart and merged
      }
    }
  };
  for (int step = 0; step < 4000; step++) {
    if (live.empty() || rng() % 3 != 0) {
      const int32_t size = rng() % 8 == 0 ? static_cast<int32_t>(rng() % 70000) : static_cast<int32_t>(rng() % 200);
      auto* p = static_cast<unsigned char*>(GetMem(size));
      ASSERT_NE(p, nullptr);
      const auto fill = static_cast<unsigned char>(step | 1);
      std::memset(p, fill, static_cast<size_t>(size));
      live.push_back({p, size, fill});
    } else {
      const size_t i = rng() % live.size();
      const Block b = live[i];
      for (int32_t k = 0; k < b.size; k++) ASSERT_EQ(b.p[k], b.fill) << "block overwritten";
      PutMem(b.p);
      live[i] = live.back();
      live.pop_back();
    }
    if (step % 50 == 0) check();
  }
  for (const Block& b : live) PutMem(b.p);
  live.clear();
  check();
}

}  // namespace
