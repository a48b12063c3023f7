#include "analysis/deck_annotation.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "analysis/explanation.h"
#include "base/printable_text.h"
#include "model/card_place.h"

namespace sizgen {
namespace {

std::string number(std::int64_t value) {
  return std::to_string(value);
}

// Appends a card as it stands under the ruler: one character a column, a
// byte outside printable ASCII shown as '?' so that the columns stay in
// place.
void appendColumns(std::string& text, std::string_view card) {
  for (const char c : card) {
    const auto byte = static_cast<unsigned char>(c);
    text += byte < 0x20 || byte >= 0x7f ? '?' : c;
  }
}

class Annotation {
 public:
  explicit Annotation(const DeckReading& reading) : reading_(reading) {
    const long lastLine = reading.cards.empty() ? 0 : reading.cards.back().line;
    width_ = std::max<std::size_t>(5, number(lastLine).size());
    blankMargin_.assign(width_ + 1, ' ');
    noteMargin_.assign(width_ + 3, ' ');
    // The warnings of each card, in the order given: a deck may have as
    // many as it has cards.
    for (const Warning& warning : reading.warnings) {
      if (isCardRead(warning.card)) {
        placed_.push_back(&warning);
      } else {
        unplaced_.push_back(&warning);
      }
    }
    std::stable_sort(placed_.begin(), placed_.end(),
                     [](const Warning* a, const Warning* b) { return a->card < b->card; });
    // A card and its notes take some 250 bytes, rarely more than twice
    // that: room for all of them at once, since what is reserved and not
    // written costs nothing.
    text_.reserve(512 * (reading.cards.size() + 2));
  }

  std::string render() {
    ruler();
    for (const DeckCard& card : reading_.cards) annotateCard(card);
    // What belongs to no card read: a warning of the plan or an error that
    // names no card.
    for (const Warning* warning : unplaced_) note("warning: " + warningText(*warning));
    if (reading_.error && !isCardRead(reading_.error->card))
      note("error: " + reading_.error->message);
    return text_;
  }

 private:
  void line(std::string_view margin, std::string_view content) {
    text_ += margin;
    text_ += content;
    text_ += '\n';
  }
  // A line beneath a card, indented under its text.
  void note(std::string_view content) { line(noteMargin_, content); }

  void ruler() {
    std::string marks;
    for (std::size_t column = 1; column <= kCardColumns; ++column)
      marks += column % 10 == 0 ? static_cast<char>('0' + column / 10 % 10)
                                : (column % 5 == 0 ? '+' : '-');
    line(blankMargin_, marks);
  }

  // The cards are in line order.
  bool isCardRead(long card) const {
    const auto found = std::lower_bound(reading_.cards.begin(), reading_.cards.end(), card,
                                        [](const DeckCard& c, long line) { return c.line < line; });
    return card != 0 && found != reading_.cards.end() && found->line == card;
  }

  // Carets under columns first to last, then the message.
  void marked(int first, int last, std::string_view message) {
    std::string carets(static_cast<std::size_t>(std::max(first, 1) - 1), ' ');
    carets.append(static_cast<std::size_t>(std::max(last - first + 1, 1)), '^');
    line(blankMargin_, carets);
    note(message);
  }

  void annotateCard(const DeckCard& card) {
    const std::string lineNumber = number(card.line);
    text_.append(width_ - std::min(width_, lineNumber.size()), ' ');
    text_ += lineNumber;
    text_ += ' ';
    appendColumns(text_, card.text);
    text_ += '\n';
    note(cardKind(card));
    for (const DeckField& field : card.fields) {
      const bool blank = field.text.find_first_not_of(' ') == std::string::npos;
      if (blank && card.kind == CardKind::FixedLists) continue;
      note(fieldText(card, field, blank));
    }
    const auto [first, last] =
        std::equal_range(placed_.begin(), placed_.end(), card.line, ByCard{});
    for (auto warning = first; warning != last; ++warning)
      marked((*warning)->firstColumn, (*warning)->lastColumn, "warning: " + (*warning)->message);
    if (reading_.error && reading_.error->card == card.line)
      marked(reading_.error->firstColumn, reading_.error->lastColumn,
             "error: " + reading_.error->reason);
  }

