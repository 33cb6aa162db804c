// The pool against malloc/free and calloc/free (the fair peer: the pool
// hands out zeroed memory) on two allocation traces shaped like the
// installer's. "installer": many short-lived saved strings, a few directory
// listings of about 1500 names (~20 KB), batches of captured command output
// lines, and the command paths kept for the whole run. "long-lived": the
// same with about one block in eight kept for several rounds or to the end
// (menu records, help titles, a listing searched later), which leaves holes
// for first fit to walk past.
//
// Prints the CPU-time median of each benchmark over its repetitions, the
// ratios pool / malloc and pool / calloc per trace, and the pool's peak
// memory per trace: heap bytes in use (glibc mallinfo2, arena plus mmapped
// blocks) plus bytes the pool maps itself, each trace replayed once in a
// fresh process so it starts from an empty pool.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "MemMgr/MemMgr.h"
#include "MemMgr/SysMem.h"

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

Trace MakeTrace(bool longLived) {
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
  std::multimap<int, int> later;  // round of release -> block kept until then
  auto keep = [&](int round, int id) {
    if (rng() % 4 == 0) kept.push_back(id);
    else later.emplace(round + 1 + static_cast<int>(rng() % 6), id);
  };

  for (int round = 0; round < 40; round++) {
    // Saved strings: a path or a name built, used and given back soon.
    std::vector<int> recent;
    for (int i = 0; i < 300; i++) {
      const int id = take(small());
      if (longLived && rng() % 8 == 0) keep(round, id);
      else recent.push_back(id);
      if (recent.size() > 3 || (!recent.empty() && rng() % 2 == 0)) {
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
      for (int i = 0; i < n; i++) {
        const int id = take(static_cast<int32_t>(30 + rng() % 50));
        if (longLived && rng() % 8 == 0) keep(round, id);
        else lines.push_back(id);
      }
      for (int id : lines) put(id);
    }

    // A directory listing, searched while a few names are saved.
    if (round % 8 == 0) {
      const int listing = take(static_cast<int32_t>(18000 + rng() % 4000));
      std::vector<int> names;
      for (int i = 0; i < 20; i++) names.push_back(take(small()));
      if (longLived) later.emplace(round + 3, listing);
      else put(listing);
      for (int id : names) put(id);
    }

    for (auto it = later.begin(); it != later.end() && it->first <= round;) {
      put(it->second);
      it = later.erase(it);
    }
  }
  for (const auto& entry : later) put(entry.second);
  for (int id : kept) put(id);
  return t;
}

const Trace& TheTrace(int which) {
  static const Trace traces[] = {MakeTrace(false), MakeTrace(true)};
  return traces[which];
}
const char* const kTraceNames[] = {"installer", "long-lived"};

void* PoolTake(int32_t n) { return GetMem(n); }
void PoolPut(void* p) { PutMem(p); }
void* MallocTake(int32_t n) { return std::malloc(static_cast<size_t>(n)); }
void* CallocTake(int32_t n) { return std::calloc(1, static_cast<size_t>(n)); }
void SysPut(void* p) { std::free(p); }

// One pass over a trace; `after` runs after every request.
template <typename Take, typename Put, typename After>
void ReplayOnce(const Trace& t, std::vector<void*>& blocks, Take takeBlock, Put putBlock, After after) {
  for (const Op& op : t.ops) {
    if (op.take) {
      void* p = takeBlock(op.size);
      std::memset(p, 'x', static_cast<size_t>(op.size));  // the caller fills it
      blocks[static_cast<size_t>(op.id)] = p;
      after();
    } else {
      putBlock(blocks[static_cast<size_t>(op.id)]);
    }
  }
}

template <typename Take, typename Put>
void Replay(benchmark::State& state, Take takeBlock, Put putBlock) {
  const Trace& t = TheTrace(static_cast<int>(state.range(0)));
  std::vector<void*> blocks(static_cast<size_t>(t.ids));
  for (auto _ : state) {
    ReplayOnce(t, blocks, takeBlock, putBlock, [] {});
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(t.ops.size()));
  state.SetLabel(kTraceNames[state.range(0)]);
}

void BM_Pool(benchmark::State& state) { Replay(state, PoolTake, PoolPut); }
void BM_Malloc(benchmark::State& state) { Replay(state, MallocTake, SysPut); }
void BM_Calloc(benchmark::State& state) { Replay(state, CallocTake, SysPut); }

constexpr int kRepetitions = 5;
BENCHMARK(BM_Pool)->Arg(0)->Arg(1)->Repetitions(kRepetitions)->ReportAggregatesOnly(true);
BENCHMARK(BM_Malloc)->Arg(0)->Arg(1)->Repetitions(kRepetitions)->ReportAggregatesOnly(true);
BENCHMARK(BM_Calloc)->Arg(0)->Arg(1)->Repetitions(kRepetitions)->ReportAggregatesOnly(true);

// Heap in use plus the chunks the pool maps itself.
size_t SystemBytes() {
  const struct mallinfo2 mi = mallinfo2();
  return mi.uordblks + mi.hblkhd + SysMappedBytes();
}

// The pool's peak over one replay of a trace, in a child process: the pool
// never gives chunks back, so only a fresh one shows what a trace needs.
long PeakBytes(int which) {
  int fd[2];
  if (pipe(fd) != 0) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    const Trace& t = TheTrace(which);
    std::vector<void*> blocks(static_cast<size_t>(t.ids));
    const size_t base = SystemBytes();
    size_t peak = 0;
    ReplayOnce(t, blocks, PoolTake, PoolPut, [&] { peak = std::max(peak, SystemBytes() - base); });
    const long out = static_cast<long>(peak);
    _exit(write(fd[1], &out, sizeof out) == sizeof out ? 0 : 1);
  }
  close(fd[1]);
  long peak = -1;
  if (pid < 0 || read(fd[0], &peak, sizeof peak) != sizeof peak) peak = -1;
  close(fd[0]);
  if (pid > 0) waitpid(pid, nullptr, 0);
  return peak;
}

