#include "driver/run.h"

#include <array>
#include <string>

#include "driver/warning_lines.h"
#include "emit/generated_files.h"
#include "emit/listing.h"
#include "files/distinct_outputs.h"
#include "input/card_reader.h"
#include "input/deck_reader.h"
#include "model/run_plan.h"
#include "sizing/run_planning.h"

namespace sizgen {

void runSizgen(const RunIo& io) {
  using Use = OutputFiles::Use;
  Sink& listing = io.listing;

  // Start-up: no two of the listing, the deck and the files are one file,
  // and each file can be replaced, before the first line is written
  // anywhere.  Nothing is created or changed until the end.
  DistinctOutputs outputs;
  outputs.add(io.listingName, io.listingIdentity);
  outputs.add("the deck", regularFileIdentity(fileno(io.deck)));
  for (const GeneratedFile& file : kGeneratedFiles)
    outputs.add(std::string(file.name),
                io.files.prepare(file.name, file.written() ? Use::Written : Use::NeverWritten));
  writeListingHead(listing);

  // Read the deck: cards record values and echo themselves.
  CardReader cards(io.deck, io.deckName);
  const DeckSettings settings = readDeck(cards, listing);
  printWarnings(io.warnings, settings.warnings);

  // Plan the whole run, the listing showing the lists between the steps:
  // a size out of range stops it before anything is generated.
  Planner planner(settings);
  planner.resolveCards();
  writeRuleLine(listing);
  writeFinalListSizes(listing, settings, planner.settleLists());
  const RunPlan plan = planner.finish();
  printWarnings(io.warnings, plan.warnings);

  // Render the generated files, then replace them as one set.
  const RenderedFiles texts = renderGeneratedFiles(plan);
  std::array<OutputFiles::Content, kGeneratedFiles.size()> contents;
  for (std::size_t i = 0; i < kGeneratedFiles.size(); ++i)
    contents[i] = {kGeneratedFiles[i].name, kGeneratedFiles[i].written() ? &texts[i] : nullptr};
  io.files.commit(contents);

  // The closing line says the files are complete: only after they are.
  writeClosingLine(listing, plan);
  listing.flush();
}

DeckSettings readDeckSettings(std::FILE* deck, const std::string& deckName) {
  CardReader cards(deck, deckName);
  return readDeck(cards);
}

}  // namespace sizgen
