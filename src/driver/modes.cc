#include "driver/modes.h"

#include "analysis/explanation.h"
#include "analysis/json_result.h"
#include "analysis/memory_fit.h"
#include "analysis/storage.h"
#include "analysis/storage_report.h"
#include "base/error.h"
#include "driver/output_files.h"
#include "driver/run.h"
#include "sizing/run_planning.h"

namespace sizgen {
namespace {

void print(std::FILE* out, const std::string& text) {
  StreamSink stream(out, "standard output");
  std::string_view rest = text;
  while (!rest.empty()) {
    std::size_t end = rest.find('\n');
    stream.write(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  stream.flush();
}

// The one line of --check.
std::string checkLine(const RunPlan& plan) {
  const std::int64_t bytes = totalBytes(plan);
  return "deck is sound: LTLABL = " + std::to_string(plan.LTLABL) +
         " words, COMMON storage = " + std::to_string(bytes) + " bytes (" + readableBytes(bytes) +
         ")\n";
}

// The lines of --fit.
std::string fitText(const std::optional<MemoryFit>& fit, std::int64_t budget) {
  if (!fit)
    throw Error("no SCALE card keeps the COMMON storage within " + std::to_string(budget) +
                " bytes (" + readableBytes(budget) + ")");
  return fit->card + "\n" + "COMMON storage with this card: " + std::to_string(fit->bytes) +
         " bytes (" + readableBytes(fit->bytes) + ") of " + std::to_string(budget) + " (" +
         readableBytes(budget) + ")\n";
}

}  // namespace

void runMode(const Options& options, std::FILE* deck, const std::string& deckName,
             std::FILE* out) {
  if (options.mode == Mode::Run) {
    StreamSink listing(out, "standard output");
    DirectoryFiles files(options.outputDirectory);
    runSizgen({deck, listing, files, deckName, regularFileIdentity(fileno(out))});
    return;
  }
  const DeckSettings settings = readDeckSettings(deck, deckName);
  if (options.mode == Mode::Fit) {
    print(out, fitText(fitMemory(settings, options.fitBytes), options.fitBytes));
    return;
  }
  const RunPlan plan = planRun(settings);
  switch (options.mode) {
    case Mode::Check:
      print(out, checkLine(plan));
      break;
    case Mode::Report:
      print(out, storageReport(plan));
      break;
    case Mode::Json:
      print(out, jsonResult(plan));
      break;
    case Mode::Explain:
      print(out, explainLists(plan, options.explainList));
      break;
    default:
      throw InternalError("no analysis for this mode");
  }
}

}  // namespace sizgen
