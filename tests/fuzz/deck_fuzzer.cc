// Feeds arbitrary bytes to a whole run as the card deck: deck reading,
// resolution, totals and generation, with the files written to a scratch
// directory.  A run may end with a sizgen::Error; anything else (a crash,
// a sanitizer report, a leak, another exception) is a fault.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "driver/error.h"
#include "driver/run.h"

namespace {

const std::string& scratchDirectory() {
  static const std::string directory = [] {
    std::string pattern = "/tmp/sizgen-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    return pattern;
  }();
  return directory;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string deck(reinterpret_cast<const char*>(data), size);
  std::FILE* in = deck.empty() ? std::fopen("/dev/null", "r")
                               : fmemopen(deck.data(), deck.size(), "r");
  std::FILE* listing = std::fopen("/dev/null", "w");
  if (in == nullptr || listing == nullptr) std::abort();
  try {
    sizgen::runSizgen({in, listing, scratchDirectory()});
  } catch (const sizgen::Error&) {
    // A deck that cannot be processed: the expected way for most inputs to end.
  }
  std::fclose(listing);
  std::fclose(in);
  return 0;
}
