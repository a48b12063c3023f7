#pragma once

// Where a size came from, for the message of a size out of the 32-bit
// range and for the warning of a negative size: the card and field that
// set the largest part of it, found by following the steps the sizing
// recorded back to a card.  Pure functions: they return text.

#include <cstddef>
#include <optional>
#include <string>

#include "base/real_arithmetic.h"
#include "model/deck_settings.h"
#include "model/list_history.h"

namespace sizgen {

// The card that set the largest factor of list k as `history` holds it:
// the card that gave it, the DEFAULT or SCALE card, the NBHDSW card, the
// supplemental offset, or for a derived list the larger operand's.
// Nothing when the built-in defaults set it.
std::optional<CardOrigin> listSource(const DeckSettings& settings, const ListHistory& history,
                                     std::size_t k);

// "card N, columns A-B (WHAT, field F)".
std::string sourceText(const CardOrigin& origin);

// "list k comes from card N, columns A-B (...)" and that card; empty when
// no card set it.
ValueSource listSourceText(const DeckSettings& settings, const ListHistory& history, std::size_t k);

// Of two factors `a` and `b` of a product, the card that set the larger:
// each is a size and the card it came from; empty when no card set it.
ValueSource largerFactorText(double a, const std::optional<CardOrigin>& aSource, double b,
                             const std::optional<CardOrigin>& bSource);

// What holds most of the storage total MTOT of lists `LSTNEW`: the two
// lists with the most words in it, their largest array and their cards;
// the card it names first.
ValueSource totalSourceText(const DeckSettings& settings, const ListHistory& history,
                            const ListSizes& LSTNEW);

}  // namespace sizgen
