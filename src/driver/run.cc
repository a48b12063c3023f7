#include "driver/run.h"

#include <array>
#include <cstdint>

#include "driver/formatted_io.h"
#include "driver/listing.h"
#include "driver/run_tables.h"
#include "emit/generation.h"
#include "input/card_reader.h"
#include "input/deck_reader.h"
#include "sizing/catalog.h"
#include "sizing/list_resolution.h"

namespace sizgen {
namespace {

// The units of a run.  Units 5 and 6 (the deck and the listing) are
// connected by the session.
struct OutputFile {
  int unit;
  const char* name;
  fio::Session::Use use = fio::Session::Use::Written;
};
constexpr OutputFile kModuleFile{12, "newmods.for"};
constexpr OutputFile kDimdefFile{3, "dimdef.for"};
constexpr OutputFile kScratchFile{13, "dum.bin", fio::Session::Use::NeverWritten};
constexpr OutputFile kDebugFile{46, "debug.lis"};
constexpr fio::Unit kListing{6};

// The number of type codes listed: rows 178 to 180 are not.
constexpr std::size_t kListedTypeCodes = 177;

}  // namespace

void runSizgen(const RunStreams& streams) {
  fio::Session session(streams.listing);
  auto open = [&](const OutputFile& file) {
    std::string path = streams.directory.empty() ? file.name : streams.directory + "/" + file.name;
    session.open(file.unit, path, file.name, file.use);
  };
  RunTables run;

  // Start-up: the files, the implicit type codes, the ruler.
  open(kModuleFile);
  open(kDimdefFile);
  open(kScratchFile);
  std::array<std::int32_t, kCatalogRows> KBLTYP{};
  for (int i = 1; i <= kCatalogRows; ++i)
    KBLTYP[static_cast<std::size_t>(i - 1)] = implicitTypeCode(catalogRow(i));
  writeTypeCodes(kListing, std::span(KBLTYP).first(kListedTypeCodes));
  open(kDebugFile);
  writeRuler(kListing);

  // Read the deck: cards record values and echo themselves.
  CardReader cards(streams.deck);
  readDeck(cards, kListing, run.settings, run.LSTNEW);

  // Resolve the list sizes.
  resolveCardLists(run.settings, run.LSTNEW);
  writeRuleLine(kListing);
  adjustLists(run.LSTNEW);
  deriveLists(run.settings, run.LSTNEW);
  if (finalSizesShown(run.settings)) writeFinalListSizes(kListing, run.LSTNEW);

  // Generate newmods.for, dimdef.for and debug.lis.
  generate(run,
           {fio::Unit(kModuleFile.unit), fio::Unit(kDimdefFile.unit), fio::Unit(kDebugFile.unit)});

  // The closing line says the files are complete: only after they are.
  session.closeFiles();
  writeClosingLine(kListing, run.LTLABL);
  session.close();
}

}  // namespace sizgen
