// The pool against a plain model of what it promises: an address-ordered
// list of free pieces, first fit, a piece split from below, neighbours of
// one chunk merged on release, big blocks to the system. Long random
// traces of requests, releases, reallocations and bad pointers; after
// every step both agree on the address handed out and on the free pieces,
// released memory reads as zero, and every block still holds what its
// owner wrote.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <vector>

#include "MemMgr/Chunk.h"
#include "MemMgr/MemMgr.h"

namespace {

using Pieces = std::vector<std::pair<uintptr_t, int32_t>>;
uintptr_t Addr(const void* p) { return reinterpret_cast<uintptr_t>(p); }
uintptr_t ChunkOf(uintptr_t at) { return at & ~(kChunk - 1); }
int32_t Need(int32_t size) { return (size + 15) / 16 * 16 + 16; }
constexpr int32_t kBig = static_cast<int32_t>(kChunk);

Pieces PoolPieces() {
  Pieces out;
  ForEachFreePiece([&](uintptr_t at, int32_t size) { out.emplace_back(at, size); });
  return out;
}

bool Holds(uintptr_t at, size_t n, unsigned char c) {
  const auto* p = reinterpret_cast<const unsigned char*>(at);
  return std::all_of(p, p + n, [c](unsigned char b) { return b == c; });
}

// Takes the chunks the pool takes: when no piece fits, the pool's answer
// must be memory new to both, which the model then adopts.
class Model {
 public:
  Model() : free_(PoolPieces()) {
    for (const auto& piece : free_) chunks_.insert(ChunkOf(piece.first));
  }

  // The address GetMem must give, or 0 for memory new to the pool.
  uintptr_t Expect(int32_t need) const {
    if (need >= kBig) return 0;
    auto fit = std::find_if(free_.begin(), free_.end(), [need](const auto& p) { return p.second >= need; });
    return fit == free_.end() ? 0 : fit->first;
  }

  // Records the block handed out at `at`: how much of it was handed out
  // before (and must read zero), or -1 when the pool broke a promise.
  int64_t Take(uintptr_t at, int32_t need) {
    const uintptr_t want = Expect(need);
    if (want == 0 ? !New(at, need) : at != want) return -1;
    used_[at] = need;
    if (need >= kBig) return 0;
    if (want == 0) {  // a new chunk, the rest of it free
      chunks_.insert(at);
      Insert(at + need, kBig - need);
    } else {
      auto p = std::find_if(free_.begin(), free_.end(), [at](const auto& q) { return q.first == at; });
      p->first += need;
      p->second -= need;
      if (p->second == 0) free_.erase(p);
    }
    uintptr_t& seen = seen_[ChunkOf(at)];  // the chunk was handed out up to here
    const int64_t reused = seen > at ? std::min<int64_t>(need, seen - at) : 0;
    seen = std::max(seen, at + need);
    return reused;
  }

  bool Put(uintptr_t at) {
    auto u = used_.find(at);
    if (u == used_.end()) return false;
    if (u->second < kBig) Insert(at, u->second);
    used_.erase(u);
    return true;
  }

  int32_t SizeOf(uintptr_t at) const {
    auto u = used_.find(at);
    return u == used_.end() ? 0 : u->second;
  }
  const Pieces& Free() const { return free_; }

 private:
  // Outside every chunk known and every live block; a chunk on a boundary.
  bool New(uintptr_t at, int32_t need) const {
    if ((need < kBig && at % kChunk != 0) || chunks_.count(ChunkOf(at)) != 0) return false;
    return std::none_of(used_.begin(), used_.end(), [&](const auto& b) {
      return at < b.first + static_cast<uintptr_t>(b.second) && b.first < at + static_cast<uintptr_t>(need);
    });
  }

  // Sorted in, merged with the pieces it touches inside its chunk.
  void Insert(uintptr_t at, int32_t size) {
    auto next = std::lower_bound(free_.begin(), free_.end(), std::make_pair(at, 0));
    if (next != free_.end() && at + size == next->first && ChunkOf(at) == ChunkOf(next->first)) {
      size += next->second;
      next = free_.erase(next);
    }
    auto prev = next == free_.begin() ? free_.end() : next - 1;
    if (prev != free_.end() && prev->first + prev->second == at && ChunkOf(prev->first) == ChunkOf(at))
      prev->second += size;
    else
      free_.insert(next, {at, size});
  }

  Pieces free_;
  std::map<uintptr_t, int32_t> used_;
  std::set<uintptr_t> chunks_;
  std::map<uintptr_t, uintptr_t> seen_;
};

struct Shape {
  const char* name;
  uint32_t seed;
  int steps;
  unsigned bigPercent;    // 60000 to 70000 bytes: chunk-sized, or big
  unsigned largePercent;  // 1000 to 30000 bytes: few to a chunk
  unsigned keepPercent;   // releases of any live block, not one of the newest
};

class Replay {
 public:
  explicit Replay(const Shape& shape) : rng_(shape.seed), shape_(shape) {}

