// The pool's edges; first fit, merging, the zero fill and bad pointers are
// pinned step by step against a model in MemMgrDiff_test.cc.
#include "MemMgr/MemMgr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "MemMgr/Chunk.h"
#include "MemMgr/SysMem.h"

namespace {

int32_t UsedSize(const void* p) {
  const Link* l = FindLink(&UsedMemList, reinterpret_cast<uintptr_t>(p));
  return l == nullptr ? -1 : l->Size;
}

// What a failed request must leave as it was.
struct State {
  std::vector<std::pair<uintptr_t, int32_t>> pieces;
  int32_t spare, big;
  size_t held, mapped;
  bool operator==(const State&) const = default;
};
State Now() {
  State s{{}, FreeLinkList.LinkCnt, UsedMemList.LinkCnt, SysHeldBytes(), SysMappedBytes()};
  ForEachFreePiece([&](uintptr_t at, int32_t size) { s.pieces.emplace_back(at, size); });
  return s;
}

// The pool is process-wide. Each test first takes every free piece (the
// lowest piece is always an exact fit; a whole free chunk takes two
// bites), so its own blocks come from fresh chunks.
class Pool : public ::testing::Test {
 protected:
  void SetUp() override {
    for (State s = Now(); !s.pieces.empty(); s = Now()) {
      held_.push_back(GetMem(std::min(s.pieces[0].second, 65520) - 16));
      ASSERT_EQ(reinterpret_cast<uintptr_t>(held_.back()), s.pieces[0].first);
    }
  }
  void TearDown() override {
    sysFailIn = 0;
    for (void* p : held_) PutMem(p);
  }
  std::vector<void*> held_;
};

// Blocks are the size asked for plus 16, rounded up to 16; from a chunk's
// size on they stand alone, and go straight back to the system.
TEST_F(Pool, GetMemSizes) {
  const int32_t carved[][2] = {{0, 16}, {1, 32}, {16, 32}, {17, 48}, {33, 64}, {1000, 1024}, {65504, 65520}};
  std::vector<char*> got;
  for (const auto& c : carved) {
    got.push_back(static_cast<char*>(GetMem(c[0])));
    EXPECT_EQ(UsedSize(got.back()), c[1]) << c[0];
    if (got.size() > 1 && c[1] < 65520) {  // carved one after another
      EXPECT_EQ(got.back(), got[got.size() - 2] + UsedSize(got[got.size() - 2])) << c[0];
    }
  }
  PutMem(GetMem(1 << 17));  // the first big block makes the store of links, which stays
  const State before = Now();
  const int32_t alone[][2] = {{65505, 65536}, {65521, 65552}, {1 << 20, (1 << 20) + 16},
                              {-1, -1},       {INT32_MIN, -1},  {INT32_MAX, -1},         {INT32_MAX - 30, -1}};
  for (const auto& c : alone) {
    void* p = GetMem(c[0]);
    EXPECT_EQ(UsedSize(p), c[1]) << c[0];
    EXPECT_EQ(UsedMemList.LinkCnt, before.big + (p != nullptr)) << c[0];
    if (p != nullptr) std::memset(p, 1, static_cast<size_t>(c[1]));
    PutMem(p);
    EXPECT_EQ(Now(), before) << c[0];
  }
  for (char* p : got) PutMem(p);
  EXPECT_EQ(UsedSize(got[0]), -1);
}

// A new block as GetMem gives it with the old one's bytes, as many as
// both hold, and the old one released; unless no new block can be had.
TEST_F(Pool, AdjustMemCopiesAndReleases) {
  const struct {
    int32_t from, to;  // from -1: a block not the pool's
  } cases[] = {{10, 100}, {100, 3}, {40, 70000}, {70000, 40}, {10, 0}, {10, -5}, {-1, 8}};
  for (const auto& c : cases) {
    char outside[16] = "not the pool's";
    auto* old = c.from < 0 ? outside : static_cast<char*>(GetMem(c.from));
    const int32_t oldSize = c.from < 0 ? 0 : UsedSize(old);
    for (int32_t i = 0; i < oldSize; i++) old[i] = static_cast<char>('a' + i % 26);
    auto* got = static_cast<char*>(AdjustMem(old, c.to));
    EXPECT_EQ(got == nullptr, c.to <= 0) << c.from << " to " << c.to;
    for (int32_t i = 0; got != nullptr && i < std::min(c.to, oldSize); i++)
      ASSERT_EQ(got[i], 'a' + i % 26) << c.from << " to " << c.to << ", byte " << i;
    EXPECT_EQ(UsedSize(old), c.to < 0 ? oldSize : -1) << c.from << " to " << c.to;
    EXPECT_STREQ(outside, "not the pool's");
    PutMem(got);
    if (c.to < 0) PutMem(old);
  }
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
  } cases[] = {{"new chunk", 65504, 1, false}, {"big block", 70000, 1, false}, {"link for a big block", 70000, 2, true}};
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
