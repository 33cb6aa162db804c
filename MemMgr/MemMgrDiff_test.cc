// The pool against a plain model of what it promises: an address-ordered
// list of free pieces, first fit, a piece split from below, neighbours of
// one chunk merged on release, big blocks to the system. Long random
// traces of requests, releases, reallocations and bad pointers; after
// every step both agree on the address handed out and on the free list,
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

uintptr_t Addr(const void* p) { return reinterpret_cast<uintptr_t>(p); }
int32_t Need(int32_t size) { return (size + 15) / 16 * 16 + 16; }

// Takes the chunks the pool takes: when no piece fits, the pool's answer
// must be memory new to both, which the model then adopts.
class Model {
 public:
  struct Piece {
    uintptr_t at;
    int32_t size;
    bool operator==(const Piece&) const = default;
  };

  // Starts from the pool's present free pieces.
  Model() {
    ForEachFreePiece([&](uintptr_t at, int32_t size) {
      free_.push_back({at, size});
      chunks_.insert(at & ~(kChunk - 1));
    });
  }

  // The address GetMem must give, or 0 for memory new to the pool.
  uintptr_t Expect(int32_t need) const {
    if (need >= static_cast<int32_t>(kChunk)) return 0;
    for (const Piece& p : free_)
      if (p.size >= need) return p.at;
    return 0;
  }

  // Records the block the pool gave for `need`; false when the pool
  // should have given another.
  bool Take(uintptr_t at, int32_t need) {
    const uintptr_t want = Expect(need);
    if (want == 0 && !Fresh(at, need)) return false;
    if (want != 0 && at != want) return false;
    used_[at] = need;
    reused_[at] = 0;
    if (need >= static_cast<int32_t>(kChunk)) return true;
    if (want == 0) {  // a new chunk, its rest free
      chunks_.insert(at);
      Insert({at + need, static_cast<int32_t>(kChunk) - need});
    } else {
      auto p = std::find_if(free_.begin(), free_.end(), [&](const Piece& q) { return q.at == at; });
      p->at += need;
      p->size -= need;
      if (p->size == 0) free_.erase(p);
    }
    reused_[at] = std::min<uintptr_t>(need, Seen(at) > at ? Seen(at) - at : 0);
    seen_[at & ~(kChunk - 1)] = std::max(Seen(at), at + need);
    return true;
  }

  // Releases a block of ours; false for anything else.
  bool Put(uintptr_t at) {
    auto u = used_.find(at);
    if (u == used_.end()) return false;
    const int32_t need = u->second;
    used_.erase(u);
    if (need < static_cast<int32_t>(kChunk)) Insert({at, need});
    return true;
  }

  int32_t SizeOf(uintptr_t at) const {
    auto u = used_.find(at);
    return u == used_.end() ? 0 : u->second;
  }
  // How much of the block at `at` was handed out before: it must read zero.
  uintptr_t Reused(uintptr_t at) const { return reused_.at(at); }
  const std::vector<Piece>& Free() const { return free_; }
  const std::map<uintptr_t, int32_t>& Used() const { return used_; }

 private:
  // Outside every chunk the model knows of and every live block; a new
  // chunk starts on a chunk boundary.
  bool Fresh(uintptr_t at, int32_t need) const {
    if (need < static_cast<int32_t>(kChunk) && at % kChunk != 0) return false;
    if (chunks_.count(at & ~(kChunk - 1)) != 0) return false;
    for (const auto& [b, n] : used_)
      if (at < b + static_cast<uintptr_t>(n) && b < at + static_cast<uintptr_t>(need)) return false;
    return true;
  }

  uintptr_t Seen(uintptr_t at) const {
    auto s = seen_.find(at & ~(kChunk - 1));
    return s == seen_.end() ? 0 : s->second;
  }

  // Sorted in, merged with the pieces it touches inside its chunk.
  void Insert(Piece piece) {
    auto next = std::lower_bound(free_.begin(), free_.end(), piece.at,
                                 [](const Piece& p, uintptr_t at) { return p.at < at; });
    auto same = [](uintptr_t a, uintptr_t b) { return (a & ~(kChunk - 1)) == (b & ~(kChunk - 1)); };
    if (next != free_.end() && piece.at + piece.size == next->at && same(piece.at, next->at)) {
      piece.size += next->size;
      next = free_.erase(next);
    }
    if (next != free_.begin()) {
      auto prev = next - 1;
      if (prev->at + prev->size == piece.at && same(prev->at, piece.at)) {
        prev->size += piece.size;
        return;
      }
    }
    free_.insert(next, piece);
  }

  std::vector<Piece> free_;
  std::map<uintptr_t, int32_t> used_;
  std::set<uintptr_t> chunks_;
  std::map<uintptr_t, uintptr_t> seen_;     // chunk -> end of what it ever handed out
  std::map<uintptr_t, uintptr_t> reused_;   // block -> bytes of it handed out before
};

std::vector<Model::Piece> PoolFree() {
  std::vector<Model::Piece> out;
  ForEachFreePiece([&](uintptr_t at, int32_t size) { out.push_back({at, size}); });
  return out;
}

