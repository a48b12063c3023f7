#pragma once

// The results of the requests about a document's deck, as the protocol
// writes them: hover, semantic tokens, inlay hints, formatting and code
// actions.  Each reads the deck from `text` and places its columns in
// `encoding`.

#include <nlohmann/json.hpp>
#include <string_view>

#include "lsp/text_positions.h"

namespace sizgen::lsp {

// The token types and modifiers that semanticTokens use.
nlohmann::json semanticTokensLegend();

// Hover at `position`, or null where there is nothing to say.
nlohmann::json hoverJson(std::string_view text, PositionEncoding encoding, Position position);

// SemanticTokens: every token of the deck, relative-encoded.
nlohmann::json semanticTokensJson(std::string_view text, PositionEncoding encoding);

// InlayHint[] of the cards that `range` touches.
nlohmann::json inlayHintsJson(std::string_view text, PositionEncoding encoding, Range range);

// TextEdit[] that turn the text into its canonical layout (none when it
// is in it), or null for a deck with an error, which is not formatted.
nlohmann::json formattingJson(std::string_view text, PositionEncoding encoding);

// CodeAction[]: the quick fixes of the warnings that `range` touches,
// each with its diagnostic and the edit of document `uri`.
nlohmann::json codeActionsJson(std::string_view uri, std::string_view text,
                               PositionEncoding encoding, Range range);

}  // namespace sizgen::lsp
