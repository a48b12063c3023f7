// Records made in memory by libf2c's formatted and list-directed writes
// must be exactly the records the same WRITE puts in a file: blanks that
// the FORMAT writes are kept, blanks that only pad the buffer are not, a
// trailing skip writes nothing.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "base/error.h"
#include "fortran/formatted_io.h"

namespace sizgen {
namespace {

TEST(FormatRecord, EndsAtTheLastCharacterTheFormatWrites) {
  struct Case {
    std::string format;
    std::string expected;
  };
  const Case cases[] = {
      // A trailing skip moves the position only.
      {"(6X,6HRETURN,68X)", "      RETURN"},
      {"(6X,35HSUBROUTINE DIMDEF ( LSIZE, NCHAIN ),27X)",
       "      SUBROUTINE DIMDEF ( LSIZE, NCHAIN )"},
      // Blanks written by a literal are part of the record.
      {"(80H      IMPLICIT REAL*8 (A-H, O-Z),  INTEGER*4 (I-N)                              )",
       "      IMPLICIT REAL*8 (A-H, O-Z),  INTEGER*4 (I-N)" + std::string(30, ' ')},
      {"(14H 9900 CONTINUE,66X)", " 9900 CONTINUE"},
      {"(1X,111(1H-))", " " + std::string(111, '-')},
      {"(31X,81(1H-))", std::string(31, ' ') + std::string(81, '-')},
  };
  for (const Case& c : cases) EXPECT_EQ(fio::formatRecord(c.format), c.expected) << c.format;
}

TEST(FormatRecord, ItemsKeepTheirBlanksAndFieldsTheirWidths) {
  EXPECT_EQ(fio::formatRecord("(6X,13HCHARACTER*6  ,A6)", {"X     "}),
            "      CHARACTER*6  X     ");
  EXPECT_EQ(fio::formatRecord("(6X,10HCOMMON  / ,A6,5H /   ,A6,1H(,I10,2H ))",
                              {"C0B001", "X     ", 500}),
            "      COMMON  / C0B001 /   X     (       500 )");
  EXPECT_EQ(fio::formatRecord("(6X,6HLSIZE(,I2,4H)  =,I8,56X)", {3, 100000000}),
            "      LSIZE( 3)  =********");
  // Fw.d writes no leading zero.
  EXPECT_EQ(fio::formatRecord("(21H Default multiplier =,F8.3)", {0.7}),
            " Default multiplier =    .700");
}

TEST(FormatRecord, CardBytesNeverEndTheRecordEarly) {
  // A card may hold any byte, the one that marks the end of a record too.
  std::string card(80, '\x01');
  card[0] = 'C';
  card[1] = ' ';
  std::string record =
      fio::formatRecord("(25H Comment card is ignored.,6X,1H1,A80)", {std::string_view(card)});
  EXPECT_EQ(record, " Comment card is ignored.      1" + card);
  std::string blanks(80, ' ');
  EXPECT_EQ(fio::formatRecord("(25H Comment card is ignored.,6X,1H1,A80)",
                              {std::string_view(blanks)}),
            " Comment card is ignored.      1" + blanks);
}

TEST(FormatRecord, ItemsThatRunOutEndTheRecordAtTheLastNumber) {
  std::array<std::int32_t, 17> codes{};
  codes.fill(3);
  codes.back() = 4;
  std::string record = fio::formatRecord("(20I4)", codes);
  EXPECT_EQ(record.size(), 68u);
  EXPECT_EQ(record.substr(60), "   3   4");
}

TEST(FormatRecord, FormatsThatAreNotOneRecordAreFaultsOfTheProgram) {
  EXPECT_THROW(fio::formatRecord("(6X,3HEND,/,6X,3HEND)"), InternalError);
  EXPECT_THROW(fio::formatRecord("(I3)", {1, 2}), InternalError);
  EXPECT_THROW(fio::formatRecord("(I3)", {1, 2, 3, 4, 5, 6, 7, 8, 9}), InternalError);
  // A record after one of these is whole again.
  EXPECT_EQ(fio::formatRecord("(6X,3HEND,71X)"), "      END");
  EXPECT_THROW(fio::formatRecord("6X,3HEND"), InternalError);
  // Text items that run out cannot show where the record ends.
  EXPECT_THROW(fio::formatRecord("(A6,A6)", {"X     "}), InternalError);
}

TEST(ListRecord, OneBlankThenTheItems) {
  EXPECT_EQ(fio::listRecord({" Before modify,  MTOT =", 86656}), "  Before modify,  MTOT = 86656");
  EXPECT_EQ(fio::listRecord({"    modify, LSTNEW(29) =", -1}), "     modify, LSTNEW(29) = -1");
  EXPECT_EQ(fio::listRecord({" Following are  KBLTYP(1:177):"}),
            "  Following are  KBLTYP(1:177):");
  // Trailing blanks could not be told from the padding of the record.
  EXPECT_THROW(fio::listRecord({"text "}), InternalError);
  EXPECT_THROW(fio::listRecord({std::string(90, 'x')}), InternalError);
}

}  // namespace
}  // namespace sizgen
