#include "emit/declaration.h"

#include <string>

#include "emit/integer_field.h"
#include "sizing/catalog.h"
#include "sizing/real_arithmetic.h"

namespace sizgen {

Declaration declaration(int i, std::int32_t size, std::int32_t NQUANT) {
  const CatalogRow& row = catalogRow(i);
  std::int32_t T = effectiveTypeCode(row);
  std::int32_t D = size;
  if (i <= kLastRoundedRow && NQUANT > 0) {
    // B, N and N x NQUANT are exact in 64 bits; D must fit 32.
    std::int64_t S = bytesPerElement(T);
    std::int64_t B = D * S;
    std::int64_t N = B / NQUANT + 1;
    std::int64_t rounded = N * NQUANT;
    std::string what = "the dimension of row " + std::to_string(i) + " (" +
                       std::string(row.name.substr(0, row.name.find_last_not_of(' ') + 1)) +
                       " in " + std::string(row.block) + ") rounded to " + std::to_string(NQUANT) +
                       " bytes";
    if (T == kCharacter6) {
      T = kCharacter1;
      D = stored(rounded, what);
    } else {
      D = stored(rounded / S, what);
    }
  }
  return {D, T};
}

void emitDeclaration(const fio::Unit& module, int i, std::int32_t size, std::int32_t NQUANT) {
  const CatalogRow& row = catalogRow(i);
  Declaration declared = declaration(i, size, NQUANT);
  // see note [numbers wider than their field]
  module.write(
      widenedToFit("(6X,10HCOMMON  / ,A6,5H /   ,A6,1H(,I10,2H ))", "I10", declared.dimension),
      {row.block, row.name, declared.dimension});
  if (declared.typeCode == kCharacter1) {
    module.write("(6X,13HCHARACTER*1  ,A6)", {row.name});
  } else if (declared.typeCode == kCharacter6) {
    module.write("(6X,13HCHARACTER*6  ,A6)", {row.name});
  }
  if (row.typeOverride == kCharacter80) module.write("(6X,13HCHARACTER*80 ,A6)", {row.name});
}

}  // namespace sizgen
