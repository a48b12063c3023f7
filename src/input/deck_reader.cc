#include "input/deck_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <type_traits>

#include "fortran/formatted_io.h"
#include "input/card_fields.h"
#include "input/deck_warnings.h"

namespace sizgen {
namespace {

// The text that marks the optional fourth list-size card.
constexpr std::string_view kFourthCardMarker = "Optional card for Lists 31, etc.";

// Quantum recorded when ROUND UP gives a value below 1.
constexpr std::int32_t kLargestQuantum = 4194304;

// The first and second supplemental offsets recorded when the card gives
// a value below 1.
constexpr std::array<std::int32_t, 2> kOffsetReplacements = {80000, 742};

// The list the CARDS card sets.
constexpr std::size_t kCardLimitList = 31;

// Where the next list-size card goes: its first list, or 41 for the
// supplemental offsets; 51 ends the deck.
constexpr int kFirstCard = 1;
constexpr int kFourthCard = 31;
constexpr int kOffsetsCard = 41;
constexpr int kDeckEnd = 51;

// Whether the text of `image` past column 80 belongs to a comment: a
// comment card's, or a list-size card's { comment, which runs to the end
// of the line.
bool commentRunsPastColumn80(std::string_view image) {
  const CardKind kind = classifyCard(image);
  return kind == CardKind::Comment ||
         (kind == CardKind::ListSize && image.find('{') != std::string_view::npos);
}

enum class Next { ReadCard, DispatchAgain, EndDeck };

class DeckReader {
 public:
  // Without a listing (nullptr), no echo line is made.
  DeckReader(CardReader& cards, Sink* listing, DeckReading* record)
      : cards_(cards), listing_(listing), record_(record) {}

  DeckSettings run() {
    std::string card;
    while (cards_.next(card)) {
      beginRecord(DeckCard::Role::ListSize);
      if (cards_.beyondCard().first != 0 && !commentRunsPastColumn80(card))
        warn(pastColumn80(cards_.lineNumber(), cards_.beyondCard()));
      Next next = dispatch(card);
      if (next == Next::DispatchAgain) next = dispatch(card);
      if (next == Next::EndDeck) {
        readPastEnd(card);
        break;
      }
    }
    return settings_;
  }

  // The warnings of the cards read so far.
  const Warnings& warnings() const { return settings_.warnings; }

 private:
  // The echo line of a keyword card: its FORMAT with `items`.
  void echo(CardKind kind, std::initializer_list<fio::Item> items) {
    if (listing_ == nullptr) return;
    for (const Keyword& keyword : kKeywords) {
      if (keyword.kind == kind) listing_->write(fio::formatRecord(keyword.echoFormat, items));
    }
  }

  void warn(Warning warning) { settings_.warnings.push_back(std::move(warning)); }
  void warn(Warnings warnings) {
    for (Warning& warning : warnings) warn(std::move(warning));
  }

  // The model of the cards, when one is recorded: each card as it is
  // read, then what the reader takes it for and its fields.
  void beginRecord(DeckCard::Role role) {
    if (record_ == nullptr) return;
    DeckCard& recorded = record_->cards.emplace_back();
    recorded.line = cards_.lineNumber();
    recorded.text = cards_.line();
    recorded.lineEnd = cards_.lineEnd();
    recorded.role = role;
  }
  DeckCard* recording() { return record_ != nullptr ? &record_->cards.back() : nullptr; }

  // The fields `columns` of this card (the first `count`), before they
  // are read: where each lies and what it holds.
  void recordFields(const CardFields& fields, std::string_view image, FieldColumns columns,
                    std::size_t count, bool real) {
    DeckCard* recorded = recording();
    if (recorded == nullptr) return;
    recorded->fields.clear();
    recorded->fields.reserve(count);
    const std::vector<CardFields::Span> spans = fields.spans(columns, count);
    for (std::size_t i = 0; i < count; ++i) {
      const CardFields::Span& span = spans[i];
      DeckField& field = recorded->fields.emplace_back();
      field.number = static_cast<int>(i) + 1;
      field.firstColumn = static_cast<int>(span.begin) + 1;
      field.lastColumn = static_cast<int>(span.end);
      field.shift = columns.first + static_cast<int>(i) * columns.width - field.firstColumn;
      field.text = image.substr(span.begin, span.end - span.begin);
      field.real = real;
    }
  }

  // Field `index` (from 0) was read: its value and what it sets.
  void recordValue(std::size_t index, std::int32_t value, double real,
                   std::optional<Setting> sets = std::nullopt,
                   std::optional<std::int32_t> replacedBy = std::nullopt) {
    DeckCard* recorded = recording();
    if (recorded == nullptr) return;
    DeckField& field = recorded->fields.at(index);
    field.read = true;
    field.value = value;
    field.realValue = real;
    field.sets = sets;
    field.replacedBy = replacedBy;
  }

