#pragma once

// What is wrong with a deck, or probably not meant, at its cards and
// columns: the warnings and the error that a run of the deck reports.

#include <string>
#include <string_view>
#include <vector>

#include "model/warning.h"

namespace sizgen::lsp {

struct DeckDiagnostic {
  enum class Severity { Error = 1, Warning = 2 };  // the protocol's numbers
  Severity severity = Severity::Error;
  long card = 0;  // 0: no one card
  int firstColumn = 0;
  int lastColumn = 0;
  std::string_view code;  // the warning's kind; empty for the error
  std::string message;    // without the card and columns
  friend bool operator==(const DeckDiagnostic&, const DeckDiagnostic&) = default;
};

// A warning as a diagnostic.
DeckDiagnostic warningDiagnostic(const Warning& warning);

// Reads and plans the deck `text` as a run does, in memory: the warnings
// a run would print, in its order, then its error if it has one.
std::vector<DeckDiagnostic> deckDiagnostics(std::string_view text);

}  // namespace sizgen::lsp
