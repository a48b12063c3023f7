// The language server's time and memory for an editor that sends a change
// on every keystroke, measured in the server itself (no pipe, no client):
// from the bytes of a didChange to the bytes of the publishDiagnostics it
// answers, on a deck of 1,000 cards.  Run from the build directory:
//
//   ./lsp_benchmark --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
//
// Keystroke: one change of one character, its diagnostics (about 100
// warnings).  Memory: the resident set after 1,000 and after 10,000 such
// changes, in kilobytes (counters rss_kb_1000 and rss_kb_10000).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

#include "lsp/connection.h"
#include "lsp/framing.h"

namespace {

using nlohmann::json;
using sizgen::lsp::Connection;

constexpr int kCards = 1000;
const std::string kUri = "file:///bench.deck";

// 996 cards before the list-size cards: comments, and every tenth a DEFAULT
// card given again (a warning each); then three list-size cards and the
// offsets card.
std::string thousandCardDeck() {
  std::string deck;
  for (int i = 0; i < kCards - 4; ++i)
    deck += i % 10 == 0 ? "DEFAULT      1.5\n" : "C  comment card " + std::to_string(i) + "\n";
  deck += "     600    1200    1800     100    4000      60    1000    2500     150     300\n";
  deck += "BLANK\nBLANK\n   90000    1000       0   75000\n";
  return deck;
}

std::string framed(const json& message) {
  return sizgen::lsp::frame(message.dump());
}

// A server with the deck open.
Connection openedServer() {
  Connection server({"sizgen", "bench"});
  server.receive(framed({{"jsonrpc", "2.0"},
                         {"id", 1},
                         {"method", "initialize"},
                         {"params", {{"capabilities", json::object()}}}}));
  server.receive(framed({{"jsonrpc", "2.0"},
                         {"method", "textDocument/didOpen"},
                         {"params",
                          {{"textDocument",
                            {{"uri", kUri},
                             {"languageId", "deck"},
                             {"version", 0},
                             {"text", thousandCardDeck()}}}}}}));
  return server;
}

// The change of keystroke `n`: one character of a comment card in the
// middle of the deck replaced.
std::string keystroke(int n) {
  const json range = {{"start", {{"line", 501}, {"character", 3}}},
                      {"end", {{"line", 501}, {"character", 4}}}};
  const json change = {{"range", range}, {"text", n % 2 == 0 ? "c" : "C"}};
  const json params = {{"textDocument", {{"uri", kUri}, {"version", n}}},
                       {"contentChanges", json::array({change})}};
  return framed({{"jsonrpc", "2.0"}, {"method", "textDocument/didChange"}, {"params", params}});
}

long residentKilobytes() {
  std::ifstream statm("/proc/self/statm");
  long size = 0;
  long resident = 0;
  if (!(statm >> size >> resident)) throw std::runtime_error("cannot read /proc/self/statm");
  return resident * sysconf(_SC_PAGESIZE) / 1024;
}

void Keystroke(benchmark::State& state) {
  Connection server = openedServer();
  int n = 1;
  for (auto _ : state) {
    const std::string reply = server.receive(keystroke(n++));
    if (reply.find("publishDiagnostics") == std::string::npos)
      state.SkipWithError("no diagnostics published");
    benchmark::DoNotOptimize(reply);
  }
}

void MemoryOverEdits(benchmark::State& state) {
  for (auto _ : state) {
    Connection server = openedServer();
    for (int n = 1; n <= 10000; ++n) {
      benchmark::DoNotOptimize(server.receive(keystroke(n)));
      if (n == 1000) state.counters["rss_kb_1000"] = static_cast<double>(residentKilobytes());
    }
    state.counters["rss_kb_10000"] = static_cast<double>(residentKilobytes());
  }
}

}  // namespace

BENCHMARK(Keystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(MemoryOverEdits)->Unit(benchmark::kSecond)->Iterations(1);

BENCHMARK_MAIN();