  // The one value of a keyword card, read and recorded.
  template <class T>
  T readRecordedValue(const CardFields& fields, const std::string& card, Setting::Name sets) {
    recordFields(fields, card, kValueField, 1, std::is_same_v<T, double>);
    T value = readValue<T>(fields);
    if constexpr (std::is_same_v<T, double>) {
      recordValue(0, 0, value, Setting{sets});
    } else {
      recordValue(0, value, value, Setting{sets});
    }
    return value;
  }

  // The cards after the one that ends the deck are not read: the first
  // with text is worth a warning, unless the deck comes from a terminal,
  // where reading on would wait for more.  Only the next kCardsPastEnd
  // cards are looked at, so that an endless input (yes BLANK | sizgen)
  // still ends the run.  A read that fails there does not concern the run.
  static constexpr long kCardsPastEnd = 10000;
  void readPastEnd(std::string& card) {
    if (cards_.interactive()) return;
    const long lastCard = cards_.lineNumber();
    long first = 0;
    long more = 0;
    bool moreUncounted = false;
    std::string firstImage;
    try {
      while (cards_.next(card)) {
        beginRecord(DeckCard::Role::AfterDeckEnd);
        if (cards_.lineNumber() - lastCard > kCardsPastEnd) {
          moreUncounted = true;
          break;
        }
        if (card.find_first_not_of(' ') == std::string::npos) continue;
        if (first == 0) {
          first = cards_.lineNumber();
          firstImage = card;
        } else {
          ++more;
        }
      }
    } catch (const Error&) {
      // Nothing after the deck's end is needed.
    }
    if (first != 0) warn(afterDeckEnd(firstImage, first, lastCard, more, moreUncounted));
  }

  // A keyword card seen before: the later one overrides it.
  void noteKeywordCard(CardKind kind) {
    const auto index = static_cast<std::size_t>(kind);
    if (seen_[index] != 0) warn(givenAgain(cards_.lineNumber(), keywordOf(kind), seen_[index]));
    seen_[index] = cards_.lineNumber();
  }

  // The value field of a keyword card that read `read`: blanks inside it,
  // or else a number in the columns the card does not read.
  void checkValueField(const std::string& card, const CardFields& fields, CardKind kind,
                       double read) {
    if (auto warning = blanksInField(card, cards_.lineNumber(), fields.span(kValueField, 0))) {
      warn(std::move(*warning));
    } else {
      checkUnreadColumns(card, kind, read);
    }
  }

  // A number in the columns that a keyword card, which read `read`, does
  // not read.
  void checkUnreadColumns(const std::string& card, CardKind kind, double read = 0.0) {
    if (auto outside = numberOutsideColumns(card, cards_.lineNumber(), keywordOf(kind), read))
      warn(std::move(*outside));
  }

  // List 31 set by this card, `what`, from `read`, after a card of the
  // other kind set it: this one wins.
  void checkCardLimitList(std::string_view what, CardFields::Span read) {
    const CardOrigin& earlier = settings_.LSTNEW(kCardLimitList).origin;
    if (earlier.card != 0 && earlier.what != what)
      warn(listGivenTwice(cards_.lineNumber(), read, kCardLimitList, earlier.card, earlier.what));
  }

