#include "MemMgr/MemMgr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "MemMgr/Chunk.h"
#include "MemMgr/SysMem.h"

namespace {

uintptr_t Addr(const void* p) { return reinterpret_cast<uintptr_t>(p); }
int32_t UsedSize(const void* p) {
  Link* l = FindLink(&UsedMemList, Addr(p));
  return l == nullptr ? -1 : l->Size;
}
std::vector<std::pair<uintptr_t, int32_t>> FreePieces() {
  std::vector<std::pair<uintptr_t, int32_t>> out;
  ForEachFreePiece([&](uintptr_t at, int32_t size) { out.emplace_back(at, size); });
  return out;
}
int32_t FreeSize(const void* p) {
  for (const auto& [at, size] : FreePieces())
    if (at == Addr(p)) return size;
  return -1;
}

// What a failed request or an ignored release must leave as it was.
struct State {
  std::vector<std::pair<uintptr_t, int32_t>> pieces;
  int32_t spare, big;
  size_t mapped;
  bool operator==(const State&) const = default;
};
State Now() { return {FreePieces(), FreeLinkList.LinkCnt, UsedMemList.LinkCnt, SysMappedBytes()}; }

// The pool is process-wide. Each test first takes every free piece (an
// exact fit of the lowest piece is always taken; a whole free chunk is
// taken in two bites), so its own blocks come from a fresh chunk laid out
// as the test expects.
class Pool : public ::testing::Test {
 protected:
  void SetUp() override {
    for (auto pieces = FreePieces(); !pieces.empty(); pieces = FreePieces())
      held_.push_back(GetMem(std::min(pieces[0].second, 65520) - 16));
  }
  void TearDown() override {
    sysFailIn = 0;
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
    got.push_back(p);
  }
  const State before = Now();
  for (int32_t bad : {-1, INT32_MIN, INT32_MAX, INT32_MAX - 30}) EXPECT_EQ(GetMem(bad), nullptr) << bad;
  EXPECT_EQ(Now(), before);
  for (void* p : got) PutMem(p);
  EXPECT_EQ(FreeSize(got[0]), 65536);
  EXPECT_EQ(UsedSize(got[0]), -1);
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
  EXPECT_EQ(FreePieces()[0].first, Addr(a + 32));
  // Now the lowest piece fits exactly and goes.
  EXPECT_EQ(GetMem(16), a + 32);
  EXPECT_EQ(FreePieces()[0].first, Addr(c));
  for (void* b : {p, static_cast<void*>(a + 32), sep1, sep2}) PutMem(b);
}

TEST_F(Pool, NeighboursMergeInAnyOrderAndComeBackZeroed) {
  int order[] = {0, 1, 2};
  do {
    void* b[3] = {GetMem(20), GetMem(40), GetMem(5)};
    void* guard = GetMem(0);
    const int32_t total = UsedSize(b[0]) + UsedSize(b[1]) + UsedSize(b[2]);
    const size_t pieces = FreePieces().size();
    for (void* p : b) std::memset(p, 0xAB, static_cast<size_t>(UsedSize(p)));
    for (int i : order) PutMem(b[i]);
    EXPECT_EQ(FreeSize(b[0]), total);
    EXPECT_EQ(FreePieces().size(), pieces + 1);
    auto* r = static_cast<char*>(GetMem(total - 16));  // the merged piece, exactly
    ASSERT_EQ(r, b[0]);
    EXPECT_EQ(std::count(r, r + total, 0), total);
    PutMem(r);
    PutMem(guard);  // joins everything to the rest of the chunk
    EXPECT_EQ(FreeSize(b[0]), 65536);
    EXPECT_EQ(FreePieces().size(), pieces);
  } while (std::next_permutation(order, order + 3));
}

TEST_F(Pool, ReleaseIgnoresPointersItDidNotHandOut) {
  auto* p = static_cast<char*>(GetMem(40));
  auto* keep = static_cast<char*>(GetMem(40));
  auto* big = static_cast<char*>(GetMem(70000));
  std::strcpy(keep, "still here");
  int local = 0;
  PutMem(p);
  const State before = Now();
  const uintptr_t pastChunk = (Addr(keep) | 0xffff) + 1;  // the chunk's side table
  void* bad[] = {p,        nullptr,  &local, keep + 16, keep + 1, reinterpret_cast<void*>(pastChunk),
                 big + 16, big + 65536};
  for (void* b : bad) PutMem(b);
  EXPECT_EQ(Now(), before);
  EXPECT_EQ(FreeSize(p), 64);
  EXPECT_STREQ(keep, "still here");
  PutMem(big);
  PutMem(big);  // once only
  EXPECT_EQ(UsedMemList.LinkCnt, before.big - 1);
  PutMem(keep);
}

TEST_F(Pool, BlocksOfChunkSizeStandAlone) {
  auto* a = static_cast<char*>(GetMem(65504));  // need 65520: the last one carved from a chunk
  EXPECT_EQ(UsedSize(a), 65520);
  EXPECT_EQ(FreeSize(a + 65520), 16);
  const State before = Now();
  for (int32_t ask : {65505, 65520, 65521}) {
    void* big = GetMem(ask);
    EXPECT_EQ(UsedSize(big), ask == 65521 ? 65552 : 65536);
    EXPECT_EQ(UsedMemList.LinkCnt, before.big + 1);
    std::memset(big, 1, 65536);
    PutMem(big);  // straight back to the system
    EXPECT_EQ(Now(), before);
  }
  auto* b = static_cast<char*>(GetMem(65504));  // a second chunk
  PutMem(a);  // a whole free chunk is never handed out as a big block
  void* big = GetMem(65505);
  EXPECT_EQ(FreeSize(a), 65536);
  PutMem(b);  // two chunks never merge, wherever the system put them
  EXPECT_EQ(FreeSize(b), 65536);
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
  auto* big = static_cast<char*>(AdjustMem(t, 70000));  // a big block is copied too
  std::memset(big, 'b', 70000);
  auto* back = static_cast<char*>(AdjustMem(big, 40));
  EXPECT_EQ(std::string(back, 40), std::string(40, 'b'));
  EXPECT_EQ(UsedSize(big), -1);
  EXPECT_EQ(AdjustMem(s, 0), nullptr);
  EXPECT_EQ(UsedSize(s), -1);
  PutMem(back);
}

// Spare links drained, so the next link comes from the system.
class NoSpareLinks {
 public:
  NoSpareLinks() {
    while (FreeLinkList.LinkCnt > 0) taken_.push_back(GetFreeLink());
  }
  ~NoSpareLinks() {
    for (Link* l : taken_) PushLink(&FreeLinkList, l);
  }

 private:
  std::vector<Link*> taken_;
};

// The system refusing the n-th request of one call leaves everything as
// it was; the same call succeeds afterwards.
TEST_F(Pool, RequestsTheSystemRefusesChangeNothing) {
  const struct {
    const char* what;
    int32_t size;
    int failIn;
    bool drainLinks;
  } cases[] = {
      {"new chunk", 65504, 1, false},
      {"big block", 70000, 1, false},
      {"link for a big block", 70000, 2, true},
  };
  for (const auto& c : cases) {  // each block kept, so the next needs new memory too
    NoSpareLinks drained;
    if (!c.drainLinks) PushLink(&FreeLinkList, GetFreeLink());
    const State before = Now();
    sysFailIn = c.failIn;
    EXPECT_EQ(GetMem(c.size), nullptr) << c.what;
    EXPECT_EQ(Now(), before) << c.what;
    held_.push_back(GetMem(c.size));
    EXPECT_NE(held_.back(), nullptr) << c.what;
  }
}

}  // namespace
