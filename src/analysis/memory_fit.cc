#include "analysis/memory_fit.h"

#include "base/error.h"

namespace sizgen {

std::optional<MemoryFit> fitMemory(const DeckSettings& /*settings*/, std::int64_t /*budget*/) {
  throw InternalError("the memory fit is not built yet");
}

}  // namespace sizgen
