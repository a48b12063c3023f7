#pragma once

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "base/error.h"
#include "input/field_columns.h"
#include "model/card_kind.h"

namespace sizgen {

// A keyword card: the text its leading columns spell, the columns it
// reads its value or flags from (nothing else on the card is read), and
// the FORMAT of the line that echoes it on the listing (none: recorded
// without an echo).
struct Keyword {
  std::string_view text;
  CardKind kind;
  FieldColumns reads;
  std::string_view echoFormat;
};

// The keywords in the order in which a card is compared with them.
// clang-format off
inline constexpr std::array<Keyword, 8> kKeywords = {{
    {"C ",         CardKind::Comment,           kNoFields,
     "(25H Comment card is ignored.,6X,1H1,A80)"},
    {"DEFAULT",    CardKind::DefaultMultiplier, kValueField,
     "(21H Default multiplier =,F8.3,3H  1,A80)"},
    {"SCALE ",     CardKind::FinalMultiplier,   kValueField,
     "(19H Final multiplier =,F10.4,3H  1,A80)"},
    {"FIXED ",     CardKind::FixedLists,        kFixedFlags,
     ""},
    {"CARDS ",     CardKind::CardLimit,         kValueField,
     "(21H Limit CIDEAL cards =,I6,'    |',A80)"},
    {"NBHDSW",     CardKind::List6Scale,        kValueField,
     "(19H List 6 scaled by =,F10.2,3H  1,A80)"},
    {"RAM TABLES", CardKind::RamTables,         kNoFields,
     ""},
    {"ROUND UP",   CardKind::Quantum,           kValueField,
     "(18H Quantized bytes =,I9,4X,1H1,A80)"},
}};
// clang-format on

// The keyword of a kind of keyword card.
constexpr const Keyword& keywordOf(CardKind kind) {
  const auto* keyword = std::find_if(kKeywords.begin(), kKeywords.end(),
                                     [kind](const Keyword& k) { return k.kind == kind; });
  if (keyword == kKeywords.end()) throw InternalError("no keyword for this kind of card");
  return *keyword;
}

// The keyword of a kind of keyword card without its blanks ("SCALE"), as
// explanations name the card.
constexpr std::string_view keywordName(CardKind kind) {
  const std::string_view text = keywordOf(kind).text;
  return text.substr(0, text.find_last_not_of(' ') + 1);
}

// The list-size cards, by the first list of the card (41: the
// supplemental offsets): how explanations name each, and the FORMAT of the
// line that echoes it.
struct ListCard {
  int firstList;
  std::string_view name;
  std::string_view echoFormat;
};
// clang-format off
inline constexpr std::array<ListCard, 5> kListCards = {{
    { 1, "1st list-size card",        "(24H 1st card (Lists  1-10).,7X,1H1,A80)"},
    {11, "2nd list-size card",        "(24H 2nd card (Lists 11-20).,7X,1H1,A80)"},
    {21, "3rd list-size card",        "(24H 3rd card (Lists 21-29).,7X,1H1,A80)"},
    {31, "4th list-size card",        "(24H 4th card (Lists 31-32).,7X,1H1,A80)"},
    {41, "supplemental-offsets card", "(' Supplemental offsets.',9X,1H1,A80)"},
}};
// clang-format on

// The list-size card whose first list is `firstList`.
constexpr const ListCard& listCard(int firstList) {
  const auto* card =
      std::find_if(kListCards.begin(), kListCards.end(),
                   [firstList](const ListCard& c) { return c.firstList == firstList; });
  if (card == kListCards.end())
    throw InternalError("no list-size card begins with list " + std::to_string(firstList));
  return *card;
}

}  // namespace sizgen
