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
#include <iterator>
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

std::string readDeck(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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

// `count` DEFAULT cards, each given again, then the typical deck: a
// warning a card, and a field line a card in --annotate.
const std::string& defaultCardsDeck() {
  static const std::string path = [] {
    std::string deck;
    for (int i = 0; i < 1000; ++i) deck += "DEFAULT      1.5\n";
    return writeDeck("defaults1000.deck", deck + readDeck(typicalDeck()));
  }();
  return path;
}

// 1000 cards of every kind in turn (comments, keyword cards, values
// beside their columns, blanks inside numbers), then the typical deck.
const std::string& mixedCardsDeck() {
  static const std::string path = [] {
    static constexpr const char* kCards[] = {
        "C  a comment card\n", "DEFAULT      1.5\n", "SCALE    1.1\n",     "CARDS      500\n",
        "NBHDSW   4.0\n",      "ROUND UP    4096\n", "FIXED      1 1 1\n", "SCALE 2.0\n",
        "RAM TABLES\n",        "NBHDSW   4 0\n"};
    std::string deck;
    for (int i = 0; i < 1000; ++i) deck += kCards[i % 10];
    return writeDeck("mixed1000.deck", deck + readDeck(typicalDeck()));
  }();
  return path;
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
// --annotate and --format against a plain run of the same deck; with
// random interleaving, each pair is measured in one session.
void PlainRun(benchmark::State& state, const std::string& (*deck)()) {
  run(state, SIZGEN_BINARY, deck());
}
void ShowCards(benchmark::State& state, const std::string& (*deck)(), const char* option) {
  run(state, SIZGEN_BINARY, deck(), option);
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
BENCHMARK_CAPTURE(PlainRun, typical, typicalDeck)
    ->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK_CAPTURE(ShowCards, typical_annotate, typicalDeck, "--annotate")
    ->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK_CAPTURE(ShowCards, typical_format, typicalDeck, "--format")
    ->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK_CAPTURE(PlainRun, defaults1000, defaultCardsDeck)
    ->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK_CAPTURE(ShowCards, defaults1000_annotate, defaultCardsDeck, "--annotate")
    ->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK_CAPTURE(ShowCards, defaults1000_format, defaultCardsDeck, "--format")
    ->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK_CAPTURE(PlainRun, mixed1000, mixedCardsDeck)
    ->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK_CAPTURE(ShowCards, mixed1000_annotate, mixedCardsDeck, "--annotate")
    ->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(0.5);
BENCHMARK_CAPTURE(ShowCards, mixed1000_format, mixedCardsDeck, "--format")
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
