#pragma once

#include <nlohmann/json.hpp>
#include <string_view>

#include "lsp/card_ranges.h"
#include "lsp/deck_diagnostics.h"
#include "lsp/text_positions.h"

namespace sizgen::lsp {

// The diagnostics of the deck `text` as the protocol's Diagnostic[]: each
// at its card's columns, counted in `encoding`.
nlohmann::json diagnosticsJson(std::string_view text, PositionEncoding encoding);

// One diagnostic as the protocol's Diagnostic, its columns placed by
// `cards`.
nlohmann::json diagnosticJson(const DeckDiagnostic& diagnostic, const CardRanges& cards);

// A range as the protocol writes it.
nlohmann::json rangeJson(const Range& range);

}  // namespace sizgen::lsp
