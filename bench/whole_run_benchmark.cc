// Wall time of whole sizgen runs, each a new process as users start it,
// against a C program that only starts and exits.  Run from the build
// directory:
//
//   ./whole_run_benchmark --benchmark_repetitions=30
//     --benchmark_enable_random_interleaving=true
//     --benchmark_report_aggregates_only=true
//
// Random interleaving alternates the programs, so that both see the same
// machine state ("pairwise in one session").  With SIZGEN_BASELINE set to
// another build of sizgen, the empty and typical decks are run with it too,
// to compare two builds in one session.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

extern char** environ;

namespace {

std::string scratch() {
  static const std::string directory = [] {
    std::string pattern = "/tmp/sizgen-bench-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    return pattern;
  }();
  return directory;
}

std::string writeDeck(const std::string& name, const std::string& content) {
  std::string path = scratch() + "/" + name;
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

const std::string& emptyDeck() {
  static const std::string path = writeDeck("empty.deck", "");
  return path;
}

const std::string& typicalDeck() {
  static const std::string path =
      writeDeck("typical.deck",
                "C  all five list-size cards and the keyword cards\n"
                "DEFAULT  1.5\n"
                "SCALE    1.1\n"
                "FIXED      1 1 1\n"
                "CARDS      500\n"
                "NBHDSW   4.0\n"
                "RAM TABLES\n"
                "ROUND UP    4096\n"
                "     600    1200    1800     100    4000      60    1000    2500     150     300\n"
                "      50      60    6000      30    4000      60       8      10    2000    1200\n"
                "     150     500    6000       5     600     120      40   10000       1       4\n"
                "     800     200       0       0       0       0       0       0       0       0"
                "  {Optional card for Lists 31, etc.\n"
                "   90000    1000       0   75000\n");
  return path;
}

// A deck of `count` comment cards, each echoed on the listing.
std::string commentDeck(int count) {
  std::string deck;
  for (int i = 0; i < count; ++i) {
    deck += "C  comment card, ignored by the run but echoed on the listing\n";
  }
  return writeDeck("comments" + std::to_string(count) + ".deck", deck);
}

// Starts `program` with `option` (if any) in the scratch directory with
// `deck` on standard input and standard output on /dev/null, and waits
// for it.
void runOnce(const char* program, const std::string& deck, const char* option = nullptr) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, deck.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  char* argv[] = {const_cast<char*>(program), const_cast<char*>(option), nullptr};
  pid_t pid = 0;
  int error = posix_spawn(&pid, program, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) throw std::runtime_error(std::string("cannot start ") + program);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error(std::string(program) + " failed");
}

void run(benchmark::State& state, const char* program, const std::string& deck,
         const char* option = nullptr) {
  if (chdir(scratch().c_str()) != 0) throw std::runtime_error("chdir failed");
  for (auto _ : state) runOnce(program, deck, option);
}

// The other build named by SIZGEN_BASELINE, or nothing.
const char* baseline() {
  return std::getenv("SIZGEN_BASELINE");
}

void HelloWorld(benchmark::State& state) {
  run(state, HELLO_BINARY, emptyDeck());
}
void EmptyDeck(benchmark::State& state) {
  run(state, SIZGEN_BINARY, emptyDeck());
}
void TypicalDeck(benchmark::State& state) {
  run(state, SIZGEN_BINARY, typicalDeck());
}
void BaselineEmptyDeck(benchmark::State& state) {
  if (baseline() == nullptr) return state.SkipWithError("SIZGEN_BASELINE is not set");
  run(state, baseline(), emptyDeck());
}
void BaselineTypicalDeck(benchmark::State& state) {
  if (baseline() == nullptr) return state.SkipWithError("SIZGEN_BASELINE is not set");
  run(state, baseline(), typicalDeck());
}
// The analysis modes on the typical deck: each reads and plans the deck
// and prints, writing no file.
void Analysis(benchmark::State& state, const char* option) {
  run(state, SIZGEN_BINARY, typicalDeck(), option);
}
void AnalysisOfEmptyDeck(benchmark::State& state, const char* option) {
  run(state, SIZGEN_BINARY, emptyDeck(), option);
}
void CommentCards(benchmark::State& state) {
  run(state, SIZGEN_BINARY, commentDeck(static_cast<int>(state.range(0))));
}

BENCHMARK(HelloWorld)->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK(EmptyDeck)->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK(TypicalDeck)->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK(BaselineEmptyDeck)->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK(BaselineTypicalDeck)->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK_CAPTURE(Analysis, check, "--check")
    ->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK_CAPTURE(Analysis, report, "--report")
    ->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK_CAPTURE(Analysis, json, "--json")
    ->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK_CAPTURE(Analysis, explain_all, "--explain=all")
    ->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK_CAPTURE(Analysis, fit_4MiB, "--fit=4MiB")
    ->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK_CAPTURE(AnalysisOfEmptyDeck, check, "--check")
    ->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK_CAPTURE(AnalysisOfEmptyDeck, report, "--report")
    ->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK_CAPTURE(AnalysisOfEmptyDeck, json, "--json")
    ->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK_CAPTURE(AnalysisOfEmptyDeck, explain_all, "--explain=all")
    ->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK_CAPTURE(AnalysisOfEmptyDeck, fit_4MiB, "--fit=4MiB")
    ->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(0.5);
// Ten times the cards should cost ten times the time: no quadratic step.
BENCHMARK(CommentCards)
    ->Arg(10000)
    ->Arg(100000)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.5);

}  // namespace

BENCHMARK_MAIN();
