#pragma once

#include <span>
#include <string>

#include "model/deck_cards.h"
#include "model/run_plan.h"

namespace sizgen {

// The whole resolved result of a run as one JSON document (see
// docs/json-results.md for its schema), with the deck's `cards` as they
// were read, ending with '\n'.
std::string jsonResult(const RunPlan& plan, std::span<const DeckCard> cards);

}  // namespace sizgen
