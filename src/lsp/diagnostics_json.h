#pragma once

#include <nlohmann/json.hpp>
#include <string_view>

#include "lsp/text_positions.h"

namespace sizgen::lsp {

// The diagnostics of the deck `text` as the protocol's Diagnostic[]: each
// at its card's columns, counted in `encoding`.
nlohmann::json diagnosticsJson(std::string_view text, PositionEncoding encoding);

// A range as the protocol writes it.
nlohmann::json rangeJson(const Range& range);

}  // namespace sizgen::lsp