  void Run() {
    for (int step = 0; step < shape_.steps && !::testing::Test::HasFatalFailure(); step++) {
      const unsigned r = rng_() % 100;
      if (r < 45 || live_.empty()) Get();
      else if (r < 80) Put(Pick());
      else if (r < 88) Adjust();
      else Bad();
      ASSERT_EQ(PoolPieces(), model_.Free()) << shape_.name << ", step " << step;
    }
    while (!live_.empty() && !::testing::Test::HasFatalFailure()) Put(live_.size() - 1);
    EXPECT_EQ(PoolPieces(), model_.Free()) << shape_.name << ", all released";
  }

 private:
  int32_t Size() {
    const unsigned r = rng_() % 100;
    if (r < shape_.bigPercent) return static_cast<int32_t>(60000 + rng_() % 10000);
    if (r < shape_.bigPercent + shape_.largePercent) return static_cast<int32_t>(1000 + rng_() % 29000);
    return static_cast<int32_t>(rng_() % 120 << rng_() % 4);  // to 60 slots: runs across free words
  }

  // Mostly one of the newest blocks, as the program releases them.
  size_t Pick() {
    if (rng_() % 100 < shape_.keepPercent) return rng_() % live_.size();
    return live_.size() - 1 - rng_() % std::min<size_t>(4, live_.size());
  }

  void Fill(uintptr_t at) {
    live_.push_back({at, static_cast<unsigned char>(fill_++ % 255 + 1)});
    std::memset(reinterpret_cast<void*>(at), live_.back().fill, static_cast<size_t>(model_.SizeOf(at)));
  }

  void Get() {
    const int32_t size = Size();
    const uintptr_t at = Addr(GetMem(size));
    const int64_t reused = model_.Take(at, Need(size));
    ASSERT_GE(reused, 0) << "size " << size << ": got " << at << ", want " << model_.Expect(Need(size));
    ASSERT_TRUE(Holds(at, static_cast<size_t>(reused), 0)) << "size " << size;
    const Link* record = FindLink(&UsedMemList, at);
    ASSERT_TRUE(record != nullptr && record->Size == Need(size));
    Fill(at);
  }

  void Put(size_t i) {
    const auto [at, fill] = live_[i];
    const auto n = static_cast<size_t>(model_.SizeOf(at));
    ASSERT_TRUE(Holds(at, n, fill)) << "block " << at << " overwritten";
    live_.erase(live_.begin() + static_cast<long>(i));
    PutMem(reinterpret_cast<void*>(at));
    ASSERT_TRUE(model_.Put(at));
    ASSERT_EQ(FindLink(&UsedMemList, at), nullptr);
    ASSERT_TRUE(n >= kChunk || Holds(at, n, 0)) << "released, not zeroed";
    released_.push_back(at);
  }

  // A new block as GetMem gives it, the old content copied, the old block
  // released; size 0 only releases.
  void Adjust() {
    const size_t i = Pick();
    const auto [old, fill] = live_[i];
    const int32_t oldNeed = model_.SizeOf(old), size = rng_() % 10 == 0 ? 0 : Size();
    const uintptr_t at = Addr(AdjustMem(reinterpret_cast<void*>(old), size));
    live_.erase(live_.begin() + static_cast<long>(i));
    if (size != 0) {
      ASSERT_GE(model_.Take(at, Need(size)), 0);
      ASSERT_TRUE(Holds(at, static_cast<size_t>(std::min(size, oldNeed)), fill));
    } else {
      ASSERT_EQ(at, 0u);
    }
    ASSERT_TRUE(model_.Put(old));
    if (size != 0) Fill(at);
  }

  // Pointers the pool did not hand out, or took back: nothing changes.
  void Bad() {
    int local = 0;
    std::vector<uintptr_t> bad = {0, Addr(&local)};
    if (!released_.empty()) bad.push_back(released_[rng_() % released_.size()]);
    if (!live_.empty()) {
      const uintptr_t at = live_[rng_() % live_.size()].at;
      bad.push_back(at + 1);
      if (model_.SizeOf(at) > 16) bad.push_back(at + 16);
      if (model_.SizeOf(at) < kBig) bad.push_back(ChunkOf(at) + kChunk);  // past the chunk: its side table
    }
    const uintptr_t probe = bad[rng_() % bad.size()];
    if (model_.SizeOf(probe) != 0) return;  // released, and handed out again since
    const int32_t big = UsedMemList.LinkCnt;
    PutMem(reinterpret_cast<void*>(probe));
    ASSERT_EQ(UsedMemList.LinkCnt, big);
  }

  struct Live {
    uintptr_t at;
    unsigned char fill;
  };

  std::mt19937 rng_;
  Shape shape_;
  Model model_;
  std::vector<Live> live_;
  std::vector<uintptr_t> released_;
  unsigned fill_ = 0;
};

TEST(PoolModel, RandomTracesAgreeStepByStep) {
  const Shape shapes[] = {
      {"small blocks, the newest released first", 1, 30000, 0, 1, 10},
      {"small and large blocks, many kept", 2, 30000, 0, 8, 60},
      {"chunk-sized and big blocks", 3, 6000, 10, 20, 40},
      {"blocks released in any order", 4, 20000, 1, 4, 100},
  };
  for (const Shape& shape : shapes) {
    Replay(shape).Run();
    if (::testing::Test::HasFatalFailure()) return;
  }
  EXPECT_EQ(FreeMemList.LinkCnt, 0);
}

}  // namespace
