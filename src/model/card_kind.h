#pragma once

namespace sizgen {

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