bool AllZero(uintptr_t at, size_t n) {
  const auto* p = reinterpret_cast<const unsigned char*>(at);
  return std::all_of(p, p + n, [](unsigned char c) { return c == 0; });
}

struct Shape {
  const char* name;
  uint32_t seed;
  int steps;
  int bigPercent;    // requests of 60000 to 70000 bytes: chunk-sized, many big
  int largePercent;  // 1000 to 30000 bytes: few to a chunk
  int keepPercent;   // releases that pass over the newest blocks
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
      ASSERT_EQ(PoolFree(), model_.Free()) << shape_.name << " step " << step;
    }
    while (!live_.empty() && !::testing::Test::HasFatalFailure()) Put(live_.size() - 1);
    EXPECT_EQ(PoolFree(), model_.Free()) << shape_.name << " all released";
    EXPECT_EQ(FreeMemList.LinkCnt, 0);
  }

 private:
  int32_t Size() {
    const unsigned r = rng_() % 100;
    if (r < static_cast<unsigned>(shape_.bigPercent)) return static_cast<int32_t>(60000 + rng_() % 10000);
    if (r < static_cast<unsigned>(shape_.bigPercent + shape_.largePercent))
      return static_cast<int32_t>(1000 + rng_() % 29000);
    return static_cast<int32_t>(rng_() % 120);
  }

  // Mostly one of the newest blocks, as the program releases them.
  size_t Pick() {
    if (rng_() % 100 < static_cast<unsigned>(shape_.keepPercent)) return rng_() % live_.size();
    return live_.size() - 1 - rng_() % std::min<size_t>(4, live_.size());
  }

  void Fill(uintptr_t at) {
    const auto fill = static_cast<unsigned char>(fill_++ % 255 + 1);
    std::memset(reinterpret_cast<void*>(at), fill, static_cast<size_t>(model_.SizeOf(at)));
    live_.push_back({at, fill});
  }

  bool Intact(uintptr_t at, unsigned char fill, size_t n) {
    const auto* p = reinterpret_cast<const unsigned char*>(at);
    return std::all_of(p, p + n, [&](unsigned char c) { return c == fill; });
  }

  void Get() {
    const int32_t size = Size();
    const uintptr_t at = Addr(GetMem(size));
    ASSERT_NE(at, 0u);
    ASSERT_EQ(at % 16, 0u);
    ASSERT_TRUE(model_.Take(at, Need(size))) << "size " << size << " got " << at << " want " << model_.Expect(Need(size));
    ASSERT_TRUE(AllZero(at, model_.Reused(at))) << "size " << size;
    const Link* record = FindLink(&UsedMemList, at);
    ASSERT_NE(record, nullptr);
    ASSERT_EQ(record->Size, Need(size));
    Fill(at);
  }

  void Put(size_t i) {
    const auto [at, fill] = live_[i];
    const auto n = static_cast<size_t>(model_.SizeOf(at));
    ASSERT_TRUE(Intact(at, fill, n)) << "block " << at;
    live_.erase(live_.begin() + static_cast<long>(i));
    PutMem(reinterpret_cast<void*>(at));
    ASSERT_TRUE(model_.Put(at));
    ASSERT_EQ(FindLink(&UsedMemList, at), nullptr);
    ASSERT_TRUE(n >= kChunk || AllZero(at, n)) << "released, not zeroed";
    released_.push_back(at);
  }

  // AdjustMem: a new block as GetMem gives it, the old content copied, the
  // old block released; size 0 only releases.
  void Adjust() {
    const size_t i = Pick();
    const auto [old, fill] = live_[i];
    const int32_t oldSize = model_.SizeOf(old);
    const int32_t size = rng_() % 10 == 0 ? 0 : Size();
    const uintptr_t at = Addr(AdjustMem(reinterpret_cast<void*>(old), size));
    live_.erase(live_.begin() + static_cast<long>(i));
    if (size == 0) {
      ASSERT_EQ(at, 0u);
      ASSERT_TRUE(model_.Put(old));
      return;
    }
    ASSERT_TRUE(model_.Take(at, Need(size)));
    ASSERT_TRUE(Intact(at, fill, static_cast<size_t>(std::min(size, oldSize))));
    ASSERT_TRUE(model_.Put(old));
    Fill(at);
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
      if (model_.SizeOf(at) < static_cast<int32_t>(kChunk))
        bad.push_back((at & ~(kChunk - 1)) + kChunk);  // past the chunk: its side table
    }
    const uintptr_t probe = bad[rng_() % bad.size()];
    if (model_.SizeOf(probe) != 0) return;  // a released address handed out again
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
      {"small blocks, released newest first", 1, 30000, 0, 1, 10},
      {"small and large blocks, many kept", 2, 30000, 0, 8, 60},
      {"chunk-sized and big blocks", 3, 6000, 10, 20, 40},
      {"everything released in any order", 4, 20000, 1, 4, 100},
  };
  for (const Shape& shape : shapes) {
    Replay replay(shape);
    replay.Run();
    if (::testing::Test::HasFatalFailure()) return;
  }
}

}  // namespace
