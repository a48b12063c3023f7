#pragma once

#include <cstdint>
#include <span>

#include "driver/formatted_io.h"
#include "input/deck_settings.h"

namespace sizgen {

// The lines of the listing (unit 6) other than the card echoes.

// The heading and the implicit type codes KBLTYP(1..177), twenty a line.
void writeTypeCodes(const fio::Unit& listing, std::span<const std::int32_t> codes);
// The card-column ruler under which the cards are echoed.
void writeRuler(const fio::Unit& listing);
// The rule line after the resolution pass.
void writeRuleLine(const fio::Unit& listing);
// Lists 1 to 30 and 51 to 70 as resolved.
void writeFinalListSizes(const fio::Unit& listing, const ListSizes& LSTNEW);
// The last line of a normal run.
void writeClosingLine(const fio::Unit& listing, std::int32_t LTLABL);

}  // namespace sizgen