// The console output as usual, and the CPU-time medians kept for the ratios.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      if (r.aggregate_name == "median") medians_[r.run_name.function_name][r.run_name.args] = r.GetAdjustedCPUTime();
  }
  double Median(const std::string& fn, int trace) const {
    const auto f = medians_.find(fn);
    if (f == medians_.end()) return 0;
    const auto a = f->second.find(std::to_string(trace));
    return a == f->second.end() ? 0 : a->second;
  }

 private:
  std::map<std::string, std::map<std::string, double>> medians_;
};

}  // namespace

int main(int argc, char** argv) {
  // Before any benchmark touches the pool, so each child starts empty.
  long peaks[2];
  for (int which = 0; which < 2; which++) peaks[which] = PeakBytes(which);

  // Repetitions interleaved at random by default, so a slow spell of a
  // shared machine does not fall on one side of a ratio only.
  std::vector<char*> args(argv, argv + argc);
  char interleave[] = "--benchmark_enable_random_interleaving=true";
  if (std::none_of(args.begin(), args.end(),
                   [](const char* a) { return std::strstr(a, "random_interleaving") != nullptr; }))
    args.insert(args.begin() + 1, interleave);
  int n = static_cast<int>(args.size());
  benchmark::Initialize(&n, args.data());
  if (benchmark::ReportUnrecognizedArguments(n, args.data())) return 1;
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  std::printf("\n%-11s %12s %12s %12s %9s %9s %12s\n", "trace", "pool ns", "malloc ns", "calloc ns",
              "/malloc", "/calloc", "peak bytes");
  for (int which = 0; which < 2; which++) {
    const double pool = reporter.Median("BM_Pool", which);
    const double mal = reporter.Median("BM_Malloc", which);
    const double cal = reporter.Median("BM_Calloc", which);
    std::printf("%-11s %12.0f %12.0f %12.0f %9.2f %9.2f %12ld\n", kTraceNames[which], pool, mal, cal,
                mal > 0 ? pool / mal : 0, cal > 0 ? pool / cal : 0, peaks[which]);
  }
  return 0;
}
