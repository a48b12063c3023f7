#pragma once

#include <cstdint>
#include <span>

#include "base/sink.h"
#include "model/deck_settings.h"

namespace sizgen {

// The lines of the listing other than the card echoes.

// The heading and the implicit type codes KBLTYP(1..177), twenty a line.
void writeTypeCodes(Sink& listing, std::span<const std::int32_t> codes);
// The card-column ruler under which the cards are echoed.
void writeRuler(Sink& listing);
// The rule line after the resolution pass.
void writeRuleLine(Sink& listing);
// Lists 1 to 30 and 51 to 70 as resolved.
void writeFinalListSizes(Sink& listing, const ListSizes& LSTNEW);
// The last line of a normal run.
void writeClosingLine(Sink& listing, std::int32_t LTLABL);

}  // namespace sizgen
