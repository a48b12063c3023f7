#pragma once

// What a deck says that is probably not what its writer meant: the run
// goes on as before, and the driver shows each one as a line of its own.
// The deck reader and the planner record them; nothing here prints.

#include <string>
#include <string_view>
#include <vector>

#include "model/card_place.h"

namespace sizgen {

struct Warning {
  enum class Kind {
    ValueOutsideColumns,  // a number in columns a keyword card does not read
    BlanksInNumber,       // blanks between the digits of a field, which are ignored
    AcrossFieldEdge,      // a number across the edge of two fields, read as two
    AfterDeckEnd,         // cards after the supplemental-offsets card, which ends the deck
    GivenAgain,           // a keyword card given again: the earlier one is overridden
    ListGivenTwice,       // list 31 given by the CARDS card and the fourth list-size card
    PastColumn80,         // text past column 80, outside a comment, which is not read
    NegativeSize,         // a negative declared dimension or LTLABL
  };
  Kind kind;
  long card = 0;  // the card's line number in the deck
  int firstColumn = 0;
  int lastColumn = 0;
  std::string message;  // what was read and what was probably meant
};

// The name of each kind, as --json writes it.
constexpr std::string_view warningKindName(Warning::Kind kind) {
  switch (kind) {
    case Warning::Kind::ValueOutsideColumns:
      return "value-outside-columns";
    case Warning::Kind::BlanksInNumber:
      return "blanks-in-number";
    case Warning::Kind::AcrossFieldEdge:
      return "across-field-edge";
    case Warning::Kind::AfterDeckEnd:
      return "after-deck-end";
    case Warning::Kind::GivenAgain:
      return "given-again";
    case Warning::Kind::ListGivenTwice:
      return "list-given-twice";
    case Warning::Kind::PastColumn80:
      return "past-column-80";
    case Warning::Kind::NegativeSize:
      return "negative-size";
  }
  return "";
}

// "card N, columns A-B: message" (one column: "column A"); just the
// message when no card is to blame.
inline std::string warningText(const Warning& warning) {
  if (warning.card == 0) return warning.message;
  return cardPlaceText({.card = warning.card,
                        .firstColumn = warning.firstColumn,
                        .lastColumn = warning.lastColumn}) +
         ": " + warning.message;
}

using Warnings = std::vector<Warning>;

}  // namespace sizgen
