#include "driver/deck_diff.h"

#include <array>

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

std::string deckDiff(const DeckStream& old, const DeckStream& deck, bool json,
                     std::FILE* warnings) {
  const RunPlan before = planDeck(old, warnings);
  const RunPlan after = planDeck(deck, warnings);

  const RenderedFiles a(before);
  const RenderedFiles b(after);
  const std::array<FileChange, 3> files = {
      compare("newmods.for", a.module.text(), b.module.text()),
      compare("dimdef.for", a.dimdef.text(), b.dimdef.text()),
      compare("debug.lis", a.debug.text(), b.debug.text()),
  };
  const PlanDiff diff = diffPlans(before, after, files);
  return json ? diffJson(diff, old.name, deck.name) : diffText(diff, old.name, deck.name);
}

}  // namespace sizgen
