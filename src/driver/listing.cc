#include "driver/listing.h"

namespace sizgen {

void writeTypeCodes(const fio::Unit& listing, std::span<const std::int32_t> codes) {
  listing.writeList({" Following are  KBLTYP(1:177):"});
  listing.write("(20I4)", codes);
}

void writeRuler(const fio::Unit& listing) {
  listing.write("(1X,111(1H-),/,31X,1H0,8(9X,I1),/,31X,1H0,8(9X,1H0),/,31X,81(1H-))",
                {1, 2, 3, 4, 5, 6, 7, 8});
}

void writeRuleLine(const fio::Unit& listing) {
  listing.write("(1X,111(1H-))");
}

void writeFinalListSizes(const fio::Unit& listing, const ListSizes& LSTNEW) {
  listing.write(
      "('   Final List Sizes  1-10 =',10I7,/,'   Final List Sizes 11-20 =',10I7,/,"
      "'   Final List Sizes 21-30 =',10I7)",
      LSTNEW.range(1, 30));
  listing.write("('   Final List Sizes 51-60 =',10I7,/,'   Final List Sizes 61-70 =',10I7)",
                LSTNEW.range(51, 70));
}

void writeClosingLine(const fio::Unit& listing, std::int32_t LTLABL) {
  listing.write(
      "(' Normal termination of  \"SIZGEN\".','   LTLABL =',I10,'   (the size of',"
      "'  \"LABCOM\"  in  INTEGER  words).')",
      {LTLABL});
}

}  // namespace sizgen
