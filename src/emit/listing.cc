#include "emit/listing.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "fortran/formatted_io.h"
#include "model/catalog.h"

namespace sizgen {
namespace {

constexpr std::string_view kRuleFormat = "(1X,111(1H-))";

// The number of type codes listed: rows 178 to 180 are not.
constexpr std::size_t kListedTypeCodes = 177;

// KBLTYP: the implicit type code of every catalogue row.
constexpr auto KBLTYP = [] {
  std::array<std::int32_t, kCatalogRows> codes{};
  for (int i = 1; i <= kCatalogRows; ++i)
    codes[static_cast<std::size_t>(i - 1)] = implicitTypeCode(catalogRow(i));
  return codes;
}();
static_assert(kListedTypeCodes <= KBLTYP.size());

void writeTypeCodes(Sink& listing) {
  constexpr std::size_t kCodesPerLine = 20;
  const std::span codes = std::span(KBLTYP).first(kListedTypeCodes);
  listing.write(
      fio::listRecord({" Following are  KBLTYP(1:" + std::to_string(kListedTypeCodes) + "):"}));
  for (std::size_t first = 0; first < codes.size(); first += kCodesPerLine)
    listing.write(fio::formatRecord(
        "(20I4)", codes.subspan(first).first(std::min(kCodesPerLine, codes.size() - first))));
}

void writeRuler(Sink& listing) {
  listing.write(fio::formatRecord(kRuleFormat));
  listing.write(fio::formatRecord("(31X,1H0,8(9X,I1))", {1, 2, 3, 4, 5, 6, 7, 8}));
  listing.write(fio::formatRecord("(31X,1H0,8(9X,1H0))"));
  listing.write(fio::formatRecord("(31X,81(1H-))"));
}

}  // namespace

void writeListingHead(Sink& listing) {
  writeTypeCodes(listing);
  writeRuler(listing);
}

void writeRuleLine(Sink& listing) {
  listing.write(fio::formatRecord(kRuleFormat));
}

void writeFinalListSizes(Sink& listing, const DeckSettings& settings, const ListSizes& LSTNEW) {
  if (!finalSizesShown(settings)) return;
  struct Line {
    std::string_view format;
    std::size_t firstList;
  };
  static constexpr Line kLines[] = {
      {"('   Final List Sizes  1-10 =',10I7)", 1},  {"('   Final List Sizes 11-20 =',10I7)", 11},
      {"('   Final List Sizes 21-30 =',10I7)", 21}, {"('   Final List Sizes 51-60 =',10I7)", 51},
      {"('   Final List Sizes 61-70 =',10I7)", 61},
  };
  for (const Line& line : kLines)
    listing.write(fio::formatRecord(line.format, LSTNEW.range(line.firstList, line.firstList + 9)));
}

void writeClosingLine(Sink& listing, const RunPlan& plan) {
  listing.write(fio::formatRecord(
      "(' Normal termination of  \"SIZGEN\".','   LTLABL =',I10,'   (the size of',"
      "'  \"LABCOM\"  in  INTEGER  words).')",
      {plan.LTLABL}));
}

}  // namespace sizgen