  Next dispatch(const std::string& card) {
    CardFields fields(card, cards_.lineNumber());
    const CardKind kind = classifyCard(card);
    if (kind != CardKind::Comment && kind != CardKind::ListSize) noteKeywordCard(kind);
    if (DeckCard* recorded = recording(); recorded != nullptr && kind != CardKind::ListSize) {
      recorded->role =
          kind == CardKind::Comment ? DeckCard::Role::Comment : DeckCard::Role::Keyword;
      recorded->kind = kind;
      recorded->name = kind == CardKind::Comment ? "comment" : keywordName(kind);
      recorded->keywordFirstColumn = 1;
      recorded->keywordLastColumn =
          kind == CardKind::Comment ? 1 : static_cast<int>(keywordName(kind).size());
    }
    switch (kind) {
      case CardKind::Comment:
        echo(kind, {card});
        break;
      case CardKind::DefaultMultiplier:
        settings_.DEFMUL = {readRecordedValue<double>(fields, card, Setting::Name::DEFMUL),
                            valueOrigin(fields, kind)};
        checkValueField(card, fields, kind, settings_.DEFMUL);
        echo(kind, {settings_.DEFMUL.value, card});
        break;
      case CardKind::FinalMultiplier:
        settings_.KSCALE = 1;
        if (DeckCard* recorded = recording()) recorded->sets = Setting{Setting::Name::KSCALE};
        settings_.FINMUL = {readRecordedValue<double>(fields, card, Setting::Name::FINMUL),
                            valueOrigin(fields, kind)};
        checkValueField(card, fields, kind, settings_.FINMUL);
        echo(kind, {settings_.FINMUL.value, card});
        break;
      case CardKind::FixedLists: {
        std::array<std::int32_t, kFixedFlags.count> flags{};
        recordFields(fields, card, kFixedFlags, flags.size(), false);
        fields.readIntegers(kFixedFlags, flags);
        for (std::size_t k = 1; k <= flags.size(); ++k) {
          recordValue(k - 1, flags[k - 1], flags[k - 1], Setting{Setting::Name::LSTFIX, k});
          settings_.LSTFIX(k) = {flags[k - 1], fieldOrigin(fields, keywordName(kind), kFixedFlags,
                                                           k - 1, flags[k - 1])};
        }
        checkUnreadColumns(card, kind);
        warn(fieldWarnings(card, cards_.lineNumber(), fields, kFixedFlags, flags.size()));
        break;
      }
      case CardKind::CardLimit: {
        auto limit = readRecordedValue<std::int32_t>(fields, card, Setting::Name::LSTNEW);
        if (DeckCard* recorded = recording()) recorded->fields[0].sets->index = kCardLimitList;
        checkValueField(card, fields, kind, limit);
        checkCardLimitList(keywordName(kind), fields.span(kValueField, 0));
        echo(kind, {limit, card});
        settings_.LSTNEW(kCardLimitList) = {limit, valueOrigin(fields, kind, limit)};
        break;
      }
      case CardKind::List6Scale:
        settings_.SCALE6 = {readRecordedValue<double>(fields, card, Setting::Name::SCALE6),
                            valueOrigin(fields, kind)};
        checkValueField(card, fields, kind, settings_.SCALE6);
        echo(kind, {settings_.SCALE6.value, card});
        break;
      case CardKind::RamTables:
        settings_.KRAMTB = {1, {.card = cards_.lineNumber(), .what = keywordName(kind)}};
        if (DeckCard* recorded = recording()) recorded->sets = Setting{Setting::Name::KRAMTB};
        checkUnreadColumns(card, kind);
        break;
      case CardKind::Quantum: {
        auto quantum = readRecordedValue<std::int32_t>(fields, card, Setting::Name::NQUANT);
        if (DeckCard* recorded = recording(); recorded != nullptr && quantum < 1)
          recorded->fields[0].replacedBy = kLargestQuantum;
        checkValueField(card, fields, kind, quantum);
        settings_.NQUANT = {quantum < 1 ? kLargestQuantum : quantum,
                            valueOrigin(fields, kind, quantum)};
        echo(kind, {settings_.NQUANT.value, card});
        break;
      }
      case CardKind::ListSize:
        return listSizeCard(card);
    }
    return Next::ReadCard;
  }

  // The one value of a keyword card, columns 9-16.
  template <class T>
  T readValue(const CardFields& fields) {
    std::array<T, 1> value{};
    if constexpr (std::is_same_v<T, double>) {
      fields.readReals(kValueField, value);
    } else {
      fields.readIntegers(kValueField, value);
    }
    return value[0];
  }

  // Where the one value of a keyword card was read from, and the value
  // read when it matters.
  CardOrigin valueOrigin(const CardFields& fields, CardKind kind, std::int32_t value = 0) const {
    CardOrigin origin = fieldOrigin(fields, keywordName(kind), kValueField, 0, value);
    origin.field = 0;
    return origin;
  }

  // Where field `index` (from 0) of this card was read from, and its value.
  CardOrigin fieldOrigin(const CardFields& fields, std::string_view what, FieldColumns columns,
                         std::size_t index, std::int32_t value) const {
    const CardFields::Span span = fields.span(columns, index);
    return {.card = cards_.lineNumber(),
            .what = what,
            .field = static_cast<int>(index) + 1,
            .firstColumn = static_cast<int>(span.begin) + 1,
            .lastColumn = static_cast<int>(span.end),
            .value = value};
  }

