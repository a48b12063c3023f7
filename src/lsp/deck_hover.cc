#include "lsp/deck_hover.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "analysis/explanation.h"
#include "base/printable_text.h"
#include "input/keywords.h"

namespace sizgen::lsp {
namespace {

// What each keyword card does, as the deck's table in the README says it.
struct CardPurpose {
  CardKind kind;
  std::string_view purpose;  // cppcheck-suppress unusedStructMember ; read by purposeOf
};
// clang-format off
constexpr std::array<CardPurpose, 8> kPurposes = {{
    {CardKind::Comment,           "a comment: echoed and ignored"},
    {CardKind::DefaultMultiplier, "the default multiplier, for the lists no card gives"},
    {CardKind::FinalMultiplier,   "the final multiplier, for every list not FIXED"},
    {CardKind::FixedLists,        "flag k nonzero: list k is exempt from the final multiplier"},
    {CardKind::CardLimit,         "the size of list 31, the limit of CIDEAL cards"},
    {CardKind::List6Scale,        "the scale factor of list 6 (lists 56 and 74)"},
    {CardKind::RamTables,         "list 29 takes the size of LABCOM"},
    {CardKind::Quantum,           "the byte quantum of array sizes; below 1 means 4194304"},
}};
// clang-format on

std::string_view purposeOf(CardKind kind) {
  const auto* row = std::find_if(kPurposes.begin(), kPurposes.end(),
                                 [kind](const CardPurpose& p) { return p.kind == kind; });
  return row == kPurposes.end() ? std::string_view{} : row->purpose;
}

std::string number(long long value) {
  return std::to_string(value);
}

std::string columnsText(int first, int last) {
  return first == last ? "column " + number(first)
                       : "columns " + number(first) + "-" + number(last);
}

// Text shown in code spans: backquotes would end the span early.
std::string code(std::string_view text) {
  std::string shown = printableText(text);
  std::replace(shown.begin(), shown.end(), '`', '\'');
  return "`" + shown + "`";
}

// Which columns a keyword card reads besides its keyword.
std::string readsText(const DeckCard& card) {
  const FieldColumns reads = keywordOf(card.kind).reads;
  if (reads.count == 0) return "it reads nothing after its keyword";
  if (reads.count == 1) {
    const bool real = !card.fields.empty() && card.fields.front().real;
    return std::string("it reads its value from ") + columnsText(reads.first, reads.last()) +
           (real ? " (a real)" : " (an integer)");
  }
  return "it reads " + number(static_cast<long long>(reads.count)) + " flags of " +
         number(reads.width) + " columns each from " + columnsText(reads.first, reads.last());
}

std::string overriddenText(long by) {
  return "overridden by card " + number(by) + ": the value there counts";
}

DeckHover keywordHover(const DeckCard& card) {
  std::string text = "**" + std::string(keywordName(card.kind)) +
                     " card**: " + std::string(purposeOf(card.kind)) + ".\n\nKeyword in " +
                     columnsText(card.keywordFirstColumn, card.keywordLastColumn) + "; " +
                     readsText(card) + ".";
  if (card.sets) text += "\n\nSets " + code(settingName(*card.sets)) + ".";
  if (card.overriddenBy != 0) text += "\n\n" + overriddenText(card.overriddenBy) + ".";
  return {card.line, card.keywordFirstColumn, card.keywordLastColumn, text};
}

std::string fieldName(const DeckCard& card, const DeckField& field) {
  if (card.kind == CardKind::FixedLists)
    return "flag " + number(field.number) + " of the FIXED card";
  if (card.role == DeckCard::Role::Keyword)
    return "the value of the " + std::string(keywordName(card.kind)) + " card";
  std::string name = "field " + number(field.number) + " of the " + std::string(card.name);
  if (card.role == DeckCard::Role::ListSize)
    name += " (list " + number(card.firstList + field.number - 1) + ")";
  return name;
}

std::string valueText(const DeckCard& card, const DeckField& field) {
  if (!field.real) return number(field.value) + " (an integer)";
  if (card.role == DeckCard::Role::Keyword) return realText(field.realValue) + " (a real)";
  return realText(field.realValue) + " (a real), truncated to " + number(field.value);
}

DeckHover fieldHover(const DeckReading& reading, const DeckCard& card, const DeckField& field) {
  std::string text =
      "**" + fieldName(card, field) + "**, " + columnsText(field.firstColumn, field.lastColumn);
  if (field.shift != 0)
    text += " (a comma moved it " + number(field.shift) + " columns left of its place)";
  text += "\n\n- text: " + code(field.text);
  if (!field.read) return {card.line, field.firstColumn, field.lastColumn, text + "\n- not read"};
  text += "\n- read as " + valueText(card, field);
  if (!field.sets) {
    text += "\n- sets nothing";
  } else {
    text += "\n- sets " + code(settingName(*field.sets));
    if (field.replacedBy)
      text += ", to " + number(*field.replacedBy) + " instead (the value is less than 1)";
  }
  if (field.overriddenBy != 0) {
    text += "\n- " + overriddenText(field.overriddenBy);
  } else if (field.sets && reading.plan) {
    if (const auto result = settingResult(*reading.plan, *field.sets)) {
      const auto list = static_cast<long long>(result->list);
      text += "\n- list " + number(list) + " ends at " + number(result->size);
      // Where later groups see another size than the listing's final
      // sizes show, each size in turn, as --explain heads the list.
      const std::string sizes = sizeHeadline(*reading.plan, result->list);
      if (sizes.find(',') != std::string::npos) text += ": " + sizes;
      const std::vector<std::string> steps = stepLines(*reading.plan, result->list);
      if (!steps.empty()) text += "\n\nFirst step (`--explain " + number(list) + "`): " + steps[0];
    }
  }
  return {card.line, field.firstColumn, field.lastColumn, text};
}

}  // namespace

std::optional<DeckHover> deckHover(const DeckReading& reading, long line, int column) {
  const auto card = std::find_if(reading.cards.begin(), reading.cards.end(),
                                 [line](const DeckCard& c) { return c.line == line; });
  if (card == reading.cards.end()) return std::nullopt;
  const int end = std::max(1, static_cast<int>(card->text.size()));
  switch (card->role) {
    case DeckCard::Role::Comment:
      return DeckHover{line, 1, end, "**Comment**: echoed and ignored; nothing on it is read."};
    case DeckCard::Role::AfterDeckEnd:
      return DeckHover{line, 1, end,
                       "**After the deck's end**: the supplemental-offsets card ends the deck, "
                       "so this card is not read."};
    default:
      break;
  }
  // A list-size card's { comment lies in the columns of fields that read
  // it as blanks.
  if (card->commentColumn > 0 && column >= card->commentColumn)
    return DeckHover{line, card->commentColumn, end, "**Comment** from the `{` on: not read."};
  const auto field =
      std::find_if(card->fields.begin(), card->fields.end(), [&](const DeckField& candidate) {
        return column >= candidate.firstColumn && column <= candidate.lastColumn;
      });
  if (field != card->fields.end()) return fieldHover(reading, *card, *field);
  if (card->keywordFirstColumn > 0 && column >= card->keywordFirstColumn &&
      column <= card->keywordLastColumn)
    return keywordHover(*card);
  if (column > static_cast<int>(kCardColumns) && column <= static_cast<int>(card->text.size()))
    return DeckHover{line, static_cast<int>(kCardColumns) + 1, end,
                     "**Past column 80**: not read."};
  return std::nullopt;
}

}  // namespace sizgen::lsp
