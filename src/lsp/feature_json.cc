#include "lsp/feature_json.h"

#include <limits>
#include <string>

#include "lsp/card_ranges.h"
#include "lsp/card_tokens.h"
#include "lsp/deck_diagnostics.h"
#include "lsp/deck_hover.h"
#include "lsp/diagnostics_json.h"
#include "lsp/inlay_hints.h"
#include "lsp/quick_fixes.h"
#include "reading/deck_format.h"
#include "reading/deck_reading.h"

namespace sizgen::lsp {
namespace {

using nlohmann::json;

json positionJson(const Position& at) {
  return {{"line", at.line}, {"character", at.character}};
}

// Whether the lines of `a` and `b` meet.
bool linesMeet(const Range& a, const Range& b) {
  return a.start.line <= b.end.line && b.start.line <= a.end.line;
}

}  // namespace

json semanticTokensLegend() {
  return {{"tokenTypes", kTokenTypeNames}, {"tokenModifiers", kTokenModifierNames}};
}

json hoverJson(std::string_view text, PositionEncoding encoding, Position position) {
  const CardRanges cards(text, encoding);
  const auto at = cards.at(position);
  if (!at) return nullptr;
  const auto hover = deckHover(readDeckText(text), at->card, at->column);
  if (!hover) return nullptr;
  return {{"contents", {{"kind", "markdown"}, {"value", hover->markdown}}},
          {"range", rangeJson(cards.columns(hover->card, hover->firstColumn, hover->lastColumn))}};
}

json semanticTokensJson(std::string_view text, PositionEncoding encoding) {
  const CardRanges cards(text, encoding);
  json data = json::array();
  Position previous;
  for (const CardToken& token : cardTokens(readDeckText(text))) {
    const Range range = cards.columns(token.card, token.firstColumn, token.lastColumn);
    // A token lies on one line: a card split by a lone carriage return
    // is left unmarked.
    if (range.start.line != range.end.line || range.end.character <= range.start.character)
      continue;
    const bool unread = token.type == CardToken::Type::Unread;
    const int type =
        unread ? static_cast<int>(CardToken::Type::Comment) : static_cast<int>(token.type);
    const std::int64_t line = range.start.line - previous.line;
    const std::int64_t start =
        line == 0 ? range.start.character - previous.character : range.start.character;
    data.insert(data.end(),
                {json(line), json(start), json(range.end.character - range.start.character),
                 json(type), json(unread ? 1 : 0)});
    previous = range.start;
  }
  return {{"data", data}};
}

json inlayHintsJson(std::string_view text, PositionEncoding encoding, Range range) {
  const CardRanges cards(text, encoding);
  json hints = json::array();
  for (const FieldHint& hint : fieldHints(readDeckText(text))) {
    const Range at = cards.columns(hint.card, hint.column, hint.column);
    if (!linesMeet(at, range)) continue;
    hints.push_back({{"position", positionJson(at.end)},
                     {"label", hint.label},
                     {"paddingLeft", true},
                     {"tooltip", "the value this field reads"}});
  }
  return hints;
}

json formattingJson(std::string_view text, PositionEncoding encoding) {
  const auto formatted = formatDeck(readDeckText(text));
  if (!formatted) return nullptr;
  json edits = json::array();
  if (*formatted == text) return edits;
  const LineIndex lines(text);
  const Range whole{{0, 0}, lines.position(text.size(), encoding)};
  edits.push_back({{"range", rangeJson(whole)}, {"newText", *formatted}});
  return edits;
}

json codeActionsJson(std::string_view uri, std::string_view text, PositionEncoding encoding,
                     Range range) {
  const CardRanges cards(text, encoding);
  json actions = json::array();
  for (const QuickFix& fix : quickFixes(readDeckText(text))) {
    const Range warned =
        cards.columns(fix.warning.card, fix.warning.firstColumn, fix.warning.lastColumn);
    if (!linesMeet(warned, range)) continue;
    // The whole text of the card, its line end left as it is.
    const Range card = cards.columns(fix.warning.card, 1, std::numeric_limits<int>::max() - 1);
    const json edit = {{"range", rangeJson(card)}, {"newText", fix.cardText}};
    actions.push_back(
        {{"title", fix.title},
         {"kind", "quickfix"},
         {"isPreferred", true},
         {"diagnostics", json::array({diagnosticJson(warningDiagnostic(fix.warning), cards)})},
         {"edit", {{"changes", {{std::string(uri), json::array({edit})}}}}}});
  }
  return actions;
}

}  // namespace sizgen::lsp
