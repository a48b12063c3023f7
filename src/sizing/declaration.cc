#include "sizing/declaration.h"

#include <string>

#include "base/real_arithmetic.h"
#include "model/catalog.h"

namespace sizgen {

Declaration declaration(int i, std::int32_t size, std::int32_t NQUANT) {
  const CatalogRow& row = catalogRow(i);
  std::int32_t T = effectiveTypeCode(row);
  std::int32_t D = size;
  const bool toQuantum = i <= kLastRoundedRow && NQUANT > 0;
  if (toQuantum) {
    // B, N and N x NQUANT are exact in 64 bits; D must fit 32.
    std::int64_t S = bytesPerElement(T);
    std::int64_t B = D * S;
    std::int64_t N = B / NQUANT + 1;
    std::int64_t rounded = N * NQUANT;
    auto what = [&] {
      return "the dimension of row " + std::to_string(i) + " (" +
             std::string(trimmedName(row.name)) + " in " + std::string(row.block) +
             ") rounded to " + std::to_string(NQUANT) + " bytes";
    };
    if (T == kCharacter6) {
      T = kCharacter1;
      D = stored(rounded, what);
    } else {
      D = stored(rounded / S, what);
    }
  }
  return {D, T, toQuantum};
}

}  // namespace sizgen
