#include "driver/deck_diff.h"

#include <array>
#include <utility>
#include <vector>

#include "analysis/line_changes.h"
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

FileChange compare(std::string_view file, const std::string& before, const std::string& after) {
  const LineChanges changes = lineChanges(before, after);
  return {file, before == after, changes.removed, changes.added};
}

}  // namespace

DeckDifference diffDecks(const DeckStream& old, const DeckStream& deck, std::FILE* warnings) {
  RunPlan before = planDeck(old, warnings);
  RunPlan after = planDeck(deck, warnings);

  const RenderedFiles a = renderGeneratedFiles(before);
  const RenderedFiles b = renderGeneratedFiles(after);
  std::vector<FileChange> files;
  for (std::size_t i = 0; i < kGeneratedFiles.size(); ++i) {
    if (kGeneratedFiles[i].written()) files.push_back(compare(kGeneratedFiles[i].name, a[i], b[i]));
  }
  PlanDiff diff = diffPlans(before, after, files);
  return {std::move(before), std::move(after), std::move(diff)};
}

std::string deckDiff(const DeckStream& old, const DeckStream& deck, bool json,
                     std::FILE* warnings) {
  const PlanDiff diff = diffDecks(old, deck, warnings).diff;
  return json ? diffJson(diff, old.name, deck.name) : diffText(diff, old.name, deck.name);
}

}  // namespace sizgen
