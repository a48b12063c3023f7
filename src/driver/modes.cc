#include "driver/modes.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "analysis/check_text.h"
#include "analysis/deck_annotation.h"
#include "analysis/explanation.h"
#include "analysis/fit_text.h"
#include "analysis/json_result.h"
#include "analysis/memory_fit.h"
#include "analysis/storage_report.h"
#include "base/error.h"
#include "driver/deck_diff.h"
#include "driver/deck_input.h"
#include "driver/run.h"
#include "driver/warning_lines.h"
#include "files/directory_files.h"
#include "files/stream_sink.h"
#include "lsp/serve.h"
#include "page/deck_page.h"
#include "page/diff_page.h"
#include "reading/deck_format.h"
#include "reading/deck_reading.h"
#include "sizing/run_planning.h"
#include "version.h"

namespace sizgen {
namespace {

// Stops with the error of a deck that has one, as a run stops: the deck's
// warnings are printed first when the deck was read to its end.
void failOn(const DeckReading& reading, std::FILE* warnings) {
  if (!reading.error) return;
  if (reading.readToEnd) printWarnings(warnings, reading.warnings);
  throw Error(reading.error->message);
}

// All that is left to read of `deck`.
std::string readAll(std::FILE* deck, const std::string& deckName) {
  std::string text;
  std::array<char, 65536> buffer{};
  std::size_t count = 0;
  while ((count = std::fread(buffer.data(), 1, buffer.size(), deck)) > 0)
    text.append(buffer.data(), count);
  if (std::ferror(deck)) throw Error("cannot read " + deckName + ": " + std::strerror(errno));
  return text;
}

// The modes that show the deck as read: --annotate prints every card read,
// up to one that fails, then stops as a run does; --format prints the deck
// of a sound deck in its canonical layout, the deck's warnings on
// `warnings` as a run prints them.
void showCards(Mode mode, std::FILE* deck, const std::string& deckName, Sink& out,
               std::FILE* warnings) {
  if (mode == Mode::Annotate) {
    const DeckReading reading = readDeckCards(deck, deckName);
    annotateDeck(reading, out);
    if (reading.error) throw Error(reading.error->message);
    return;
  }
  const DeckReading reading = readDeckText(readAll(deck, deckName));
  failOn(reading, warnings);
  printWarnings(warnings, reading.warnings);
  // Written as it is: the deck's own line ends, a last line without one.
  out.writeText(formatDeck(reading).value_or(""));
  out.flush();
}

}  // namespace

void print(Sink& out, std::string_view text) {
  // One record: the sink ends it with the line feed that the text ends with.
  if (!text.empty()) {
    if (text.ends_with('\n')) text.remove_suffix(1);
    out.write(text);
  }
  out.flush();
}

void analyse(const Options& options, std::FILE* deck, const std::string& deckName, Sink& out,
             std::FILE* warnings) {
  if (options.mode == Mode::Diff) {
    const Deck old = openDeck(options.oldDeck);
    if (options.diffAsHtml) {
      const DeckDifference difference = diffDecks({old.stream, old.name}, {deck, deckName}, warnings);
      print(out, diffPage(difference.before, difference.after, difference.diff, old.name, deckName));
      return;
    }
    print(out, deckDiff({old.stream, old.name}, {deck, deckName}, options.diffAsJson, warnings));
    return;
  }
  if (options.mode == Mode::Annotate || options.mode == Mode::Format) {
    showCards(options.mode, deck, deckName, out, warnings);
    return;
  }
  if (options.mode == Mode::Json || options.mode == Mode::Html) {
    const DeckReading reading = readDeckCards(deck, deckName);
    failOn(reading, warnings);
    printWarnings(warnings, reading.warnings);
    if (options.mode == Mode::Json) {
      print(out, jsonResult(*reading.plan, reading.cards));
    } else {
      const auto budget = options.fitBytes > 0 ? std::optional(options.fitBytes) : std::nullopt;
      print(out, deckPage(reading, deckName, budget));
    }
    return;
  }
  const DeckSettings settings = readDeckSettings(deck, deckName);
  if (options.mode == Mode::Check) warnings = nullptr;
  printWarnings(warnings, settings.warnings);
  if (options.mode == Mode::Fit) {
    print(out, fitText(fitMemory(settings, options.fitBytes), options.fitBytes));
    return;
  }
  const RunPlan plan = planRun(settings);
  printWarnings(warnings, plan.warnings);
  switch (options.mode) {
    case Mode::Check:
      print(out, checkText(plan));
      break;
    case Mode::Report:
      print(out, storageReport(plan));
      break;
    case Mode::Explain:
      print(out, explainLists(plan, options.explainList));
      break;
    default:
      throw InternalError("no analysis for this mode");
  }
}

int serveLanguageServer() {
  return lsp::serveLanguageServer(STDIN_FILENO, STDOUT_FILENO, {"sizgen", SIZGEN_VERSION});
}

void performMode(const Options& options, std::FILE* deck, const std::string& deckName,
                 std::FILE* out) {
  if (options.mode != Mode::Run) {
    StreamSink stream(out, "standard output", StreamSink::OnFailure::Throw);
    return analyse(options, deck, deckName, stream);
  }
  StreamSink listing(out, "standard output", StreamSink::OnFailure::ReportAtFinish);
  DirectoryFiles files(options.outputDirectory);
  runSizgen({deck, listing, files, deckName, regularFileIdentity(fileno(out))});
  listing.finish();
}

}  // namespace sizgen
