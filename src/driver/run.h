#pragma once

#include <cstdio>

#include "base/sink.h"
#include "driver/output_files.h"

namespace sizgen {

// Where a run reads and writes: the deck, the listing and the files.  The
// program uses standard input, standard output and the current directory;
// tests and the fuzzer hold everything in memory.
struct RunIo {
  std::FILE* deck;
  Sink& listing;
  OutputFiles& files;
};

// One whole run, from opening the files to the closing line.  Throws
// sizgen::Error when the deck cannot be processed or a file cannot be
// opened or written; may be called again in the same process.
void runSizgen(const RunIo& io);

}  // namespace sizgen
