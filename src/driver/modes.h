#pragma once

#include <cstdio>
#include <string>

#include "driver/command_line.h"

namespace sizgen {

// Does what `options` ask for with `deck` as the card deck: a run, or an
// analysis printed on `out` that writes and creates no file.  Throws
// sizgen::Error when the deck cannot be processed.
void runMode(const Options& options, std::FILE* deck, const std::string& deckName, std::FILE* out);

}  // namespace sizgen
