#include "emit/dimdef_writer.h"

#include "emit/integer_field.h"

namespace sizgen {

void DimdefWriter::open(const ListSizes& LSTNEW, std::int32_t NLISTS, std::int32_t LTLABL) {
  unit_.write(
      "(6X,35HSUBROUTINE DIMDEF ( LSIZE, NCHAIN ),27X,/,80H      IMPLICIT REAL*8 (A-H, O-Z),"
      "  INTEGER*4 (I-N)                              )");
  unit_.write("(6X,20HDIMENSION  LSIZE(50),54X)");
  unit_.write("(6X,36HIF ( NCHAIN  .NE.   0 )   GO TO 2000)");
  for (std::int32_t k = 1; k <= NLISTS; ++k) {
    writeSize(k, LSTNEW(static_cast<std::size_t>(k)), "(6X,6HLSIZE(,I2,4H)  =,I8,54X)");
  }
  unit_.write("(6X,4HN7 =,I3,4H + 1,63X)", {NLISTS});
  // see note [numbers wider than their field]
  unit_.write(widenedToFit("(6X,12HLSIZE(N7)  =,I10,54X)", "I10", LTLABL), {LTLABL});
}

void DimdefWriter::startChainBlock(const Group& group) {
  unit_.write("(6X,6HRETURN,68X)");
  unit_.write("(I3,20H00 IF ( NCHAIN  .NE.,I4,10H )   GO TO,I3,2H00,38X)",
              {group.selector, group.selector, group.nextSelector});
  c_ = 0;
}

void DimdefWriter::enterRow(const Group& group, int i, const ListSizes& LSTNEW) {
  if (!isFirstOccurrence(group, i)) return;
  std::int32_t L = generatedListNumber(i);
  writeSize(++c_, L == kSupplementalList ? 0 : L, "(6X,6HLSIZE(,I2,4H)  =,I8,54X)");
  writeSize(++c_, LSTNEW(static_cast<std::size_t>(L)), "(6X,6HLSIZE(,I2,4H)  =,I8,56X)");
}

void DimdefWriter::close() {
  unit_.write("(6X,6HRETURN,68X)");
  unit_.write("(14H 9900 CONTINUE,66X)");
  unit_.write("(6X,6HRETURN,68X)");
  unit_.write("(6X,3HEND,71X)");
}

void DimdefWriter::writeSize(std::int32_t subscript, std::int32_t value, const char* format) {
  // see note [numbers wider than their field]
  unit_.write(widenedToFit(format, "I8", value), {subscript, value});
}

}  // namespace sizgen
