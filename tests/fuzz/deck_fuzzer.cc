// Feeds arbitrary bytes to a whole run as the card deck: deck reading,
// resolution, the plan and the generated files, all held in memory.  A
// run may end with a sizgen::Error; anything else (a crash, a sanitizer
// report, a leak, another exception) is a fault.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/error.h"
#include "base/sink.h"
#include "driver/output_files.h"
#include "driver/run.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string deck(reinterpret_cast<const char*>(data), size);
  std::FILE* in = deck.empty() ? std::fopen("/dev/null", "r")
                               : fmemopen(deck.data(), deck.size(), "r");
  if (in == nullptr) std::abort();
  sizgen::MemorySink listing;
  sizgen::MemoryFiles files;
  try {
    sizgen::runSizgen({in, listing, files});
  } catch (const sizgen::Error&) {
    // A deck that cannot be processed: the expected way for most inputs to end.
  }
  std::fclose(in);
  return 0;
}
