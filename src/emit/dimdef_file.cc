#include <cstdint>
#include <string_view>

#include "emit/fortran_statements.h"
#include "emit/generated_files.h"
#include "emit/integer_field.h"
#include "fortran/formatted_io.h"

namespace sizgen {
namespace {

// LSIZE(subscript) = value.  The size line of a pair differs from the
// other LSIZE lines only in its trailing skip, which writes nothing.
constexpr std::string_view kSizeFormat = "(6X,6HLSIZE(,I2,4H)  =,I8,54X)";
constexpr std::string_view kPairSizeFormat = "(6X,6HLSIZE(,I2,4H)  =,I8,56X)";

void writeSize(Sink& dimdef, std::string_view format, std::int32_t subscript, std::int32_t value) {
  // see note [numbers wider than their field]
  dimdef.write(fio::formatRecord(widenedToFit(format, "I8", value), {subscript, value}));
}

}  // namespace

void writeDimdefFile(const RunPlan& plan, Sink& dimdef) {
  auto line = [&](std::string_view format, std::initializer_list<fio::Item> items = {}) {
    dimdef.write(fio::formatRecord(format, items));
  };

  // The header and the NCHAIN = 0 block: LSIZE(1..NLISTS), then LTLABL.
  line("(6X,35HSUBROUTINE DIMDEF ( LSIZE, NCHAIN ),27X)");
  line(kImplicitFormat);
  line("(6X,20HDIMENSION  LSIZE(50),54X)");
  line("(6X,36HIF ( NCHAIN  .NE.   0 )   GO TO 2000)");
  const std::int32_t NLISTS = plan.settings.NLISTS;
  for (std::int32_t k = 1; k <= NLISTS; ++k)
    writeSize(dimdef, kSizeFormat, k, plan.firstBlock[static_cast<std::size_t>(k - 1)]);
  line("(6X,4HN7 =,I3,4H + 1,63X)", {NLISTS});
  // see note [numbers wider than their field]
  line(widenedToFit("(6X,12HLSIZE(N7)  =,I10,54X)", "I10", plan.LTLABL), {plan.LTLABL});

  // One chain block for each group after ROOT10, each ending the previous.
  for (const PlannedGroup& planned : plan.groups) {
    const Group& group = *planned.group;
    if (group.selector == 0) continue;
    line(kReturnFormat);
    line("(I3,20H00 IF ( NCHAIN  .NE.,I4,10H )   GO TO,I3,2H00,38X)",
         {group.selector, group.selector, group.nextSelector});
    std::int32_t c = 0;  // LSIZE subscript of the last line of the block
    for (const ListPair& pair : planned.pairs) {
      writeSize(dimdef, kSizeFormat, ++c, pair.dimdefList);
      writeSize(dimdef, kPairSizeFormat, ++c, pair.size);
    }
  }

  line(kReturnFormat);
  line("(14H 9900 CONTINUE,66X)");
  line(kReturnFormat);
  line(kEndFormat);
}

}  // namespace sizgen
