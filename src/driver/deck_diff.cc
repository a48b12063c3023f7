#include "driver/deck_diff.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "analysis/plan_diff.h"
#include "base/error.h"
#include "base/sink.h"
#include "driver/run.h"
#include "driver/warning_lines.h"
#include "emit/generated_files.h"
#include "input/card_reader.h"
#include "sizing/run_planning.h"

namespace sizgen {
namespace {

std::vector<std::string_view> lines(std::string_view text) {
  std::vector<std::string_view> result;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    result.push_back(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return result;
}

// The plan of `deck`, its warnings printed on `warnings` after its name
// as it is read and planned.  An error of the deck comes after its name;
// one that names the deck already (it cannot be read) comes as it is.
RunPlan planDeck(const DeckStream& deck, std::FILE* warnings) {
  try {
    const DeckSettings settings = readDeckSettings(deck.file, deck.name);
    printWarnings(warnings, settings.warnings, deck.name);
    RunPlan plan = planRun(settings);
    printWarnings(warnings, plan.warnings, deck.name);
    return plan;
  } catch (const ReadError&) {
    throw;
  } catch (const Error& error) {
    throw Error(deck.name + ": " + error.what());
  }
}

// The three written files of a plan, rendered as a run writes them.
struct RenderedFiles {
  MemorySink module;
  MemorySink dimdef;
  MemorySink debug;
  explicit RenderedFiles(const RunPlan& plan) {
    writeModuleFile(plan, module);
    writeDimdefFile(plan, dimdef);
    writeDebugFile(plan, debug);
  }
};

FileChange compare(std::string_view file, const std::string& before, const std::string& after) {
  const LineChanges changes = lineChanges(before, after);
  return {file, before == after, changes.removed, changes.added};
}

}  // namespace

LineChanges lineChanges(std::string_view before, std::string_view after) {
  const std::vector<std::string_view> a = lines(before);
  const std::vector<std::string_view> b = lines(after);
  // The common lines at both ends first: most changes are a few lines.
  const auto head = static_cast<std::ptrdiff_t>(
      std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin());
  const auto tail = static_cast<std::ptrdiff_t>(
      std::mismatch(a.rbegin(), a.rend() - head, b.rbegin(), b.rend() - head).first - a.rbegin());
  const std::size_t n = a.size() - static_cast<std::size_t>(head + tail);
  const std::size_t m = b.size() - static_cast<std::size_t>(head + tail);
  // The length of the longest common subsequence of the middles, row by row.
  std::vector<std::size_t> row(m + 1, 0);
  for (std::size_t i = 1; i <= n; ++i) {
    std::size_t diagonal = 0;
    for (std::size_t j = 1; j <= m; ++j) {
      const std::size_t above = row[j];
      const bool same =
          a[static_cast<std::size_t>(head) + i - 1] == b[static_cast<std::size_t>(head) + j - 1];
      row[j] = same ? diagonal + 1 : std::max(row[j], row[j - 1]);
      diagonal = above;
    }
  }
  const std::size_t common = row[m];
  return {static_cast<std::int64_t>(n - common), static_cast<std::int64_t>(m - common)};
}

DeckDifference diffDecks(const DeckStream& old, const DeckStream& deck, std::FILE* warnings) {
  RunPlan before = planDeck(old, warnings);
  RunPlan after = planDeck(deck, warnings);

  const RenderedFiles a(before);
  const RenderedFiles b(after);
  const std::array<FileChange, 3> files = {
      compare("newmods.for", a.module.text(), b.module.text()),
      compare("dimdef.for", a.dimdef.text(), b.dimdef.text()),
      compare("debug.lis", a.debug.text(), b.debug.text()),
  };
  PlanDiff diff = diffPlans(before, after, files);
  return {std::move(before), std::move(after), std::move(diff)};
}

std::string deckDiff(const DeckStream& old, const DeckStream& deck, bool json,
                     std::FILE* warnings) {
  const PlanDiff diff = diffDecks(old, deck, warnings).diff;
  return json ? diffJson(diff, old.name, deck.name) : diffText(diff, old.name, deck.name);
}

}  // namespace sizgen
