#pragma once

#include <cstdint>

#include "driver/formatted_io.h"
#include "input/deck_settings.h"
#include "sizing/catalog.h"

namespace sizgen {

// Writes the subroutine DIMDEF (LSIZE, NCHAIN) of dimdef.for, through
// which the host program learns the sizes it was generated for: with
// NCHAIN = 0 the card-settable lists and LTLABL, with a group's selector
// the (list number, size) pairs of that group's lists in order of first
// use.  Each size is the one LSTNEW holds when its line is written.
class DimdefWriter {
 public:
  explicit DimdefWriter(const fio::Unit& unit) : unit_(unit) {}

  // The header and the NCHAIN = 0 block: LSIZE(1..NLISTS), then LTLABL
  // in LSIZE(NLISTS + 1).
  void open(const ListSizes& LSTNEW, std::int32_t NLISTS, std::int32_t LTLABL);
  // Ends the previous block and starts the one of `group`.
  void startChainBlock(const Group& group);
  // The pair of row i, unless an earlier row of its group uses its list.
  void enterRow(const Group& group, int i, const ListSizes& LSTNEW);
  // Ends the last block and the subroutine.
  void close();

 private:
  void writeSize(std::int32_t subscript, std::int32_t value, const char* format);

  fio::Unit unit_;
  std::int32_t c_ = 0;  // LSIZE subscript of the last line of the block
};

}  // namespace sizgen
