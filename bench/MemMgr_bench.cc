// The pool against malloc/free on an allocation trace shaped like the
// installer's: many short-lived saved strings, a few directory listings of
// about 1500 names (~20 KB), batches of captured command output lines, and
// the command paths kept for the whole run.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "MemMgr/MemMgr.h"

namespace {

struct Op {
  bool take;  // true: allocate block `id` of `size` bytes; false: release it
  int id;
  int32_t size;
};

struct Trace {
  std::vector<Op> ops;
  int ids = 0;
};

Trace MakeTrace() {
  std::mt19937 rng(7315);
  Trace t;
  auto take = [&](int32_t size) {
    t.ops.push_back({true, t.ids, size});
    return t.ids++;
  };
  auto put = [&](int id) { t.ops.push_back({false, id, 0}); };
  auto small = [&] { return static_cast<int32_t>(8 + rng() % 72); };

  std::vector<int> kept;  // command paths, the program's name, ...
  for (int i = 0; i < 50; i++) kept.push_back(take(small()));

  for (int round = 0; round < 40; round++) {
    // Saved strings: a path or a name built, used and given back soon.
    std::vector<int> recent;
    for (int i = 0; i < 300; i++) {
      recent.push_back(take(small()));
      if (recent.size() > 3 || rng() % 2 == 0) {
        const size_t at = rng() % recent.size();
        put(recent[at]);
        recent.erase(recent.begin() + static_cast<long>(at));
      }
    }
    for (int id : recent) put(id);

    // Captured output of ps -e or df -k: a batch of lines kept together.
    if (round % 4 == 0) {
      std::vector<int> lines;
      const int n = 100 + static_cast<int>(rng() % 150);
      for (int i = 0; i < n; i++) lines.push_back(take(static_cast<int32_t>(30 + rng() % 50)));
      for (int id : lines) put(id);
    }

    // A directory listing, searched while a few names are saved.
    if (round % 8 == 0) {
      const int listing = take(static_cast<int32_t>(18000 + rng() % 4000));
      std::vector<int> names;
      for (int i = 0; i < 20; i++) names.push_back(take(small()));
      put(listing);
      for (int id : names) put(id);
    }
  }
  for (int id : kept) put(id);
  return t;
}

const Trace& TheTrace() {
  static const Trace trace = MakeTrace();
  return trace;
}

template <typename Take, typename Put>
void Replay(benchmark::State& state, Take takeBlock, Put putBlock) {
  const Trace& t = TheTrace();
  std::vector<void*> blocks(static_cast<size_t>(t.ids));
  for (auto _ : state) {
    for (const Op& op : t.ops) {
      if (op.take) {
        void* p = takeBlock(op.size);
        std::memset(p, 'x', static_cast<size_t>(op.size));  // the caller fills it
        blocks[static_cast<size_t>(op.id)] = p;
      } else {
        putBlock(blocks[static_cast<size_t>(op.id)]);
      }
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(t.ops.size()));
}

void BM_Pool(benchmark::State& state) {
  Replay(state, [](int32_t n) { return GetMem(n); }, [](void* p) { PutMem(p); });
}

void BM_Malloc(benchmark::State& state) {
  Replay(state, [](int32_t n) { return std::malloc(static_cast<size_t>(n)); }, [](void* p) { std::free(p); });
}

BENCHMARK(BM_Pool);
BENCHMARK(BM_Malloc);

}  // namespace

BENCHMARK_MAIN();
