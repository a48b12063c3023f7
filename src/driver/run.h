#pragma once

#include <cstdio>
#include <string>

namespace sizgen {

// Where a run reads and writes: the deck, the listing, and the directory
// of the four files ("" for the current one).  The program uses standard
// input, standard output and the current directory; tests and the fuzzer
// use others.
struct RunStreams {
  std::FILE* deck = stdin;
  std::FILE* listing = stdout;
  std::string directory;
};

// One whole run, from opening the files to the closing line.  Throws
// sizgen::Error when the deck cannot be processed or a file cannot be
// opened or written; may be called again in the same process.
void runSizgen(const RunStreams& streams = {});

}  // namespace sizgen
