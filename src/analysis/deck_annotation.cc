#include "analysis/deck_annotation.h"

#include <algorithm>
#include <array>
#include <charconv>
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

void appendNumber(std::string& text, std::int64_t value) {
  std::array<char, 24> digits{};
  char* const end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
  text.append(digits.data(), end);
}

// "column 9", "columns 9-16", as columnsText words them.
void appendColumnsText(std::string& text, int first, int last) {
  text += first == last ? "column " : "columns ";
  appendNumber(text, first);
  if (first == last) return;
  text += '-';
  appendNumber(text, last);
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
    // that; the text of one card at a time is held, then written.
    text_.reserve(1024);
  }

  // Writes the annotation on `out` card by card, so that the text of a
  // long deck is never held whole.
  void render(Sink& out) {
    ruler();
    for (const DeckCard& card : reading_.cards) {
      annotateCard(card);
      emit(out);
    }
    // What belongs to no card read: a warning of the plan or an error that
    // names no card.
    for (const Warning* warning : unplaced_) note("warning: " + warningText(*warning));
    if (reading_.error && !isCardRead(reading_.error->card))
      note("error: " + reading_.error->message);
    emit(out);
    out.flush();
  }

 private:
  // Writes the lines held and starts again, keeping the room they took.
  void emit(Sink& out) {
    if (!text_.empty()) out.writeText(text_);
    text_.clear();
  }

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

  // The cards are in line order, and nearly always card n is line n.
  bool isCardRead(long card) const {
    const auto& cards = reading_.cards;
    if (card >= 1 && static_cast<std::size_t>(card) <= cards.size() &&
        cards[static_cast<std::size_t>(card) - 1].line == card)
      return true;
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
    std::array<char, 24> digits{};
    char* const end = std::to_chars(digits.data(), digits.data() + digits.size(), card.line).ptr;
    const auto lineNumber = static_cast<std::size_t>(end - digits.data());
    text_.append(width_ - std::min(width_, lineNumber), ' ');
    text_.append(digits.data(), end);
    text_ += ' ';
    appendColumns(text_, card.text);
    text_ += '\n';
    text_ += noteMargin_;
    appendCardKind(card);
    text_ += '\n';
    for (const DeckField& field : card.fields) {
      const bool blank = field.text.find_first_not_of(' ') == std::string::npos;
      if (blank && card.kind == CardKind::FixedLists) continue;
      text_ += noteMargin_;
      appendFieldText(card, field, blank);
      text_ += '\n';
    }
    // The cards come in line order: the warnings of this one are next.
    while (nextPlaced_ != placed_.size() && placed_[nextPlaced_]->card < card.line) ++nextPlaced_;
    for (; nextPlaced_ != placed_.size() && placed_[nextPlaced_]->card == card.line; ++nextPlaced_)
      marked(placed_[nextPlaced_]->firstColumn, placed_[nextPlaced_]->lastColumn,
             "warning: " + placed_[nextPlaced_]->message);
    if (reading_.error && reading_.error->card == card.line)
      marked(reading_.error->firstColumn, reading_.error->lastColumn,
             "error: " + reading_.error->reason);
  }

  void appendCardKind(const DeckCard& card) {
    switch (card.role) {
      case DeckCard::Role::Comment:
        text_ += "comment: not read";
        return;
      case DeckCard::Role::AfterDeckEnd:
        text_ += "after the deck's end: not read";
        return;
      case DeckCard::Role::Keyword:
        text_ += card.name;
        text_ += " card, keyword in ";
        appendColumnsText(text_, card.keywordFirstColumn, card.keywordLastColumn);
        break;
      case DeckCard::Role::ListSize:
        text_ += card.name;
        text_ += " (lists ";
        appendNumber(text_, card.firstList);
        text_ += '-';
        appendNumber(text_, card.firstList + 9);
        text_ += ')';
        break;
      case DeckCard::Role::SupplementalOffsets:
        text_ += card.name;
        break;
    }
    if (card.blank) text_ += ", BLANK: read as a blank card";
    if (card.commentColumn > 0) {
      text_ += ", { comment from column ";
      appendNumber(text_, card.commentColumn);
      text_ += ": not read";
    }
    if (card.sets) {
      text_ += "; sets ";
      appendSetting(*card.sets);
      appendOverridden(card.overriddenBy);
    }
  }

  void appendSetting(const Setting& setting) {
    text_ += kSettingNames[static_cast<std::size_t>(setting.name)];
    if (setting.index == 0) return;
    text_ += '(';
    appendNumber(text_, static_cast<std::int64_t>(setting.index));
    text_ += ')';
  }

  void appendOverridden(long by) {
    if (by == 0) return;
    text_ += ", overridden by card ";
    appendNumber(text_, by);
  }

  void appendFieldText(const DeckCard& card, const DeckField& field, bool blank) {
    if (card.kind == CardKind::FixedLists) {
      text_ += "flag ";
      appendNumber(text_, field.number);
    } else if (card.role == DeckCard::Role::Keyword) {
      text_ += "value";
    } else {
      text_ += "field ";
      appendNumber(text_, field.number);
    }
    text_ += ", ";
    appendColumnsText(text_, field.firstColumn, field.lastColumn);
    if (blank) {
      text_ += " blank";
    } else {
      text_ += " \"";
      appendPrintable(field.text);
      text_ += '"';
    }
    if (!field.read) {
      text_ += ": not read";
      return;
    }
    text_ += ": ";
    appendValue(card, field);
    if (!field.sets) {
      text_ += ", sets nothing";
      return;
    }
    text_ += ", sets ";
    appendSetting(*field.sets);
    if (field.replacedBy) {
      text_ += " to ";
      appendNumber(text_, *field.replacedBy);
      text_ += " (less than 1)";
    }
    if (field.overriddenBy != 0) {
      appendOverridden(field.overriddenBy);
      return;
    }
    if (reading_.plan) appendResult(field);
  }

  // The text as printableText shows it, without a copy when it is all
  // printable, as a field nearly always is.
  void appendPrintable(std::string_view text) {
    const bool printable = std::all_of(text.begin(), text.end(), [](char c) {
      const auto byte = static_cast<unsigned char>(c);
      return byte >= 0x20 && byte < 0x7f;
    });
    if (printable) {
      text_ += text;
    } else {
      text_ += printableText(text);
    }
  }

  void appendValue(const DeckCard& card, const DeckField& field) {
    if (!field.real) {
      appendNumber(text_, field.value);
      return;
    }
    text_ += realText(field.realValue);
    if (card.role == DeckCard::Role::Keyword) return;
    text_ += " truncated: ";
    appendNumber(text_, field.value);
  }

  // The size the field's list ends with and the step that gave it, where
  // it differs from the value set.
  void appendResult(const DeckField& field) {
    const auto found = settingResult(*reading_.plan, *field.sets);
    if (!found) return;
    const bool sameList = field.sets->name == Setting::Name::LSTNEW;
    const std::int32_t set = field.replacedBy.value_or(field.value);
    if (sameList && found->size == set) return;
    text_ += "; list ";
    appendNumber(text_, static_cast<std::int64_t>(found->list));
    text_ += " ends at ";
    appendNumber(text_, found->size);
    text_ += " (";
    text_ += stepReason(*found->step);
    text_ += ')';
  }

  const DeckReading& reading_;
  std::vector<const Warning*> placed_;  // the warnings of cards read, by card, each card's in order
  std::size_t nextPlaced_ = 0;          // the first of placed_ not yet shown
  std::vector<const Warning*> unplaced_;
  std::size_t width_ = 5;
  std::string blankMargin_;  // the margin of the ruler and of the carets
  std::string noteMargin_;   // the margin of a line beneath a card
  std::string text_;
};

}  // namespace

void annotateDeck(const DeckReading& reading, Sink& out) {
  Annotation(reading).render(out);
}

std::string annotateDeck(const DeckReading& reading) {
  MemorySink text;
  annotateDeck(reading, text);
  return text.text();
}

}  // namespace sizgen
