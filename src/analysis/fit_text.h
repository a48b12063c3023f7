#pragma once

#include <cstdint>
#include <string>

#include "analysis/memory_fit.h"

namespace sizgen {

// What --fit prints for the search `fit` within `budget` bytes: the card,
// its storage, what the next value the card can hold would need, and
// which card of the deck to replace when the deck has its own SCALE card.
// Lines end with '\n'.  Throws sizgen::Error when nothing fits: the
// error says the least storage a positive value gives, and with which
// card; a size out of range even with the smallest value does not depend
// on the multiplier, and is the error a run stops with.
std::string fitText(const MemoryFit& fit, std::int64_t budget);

}  // namespace sizgen
