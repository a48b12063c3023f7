#include "lsp/deck_diagnostics.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <memory>

#include "base/error.h"
#include "base/sink.h"
#include "input/card_reader.h"
#include "input/deck_reader.h"
#include "model/warning.h"
#include "sizing/run_planning.h"

namespace sizgen::lsp {
namespace {

struct CloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// The text as a stream that the card reader reads, with no file behind it.
std::unique_ptr<std::FILE, CloseFile> memoryStream(std::string_view text) {
  static char empty = 0;
  // Opened for reading only: the buffer is never written.
  char* bytes = text.empty() ? &empty : const_cast<char*>(text.data());
  std::unique_ptr<std::FILE, CloseFile> stream(fmemopen(bytes, text.size(), "r"));
  if (!stream) throw InternalError("cannot read a document from memory");
  return stream;
}

void addWarnings(const Warnings& warnings, std::vector<DeckDiagnostic>& diagnostics) {
  std::transform(warnings.begin(), warnings.end(), std::back_inserter(diagnostics),
                 [](const Warning& warning) {
                   return DeckDiagnostic{DeckDiagnostic::Severity::Warning,
                                         warning.card,
                                         warning.firstColumn,
                                         warning.lastColumn,
                                         warningKindName(warning.kind),
                                         warning.message};
                 });
}

}  // namespace

std::vector<DeckDiagnostic> deckDiagnostics(std::string_view text) {
  std::vector<DeckDiagnostic> diagnostics;
  const auto stream = memoryStream(text);
  try {
    NullSink listing;
    CardReader cards(stream.get(), "the document");
    const DeckSettings settings = readDeck(cards, listing);
    addWarnings(settings.warnings, diagnostics);
    addWarnings(planRun(settings).warnings, diagnostics);
  } catch (const Error& error) {
    const Error::Place& place = error.place();
    diagnostics.push_back({DeckDiagnostic::Severity::Error,
                           place.card,
                           place.firstColumn,
                           place.lastColumn,
                           {},
                           std::string(error.reason())});
  }
  return diagnostics;
}

}  // namespace sizgen::lsp
