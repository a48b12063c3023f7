#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "model/warning.h"

namespace sizgen {

// A warning as it shows on standard error:
// "sizgen: warning: card N, columns A-B: ...".  With the name of its
// deck, for a mode that reads two: "sizgen: warning: old.deck: card N, ...".
std::string warningLine(const Warning& warning, std::string_view deck = {});

// Writes each warning as one line on `stream` (nothing when it is null),
// after the name of the deck when one is given.  A warning that cannot be
// written does not fail the run: what the run does and its exit status
// stay as they are.
void printWarnings(std::FILE* stream, const Warnings& warnings, std::string_view deck = {});

}  // namespace sizgen
