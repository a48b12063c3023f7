#pragma once

// The listing on standard output: every line of it but the card echoes,
// which the deck reader writes as it reads each card.  A run writes these
// lines at its points: the head before the deck is read, the rule line
// after the resolution pass, the final sizes once the lists are settled,
// and the closing line once the files are complete.

#include "base/sink.h"
#include "model/deck_settings.h"
#include "model/run_plan.h"

namespace sizgen {

// The heading, the implicit type codes KBLTYP(1..177), twenty a line, and
// the card-column ruler under which the cards are echoed.
void writeListingHead(Sink& listing);
// The rule line after the resolution pass.
void writeRuleLine(Sink& listing);
// Lists 1 to 30 and 51 to 70 as settled, when a multiplier is in force
// (finalSizesShown); nothing otherwise.
void writeFinalListSizes(Sink& listing, const DeckSettings& settings, const ListSizes& LSTNEW);
// The last line of a normal run, with the plan's LTLABL.
void writeClosingLine(Sink& listing, const RunPlan& plan);

}  // namespace sizgen
