#pragma once

#include <cstdio>
#include <string>

#include "model/warning.h"

namespace sizgen {

// A warning as it shows on standard error:
// "sizgen: warning: card N, columns A-B: ...".
std::string warningLine(const Warning& warning);

// Writes each warning as one line on `stream` (nothing when it is null).
// A warning that cannot be written does not fail the run: what the run
// does and its exit status stay as they are.
void printWarnings(std::FILE* stream, const Warnings& warnings);

}  // namespace sizgen