  Next listSizeCard(const std::string& card) {
    if (LFIRST_ == kFourthCard) {
      if (card.find(kFourthCardMarker) == std::string::npos) {
        // No fourth card: this card holds the supplemental offsets.
        LFIRST_ = kOffsetsCard;
        return Next::DispatchAgain;
      }
      echoListSizeCard(card);
      settings_.NLISTS = 32;
    } else {
      echoListSizeCard(card);
    }

    std::string image = card;
    std::size_t brace = image.find('{');
    if (brace != std::string::npos)
      std::fill(image.begin() + static_cast<long>(brace), image.end(), ' ');
    if (image.starts_with("BLANK ")) image.assign(kCardColumns, ' ');
    if (DeckCard* recorded = recording()) {
      recorded->role =
          LFIRST_ == kOffsetsCard ? DeckCard::Role::SupplementalOffsets : DeckCard::Role::ListSize;
      recorded->firstList = LFIRST_ <= kFourthCard ? LFIRST_ : 0;
      recorded->name = listCard(LFIRST_).name;
      recorded->commentColumn = brace != std::string::npos ? static_cast<int>(brace) + 1 : 0;
      recorded->blank = card.starts_with("BLANK ");
    }

    std::string hint = listCardHint(card);
    if (image.find(kFourthCardMarker) != std::string::npos) {
      // The marker's letters were read as fields.
      hint = " (the text \"" + std::string(kFourthCardMarker) + "\" goes in the card's { comment)";
    }
    CardFields fields(image, cards_.lineNumber(), hint);
    std::array<std::int32_t, kListFields.count> values{};
    std::array<double, kListFields.count> reals{};
    const bool readAsReals = image.find('E') != std::string::npos;
    const std::size_t readFields = LFIRST_ == kOffsetsCard && !readAsReals ? 7 : 10;
    recordFields(fields, image, kListFields, readFields, readAsReals);
    if (readAsReals) {
      fields.readReals(kListFields, reals);
      for (std::size_t i = 0; i < reals.size(); ++i) {
        recordValue(i, 0, reals[i]);
        values[i] = fields.truncate(reals[i], kListFields, i);
      }
    } else {
      fields.readIntegers(kListFields, std::span(values).first(readFields));
    }
    for (std::size_t i = 0; i < readFields; ++i) {
      std::optional<Setting> sets;
      if (LFIRST_ <= kFourthCard) {
        sets = Setting{Setting::Name::LSTNEW, static_cast<std::size_t>(LFIRST_) + i};
      } else if (i < 7) {
        sets = Setting{Setting::Name::LSTSUP, i + 1};
      }
      std::optional<std::int32_t> replacedBy;
      if (LFIRST_ == kOffsetsCard && i < kOffsetReplacements.size() && values[i] < 1)
        replacedBy = kOffsetReplacements[i];
      recordValue(i, values[i], reals[i], sets, replacedBy);
    }
    warn(fieldWarnings(image, cards_.lineNumber(), fields, kListFields, readFields));
    if (LFIRST_ == kFourthCard)
      checkCardLimitList(listCard(LFIRST_).name, fields.span(kListFields, 0));

    auto origin = [&](std::size_t i) {
      CardOrigin read = fieldOrigin(fields, listCard(LFIRST_).name, kListFields, i, values[i]);
      read.readAsReal = readAsReals;
      read.real = reals[i];
      return read;
    };
    if (LFIRST_ <= kFourthCard) {
      for (std::size_t i = 0; i < values.size(); ++i)
        settings_.LSTNEW(static_cast<std::size_t>(LFIRST_) + i) = {values[i], origin(i)};
    } else {
      for (std::size_t i = 1; i <= 7; ++i) {
        // The origin keeps the value read when a replacement is recorded.
        const std::int32_t replacement = i <= kOffsetReplacements.size() && values[i - 1] < 1
                                             ? kOffsetReplacements[i - 1]
                                             : values[i - 1];
        settings_.LSTSUP(i) = {replacement, origin(i - 1)};
      }
    }

    LFIRST_ += 10;
    return LFIRST_ == kDeckEnd ? Next::EndDeck : Next::ReadCard;
  }

  void echoListSizeCard(const std::string& card) {
    if (listing_ != nullptr)
      listing_->write(fio::formatRecord(listCard(LFIRST_).echoFormat, {card}));
  }

  CardReader& cards_;
  Sink* listing_;
  DeckReading* record_;
  DeckSettings settings_;
  int LFIRST_ = kFirstCard;
  // The line of the last card of each kind, 0: none yet.
  std::array<long, static_cast<std::size_t>(CardKind::ListSize) + 1> seen_{};
};

}  // namespace

CardKind classifyCard(std::string_view image) {
  for (const Keyword& keyword : kKeywords) {
    if (image.starts_with(keyword.text)) return keyword.kind;
  }
  return CardKind::ListSize;
}

namespace {

DeckSettings readWith(DeckReader& reader, DeckReading* record) {
  try {
    return reader.run();
  } catch (const Error&) {
    if (record != nullptr) record->warnings = reader.warnings();
    throw;
  }
}

}  // namespace

DeckSettings readDeck(CardReader& cards, Sink& listing, DeckReading* record) {
  DeckReader reader(cards, &listing, record);
  return readWith(reader, record);
}

DeckSettings readDeck(CardReader& cards, DeckReading* record) {
  DeckReader reader(cards, nullptr, record);
  return readWith(reader, record);
}

}  // namespace sizgen
