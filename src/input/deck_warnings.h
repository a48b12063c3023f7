#pragma once

// The warnings of the deck reader: a card that reads otherwise than it
// looks.  Each function looks at one card image and returns the warning,
// or nothing when the card reads as it looks.

#include <optional>
#include <string_view>

#include "input/card_fields.h"
#include "input/card_reader.h"
#include "input/keywords.h"
#include "model/warning.h"

namespace sizgen {

// A keyword card whose value columns read 0 while a number stands beside
// or across them ("SCALE 2.0", "NBHDSW 5", "DEFAULT          1.5").
std::optional<Warning> valueOutsideColumns(std::string_view image, long card,
                                           const Keyword& keyword, bool readZero);

// A field with blanks between its characters, which the read ignores
// ("     300 400 500" reads 400500 as the second field).
std::optional<Warning> blanksInField(std::string_view image, long card, CardFields::Span field);

// Text past column 80, which is not part of the card.
Warning pastColumn80(long card, const CardReader::BeyondCard& beyond);

// A keyword card given again: `earlier` is the card it overrides.
Warning givenAgain(long card, const Keyword& keyword, long earlier);

// The first card with text after the card that ends the deck (`lastCard`);
// `more` cards with text follow it, or at least that many when the input
// goes on past the cards counted.
Warning afterDeckEnd(std::string_view image, long card, long lastCard, long more,
                     bool moreUncounted);

}  // namespace sizgen
