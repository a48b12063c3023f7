#pragma once

#include <cstddef>

namespace sizgen {

// A card has 80 columns: a line's characters past them are not read.
inline constexpr std::size_t kCardColumns = 80;

// What a card is, decided by its leading columns.
enum class CardKind {
  Comment,            // "C "
  DefaultMultiplier,  // "DEFAULT"
  FinalMultiplier,    // "SCALE "
  FixedLists,         // "FIXED "
  CardLimit,          // "CARDS "
  List6Scale,         // "NBHDSW"
  RamTables,          // "RAM TABLES"
  Quantum,            // "ROUND UP"
  ListSize,           // anything else
};

}  // namespace sizgen
