#pragma once

// The warnings of the deck reader: a card that reads otherwise than it
// looks.  Each function looks at one card image and returns the warnings,
// or nothing when the card reads as it looks.

#include <optional>
#include <string_view>

#include "input/card_fields.h"
#include "input/card_reader.h"
#include "input/keywords.h"
#include "model/warning.h"

namespace sizgen {

// A keyword card with a number in columns that it does not read: beside
// or across its value columns ("SCALE 2.0" reads 0, "SCALE 1.5" reads 5
// from columns 9-16), after them, outside the flags of FIXED, or after a
// keyword that reads nothing.  `read` is the value the card read (0 for
// a card without one).
std::optional<Warning> numberOutsideColumns(std::string_view image, long card,
                                            const Keyword& keyword, double read);

// A field with blanks between its characters, which the read ignores
// ("     300 400 500" reads 400500 as the second field).
std::optional<Warning> blanksInField(std::string_view image, long card, CardFields::Span field);

// The warnings about the first `readFields` fields of `columns`: blanks
// inside a field, and a number across the edge between two fields, which
// is read as two ("  123456789" reads 123456 and 789).  A field with
// blanks inside is warned about for those alone.  In column order.
Warnings fieldWarnings(std::string_view image, long card, const CardFields& fields,
                       FieldColumns columns, std::size_t readFields);

// Text past column 80, which is not part of the card.
Warning pastColumn80(long card, const CardReader::BeyondCard& beyond);

// A keyword card given again: `earlier` is the card it overrides.
Warning givenAgain(long card, const Keyword& keyword, long earlier);

// List `list` given again by a card of another kind, whose field `read`
// sets it: `earlier` is the card that set it before, `earlierWhat` what
// that card is ("CARDS", "4th list-size card").
Warning listGivenTwice(long card, CardFields::Span read, std::size_t list, long earlier,
                       std::string_view earlierWhat);

// The first card with text after the card that ends the deck (`lastCard`);
// `more` cards with text follow it, or at least that many when the input
// goes on past the cards counted.
Warning afterDeckEnd(std::string_view image, long card, long lastCard, long more,
                     bool moreUncounted);

}  // namespace sizgen
