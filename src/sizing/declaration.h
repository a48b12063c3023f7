#pragma once

#include <cstdint>

namespace sizgen {

// What the declaration of one catalogue row says: its dimension and the
// type code it is declared with.
struct Declaration {
  std::int32_t dimension;
  std::int32_t typeCode;
  bool rounded;  // raised to a whole number of quanta
};

// The declaration of row i, whose list has `size` elements.  With a quantum
// (NQUANT > 0) the storage of rows 1 to 150 is raised to the smallest whole
// number of quanta above it, and a CHARACTER*6 array becomes a CHARACTER*1
// array counted in bytes.  Throws sizgen::Error when the rounded dimension
// does not fit 32 bits.
Declaration declaration(int i, std::int32_t size, std::int32_t NQUANT);

}  // namespace sizgen
