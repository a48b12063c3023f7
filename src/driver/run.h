#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "base/sink.h"
#include "files/output_files.h"
#include "model/deck_settings.h"

namespace sizgen {

// Where a run reads and writes: the deck, the listing and the files.  The
// program uses standard input, standard output and the current directory;
// tests and the fuzzer hold everything in memory.
struct RunIo {
  std::FILE* deck;
  Sink& listing;
  OutputFiles& files;
  std::string deckName = "standard input";  // how messages call the deck
  // The regular file the listing goes to, if it is one: a run refuses to
  // write the listing into the deck or a generated file.
  std::optional<FileIdentity> listingIdentity = std::nullopt;
  std::string listingName = "standard output";  // how messages call the listing
  // Where the warnings of the deck go, a line each (null: nowhere).
  std::FILE* warnings = stderr;
};

// One whole run, from checking the files to the closing line.  Throws
// sizgen::Error when the deck cannot be processed, a file cannot be
// replaced, or the deck and an output or two outputs are one file (found
// before anything is written); the files are then left as they were.  May
// be called again in the same process.
void runSizgen(const RunIo& io);

// Reads the deck without showing the listing: what the cards record,
// with the deck's warnings.
// Throws sizgen::Error as a run does.
DeckSettings readDeckSettings(std::FILE* deck, const std::string& deckName);

}  // namespace sizgen
