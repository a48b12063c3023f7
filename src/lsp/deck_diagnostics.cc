#include "lsp/deck_diagnostics.h"

#include <algorithm>
#include <iterator>

#include "model/deck_cards.h"
#include "model/warning.h"
#include "reading/deck_reading.h"

namespace sizgen::lsp {

DeckDiagnostic warningDiagnostic(const Warning& warning) {
  return {
      DeckDiagnostic::Severity::Warning, warning.card,   warning.firstColumn, warning.lastColumn,
      warningKindName(warning.kind),     warning.message};
}

std::vector<DeckDiagnostic> deckDiagnostics(std::string_view text) {
  const DeckReading reading = readDeckText(text);
  std::vector<DeckDiagnostic> diagnostics;
  // A run prints the warnings once the deck is read: a card it cannot read
  // stops it before any, an error of the plan after them.
  if (!reading.error || reading.readToEnd) {
    std::transform(reading.warnings.begin(), reading.warnings.end(),
                   std::back_inserter(diagnostics), warningDiagnostic);
  }
  if (reading.error) {
    const DeckError& error = *reading.error;
    diagnostics.push_back({DeckDiagnostic::Severity::Error,
                           error.card,
                           error.firstColumn,
                           error.lastColumn,
                           {},
                           error.reason});
  }
  return diagnostics;
}

}  // namespace sizgen::lsp
