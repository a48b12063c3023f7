#include "lsp/diagnostics_json.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "lsp/card_ranges.h"
#include "lsp/deck_diagnostics.h"

namespace sizgen::lsp {

nlohmann::json rangeJson(const Range& range) {
  auto position = [](const Position& at) {
    return nlohmann::json{{"line", at.line}, {"character", at.character}};
  };
  return {{"start", position(range.start)}, {"end", position(range.end)}};
}

nlohmann::json diagnosticJson(const DeckDiagnostic& diagnostic, const CardRanges& cards) {
  nlohmann::json item = {
      {"range",
       rangeJson(cards.columns(diagnostic.card, diagnostic.firstColumn, diagnostic.lastColumn))},
      {"severity", static_cast<int>(diagnostic.severity)},
      {"source", "sizgen"},
      {"message", diagnostic.message},
  };
  if (!diagnostic.code.empty()) item["code"] = diagnostic.code;
  return item;
}

nlohmann::json diagnosticsJson(std::string_view text, PositionEncoding encoding) {
  const CardRanges cards(text, encoding);
  nlohmann::json list = nlohmann::json::array();
  const std::vector<DeckDiagnostic> diagnostics = deckDiagnostics(text);
  std::transform(diagnostics.begin(), diagnostics.end(), std::back_inserter(list),
                 [&](const DeckDiagnostic& diagnostic) { return diagnosticJson(diagnostic, cards); });
  return list;
}

}  // namespace sizgen::lsp