  static std::string cardKind(const DeckCard& card) {
    std::string text;
    switch (card.role) {
      case DeckCard::Role::Comment:
        return "comment: not read";
      case DeckCard::Role::AfterDeckEnd:
        return "after the deck's end: not read";
      case DeckCard::Role::Keyword:
        text = std::string(card.name) + " card, keyword in " +
               columnsText(card.keywordFirstColumn, card.keywordLastColumn);
        break;
      case DeckCard::Role::ListSize:
        text = std::string(card.name) + " (lists " + number(card.firstList) + "-" +
               number(card.firstList + 9) + ")";
        break;
      case DeckCard::Role::SupplementalOffsets:
        text = std::string(card.name);
        break;
    }
    if (card.blank) text += ", BLANK: read as a blank card";
    if (card.commentColumn > 0)
      text += ", { comment from column " + number(card.commentColumn) + ": not read";
    if (card.sets) text += "; sets " + settingName(*card.sets) + overridden(card.overriddenBy);
    return text;
  }

  static std::string overridden(long by) {
    return by != 0 ? ", overridden by card " + number(by) : "";
  }

  std::string fieldText(const DeckCard& card, const DeckField& field, bool blank) const {
    std::string text = card.kind == CardKind::FixedLists      ? "flag " + number(field.number)
                       : card.role == DeckCard::Role::Keyword ? std::string("value")
                                                              : "field " + number(field.number);
    text += ", " + columnsText(field.firstColumn, field.lastColumn);
    text += blank ? std::string(" blank") : " \"" + printableText(field.text) + "\"";
    if (!field.read) return text + ": not read";
    text += ": " + valueText(card, field);
    if (!field.sets) return text + ", sets nothing";
    text += ", sets " + settingName(*field.sets);
    if (field.replacedBy) text += " to " + number(*field.replacedBy) + " (less than 1)";
    if (field.overriddenBy != 0) return text + overridden(field.overriddenBy);
    if (reading_.plan) text += result(field);
    return text;
  }

  static std::string valueText(const DeckCard& card, const DeckField& field) {
    if (!field.real) return number(field.value);
    if (card.role == DeckCard::Role::Keyword) return realText(field.realValue);
    return realText(field.realValue) + " truncated: " + number(field.value);
  }

  // The size the field's list ends with and the step that gave it, where
  // it differs from the value set.
  std::string result(const DeckField& field) const {
    const auto found = settingResult(*reading_.plan, *field.sets);
    if (!found) return "";
    const bool sameList = field.sets->name == Setting::Name::LSTNEW;
    const std::int32_t set = field.replacedBy.value_or(field.value);
    if (sameList && found->size == set) return "";
    return "; list " + number(static_cast<std::int64_t>(found->list)) + " ends at " +
           number(found->size) + " (" + stepReason(*found->step) + ")";
  }

  // Orders warnings by their card, and finds a card's among them.
  struct ByCard {
    bool operator()(const Warning* warning, long card) const { return warning->card < card; }
    bool operator()(long card, const Warning* warning) const { return card < warning->card; }
  };

  const DeckReading& reading_;
  std::vector<const Warning*> placed_;  // the warnings of cards read, by card, each card's in order
  std::vector<const Warning*> unplaced_;
  std::size_t width_ = 5;
  std::string blankMargin_;  // the margin of the ruler and of the carets
  std::string noteMargin_;   // the margin of a line beneath a card
  std::string text_;
};

}  // namespace

std::string annotateDeck(const DeckReading& reading) {
  return Annotation(reading).render();
}

}  // namespace sizgen
