#include "analysis/fit_text.h"

#include "analysis/storage.h"
#include "base/error.h"

namespace sizgen {

std::string fitText(const MemoryFit& fit, std::int64_t budget) {
  if (!fit.largest) {
    if (!fit.least) throw Error(fit.smallest.error);
    const std::string card = "SCALE " + fit.least->value;
    throw Error(
        "no SCALE card with a positive value keeps the COMMON storage within " + bytesText(budget) +
        ": the least any of them needs is " + bytesText(*fit.least->bytes) + ", with " + card +
        (fit.least->value == fit.smallest.value ? ", which leaves every list it scales at 1" : "") +
        " (negative values are not searched)");
  }
  std::string text = scaleCard(*fit.largest) + "\n" +
                     "COMMON storage with this card: " + bytesText(*fit.largest->bytes) +
                     ", within " + bytesText(budget) + "\n";
  if (!fit.next) {
    text +=
        "It is the largest value the card can hold, and every value gives the same storage: "
        "every list it scales is FIXED or 0.\n";
  } else if (fit.next->bytes) {
    text += "The next value the card can hold, " + fit.next->value + ", needs " +
            bytesText(*fit.next->bytes) + "\n";
  } else {
    text += "The next value the card can hold, " + fit.next->value + ", fails: " + fit.next->error +
            "\n";
  }
  if (fit.ownScaleCard != 0) {
    text += "Replace card " + std::to_string(fit.ownScaleCard) +
            ", the deck's own SCALE card, with this card: a SCALE card read later wins.\n";
  }
  return text;
}

}  // namespace sizgen
