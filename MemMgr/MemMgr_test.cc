// The pool's edges; first fit, merging, the zero fill and bad pointers are
// pinned step by step against a model in MemMgrDiff_test.cc.
#include "MemMgr/MemMgr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
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

TEST_F(Pool, SizeRuleAndBigBlocks) {
  const int32_t small[][2] = {{0, 16}, {1, 32}, {16, 32}, {17, 48}, {32, 48}, {33, 64}, {1000, 1024}};
  std::vector<char*> got;
  for (const auto& c : small) {
    auto* p = static_cast<char*>(GetMem(c[0]));
    EXPECT_EQ(UsedSize(p), c[1]) << c[0];
    EXPECT_TRUE(got.empty() || p == got.back() + UsedSize(got.back())) << c[0];  // carved in address order
    got.push_back(p);
  }
  auto* last = static_cast<char*>(GetMem(65504));  // need 65520: the largest carved from a chunk
  EXPECT_EQ(UsedSize(last), 65520);
  PutMem(GetMem(1 << 17));  // the first big block makes the store of links, which stays
  const State before = Now();
  const int32_t big[][2] = {{65505, 65536}, {65520, 65536}, {65521, 65552}, {1 << 20, (1 << 20) + 16}};
  for (const auto& c : big) {
    void* p = GetMem(c[0]);
    EXPECT_EQ(UsedSize(p), c[1]) << c[0];
    EXPECT_EQ(UsedMemList.LinkCnt, before.big + 1);
    std::memset(p, 1, static_cast<size_t>(c[1]));
    PutMem(p);  // straight back to the system
    EXPECT_EQ(Now(), before) << c[0];
  }
  for (int32_t bad : {-1, INT32_MIN, INT32_MAX, INT32_MAX - 30}) EXPECT_EQ(GetMem(bad), nullptr) << bad;
  EXPECT_EQ(Now(), before);
  for (void* p : got) PutMem(p);
  PutMem(last);
  EXPECT_EQ(UsedSize(got[0]), -1);
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
  auto* big = static_cast<char*>(AdjustMem(t, 70000));  // big blocks are copied too
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
