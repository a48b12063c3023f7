#pragma once

// The deck as it was read, card by card: each line with its text, what the
// deck reader took it for, and each field with the columns really read,
// the text there, the value read and what it sets.  The deck reader
// records it while it reads; the front ends (--annotate, --format, --json,
// the language server) render it, and none reads the deck its own way.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/card_kind.h"
#include "model/list_history.h"
#include "model/run_plan.h"
#include "model/warning.h"

namespace sizgen {

// A deck setting that a card sets, named as the program names it.
struct Setting {
  enum class Name { LSTNEW, LSTSUP, LSTFIX, DEFMUL, KSCALE, FINMUL, SCALE6, KRAMTB, NQUANT };
  Name name = Name::LSTNEW;
  std::size_t index = 0;  // LSTNEW(index), LSTSUP(index), LSTFIX(index); 0 for the others

  bool operator==(const Setting&) const = default;
};

inline constexpr std::array<std::string_view, 9> kSettingNames = {
    "LSTNEW", "LSTSUP", "LSTFIX", "DEFMUL", "KSCALE", "FINMUL", "SCALE6", "KRAMTB", "NQUANT"};

// "LSTNEW(13)", "DEFMUL".
inline std::string settingName(const Setting& setting) {
  std::string name(kSettingNames[static_cast<std::size_t>(setting.name)]);
  if (setting.index != 0) name += "(" + std::to_string(setting.index) + ")";
  return name;
}

// One field of a card as the reader read it.
struct DeckField {
  int number = 0;          // the field of the card, from 1
  int firstColumn = 0;     // the columns really read, the comma that ends the field
  int lastColumn = 0;      // early included
  int shift = 0;           // the columns it lies left of its place on a card without commas
  std::string text;        // what they hold as read (a list-size card's { comment reads as blanks)
  bool real = false;       // read as a real (E edit descriptor), else as an integer (I)
  bool read = false;       // false: the card failed at this field or an earlier one
  double realValue = 0.0;  // the value read, when `real`
  std::int32_t value = 0;  // the value read as an integer; a list-size card's real truncated
  std::optional<Setting> sets;  // what the value sets; nothing: it is read and dropped
  // The value the setting takes instead of the value read (ROUND UP and
  // the first two supplemental offsets below 1).
  std::optional<std::int32_t> replacedBy;
  long overriddenBy = 0;  // the card whose later value for the same setting wins; 0: none
};

// One line of the deck.
struct DeckCard {
  enum class Role { Comment, Keyword, ListSize, SupplementalOffsets, AfterDeckEnd };

  long line = 0;             // its line number in the deck, from 1
  std::string text;          // the whole line without its line end, every byte as it is
  std::string_view lineEnd;  // "\n", "\r\n", or "" for a last line without one
  Role role = Role::ListSize;
  CardKind kind = CardKind::ListSize;  // the keyword of a keyword card or comment
  // How messages name the card: its keyword ("SCALE"), "comment", "2nd
  // list-size card", "supplemental-offsets card"; empty after the deck's end.
  std::string_view name;
  int keywordFirstColumn = 0;  // the columns the keyword spells ("SCALE": 1-5); 0: none
  int keywordLastColumn = 0;
  int firstList = 0;              // a list-size card's first list: 1, 11, 21 or 31
  int commentColumn = 0;          // a list-size card's { that starts its comment; 0: none
  bool blank = false;             // a list-size card that begins "BLANK ", read as blank
  std::optional<Setting> sets;    // what the card sets without a field (KRAMTB, KSCALE)
  long overriddenBy = 0;          // the later card that sets `sets` again; 0: none
  std::vector<DeckField> fields;  // in the order read
};

// A deck that cannot be processed: the message a run stops with, and the
// card and columns it is about (card 0: no card is to blame).
struct DeckError {
  long card = 0;
  int firstColumn = 0;
  int lastColumn = 0;
  std::string reason;   // what went wrong, without the place
  std::string message;  // the whole message, as a run prints it after "sizgen: "
};

// What reading and planning a deck gives: every card read, the warnings,
// and the plan or the error that stopped it.
struct DeckReading {
  std::vector<DeckCard> cards;  // every line the reader took, up to a failing card
  std::string unread;           // the bytes of a deck given whole that follow the last card
  Warnings warnings;            // the deck's, then the plan's, in the order a run prints them
  bool readToEnd = false;       // the reader reached the deck's end: an error is the plan's
  std::optional<RunPlan> plan;  // nothing when the deck has an error
  std::optional<DeckError> error;
};

// The list whose size a setting gives, the size it ends with and the step
// that gave that size.
struct SettingResult {
  std::size_t list = 0;
  std::int32_t size = 0;
  const ListStep* step = nullptr;
};

namespace detail {
// The supplemental offset that a step used, 0: none.
struct OffsetOfStep {
  template <class Rule>
  std::int32_t operator()(const Rule& rule) const {
    if constexpr (requires { rule.offset; }) {
      return rule.offset;
    } else {
      return 0;
    }
  }
};
}  // namespace detail

// The list that `setting` gives its size: list k for LSTNEW(k) and
// LSTFIX(k), the last list whose steps use LSTSUP(i) for it; nothing for
// the settings every list shares (DEFMUL, FINMUL, ...) or a list no step
// sets.
inline std::optional<SettingResult> settingResult(const RunPlan& plan, const Setting& setting) {
  std::size_t list = 0;
  if (setting.name == Setting::Name::LSTNEW || setting.name == Setting::Name::LSTFIX) {
    list = setting.index;
  } else if (setting.name == Setting::Name::LSTSUP) {
    // From the last list: the first offset gives list 99 before any rule
    // uses it.
    for (std::size_t k = kLists; k >= 1 && list == 0; --k) {
      for (const ListStep& step : plan.history(k)) {
        if (std::visit(detail::OffsetOfStep{}, step.rule) ==
            static_cast<std::int32_t>(setting.index))
          list = k;
      }
    }
  }
  if (list == 0 || list > kLists || plan.history(list).empty()) return std::nullopt;
  const ListStep& last = plan.history(list).back();
  return SettingResult{list, last.after, &last};
}

}  // namespace sizgen
