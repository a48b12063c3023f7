#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "base/sink.h"
#include "driver/command_line.h"

namespace sizgen {

// Does what `options` ask for with `deck` as the card deck: a run (the one
// mode that writes the files, its listing on `out`), or an analysis printed
// on `out` that writes and creates no file.  Throws
// sizgen::Error when the deck cannot be processed.
void performMode(const Options& options, std::FILE* deck, const std::string& deckName,
                 std::FILE* out);

// The analysis that `options` ask for (not a run), of the deck `deck`,
// printed on `out`, the deck's warnings on `warnings` as a run prints them
// (--check lists them under its line instead).  Throws sizgen::Error as a
// run does.
void analyse(const Options& options, std::FILE* deck, const std::string& deckName, Sink& out,
             std::FILE* warnings = stderr);

// Serves the language server on standard input and output until the
// editor ends it; returns the exit status.
int serveLanguageServer();

// Prints `text`, whole lines, on `out` and pushes it out.
void print(Sink& out, std::string_view text);

}  // namespace sizgen
