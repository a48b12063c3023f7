#include "input/deck_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "input/card_fields.h"

namespace sizgen {
namespace {

struct Keyword {
  std::string_view text;
  CardKind kind;
};

// clang-format off
constexpr std::array<Keyword, 8> kKeywords = {{
    {"C ",         CardKind::Comment},
    {"DEFAULT",    CardKind::DefaultMultiplier},
    {"SCALE ",     CardKind::FinalMultiplier},
    {"FIXED ",     CardKind::FixedLists},
    {"CARDS ",     CardKind::CardLimit},
    {"NBHDSW",     CardKind::List6Scale},
    {"RAM TABLES", CardKind::RamTables},
    {"ROUND UP",   CardKind::Quantum},
}};
// clang-format on

// The text that marks the optional fourth list-size card.
constexpr std::string_view kFourthCardMarker = "Optional card for Lists 31, etc.";

// The value field of DEFAULT, SCALE, CARDS, NBHDSW and ROUND UP cards.
constexpr FieldColumns kValueField{9, 8};
// The ten fields of a list-size card and the thirty flags of FIXED.
constexpr FieldColumns kListFields{1, 8};
constexpr FieldColumns kFixedFlags{11, 2};

// Quantum recorded when ROUND UP gives a value below 1.
constexpr std::int32_t kLargestQuantum = 4194304;

// Where the next list-size card goes: its first list, or 41 for the
// supplemental offsets; 51 ends the deck.
constexpr int kFirstCard = 1;
constexpr int kFourthCard = 31;
constexpr int kOffsetsCard = 41;
constexpr int kDeckEnd = 51;

enum class Next { ReadCard, DispatchAgain, EndDeck };

class DeckReader {
 public:
  DeckReader(CardReader& cards, const fio::Unit& listing, DeckSettings& settings, ListSizes& LSTNEW)
      : cards_(cards), listing_(listing), settings_(settings), LSTNEW_(LSTNEW) {}

  void run() {
    std::string card;
    while (cards_.next(card)) {
      Next next = dispatch(card);
      if (next == Next::DispatchAgain) next = dispatch(card);
      if (next == Next::EndDeck) return;
    }
  }

 private:
  Next dispatch(const std::string& card) {
    CardFields fields(card, cards_.lineNumber());
    switch (classifyCard(card)) {
      case CardKind::Comment:
        listing_.write("(25H Comment card is ignored.,6X,1H1,A80)", {card});
        break;
      case CardKind::DefaultMultiplier:
        settings_.DEFMUL = readValue<double>(fields);
        listing_.write("(21H Default multiplier =,F8.3,3H  1,A80)", {settings_.DEFMUL, card});
        break;
      case CardKind::FinalMultiplier:
        settings_.KSCALE = 1;
        settings_.FINMUL = readValue<double>(fields);
        listing_.write("(19H Final multiplier =,F10.4,3H  1,A80)", {settings_.FINMUL, card});
        break;
      case CardKind::FixedLists: {
        std::array<std::int32_t, 30> flags{};
        fields.readIntegers("(10X,30I2)", kFixedFlags, flags);
        for (std::size_t k = 1; k <= flags.size(); ++k) settings_.LSTFIX(k) = flags[k - 1];
        break;
      }
      case CardKind::CardLimit: {
        auto limit = readValue<std::int32_t>(fields);
        listing_.write("(21H Limit CIDEAL cards =,I6,'    |',A80)", {limit, card});
        LSTNEW_(31) = limit;
        break;
      }
      case CardKind::List6Scale:
        settings_.SCALE6 = readValue<double>(fields);
        listing_.write("(19H List 6 scaled by =,F10.2,3H  1,A80)", {settings_.SCALE6, card});
        break;
      case CardKind::RamTables:
        settings_.KRAMTB = 1;
        break;
      case CardKind::Quantum: {
        auto quantum = readValue<std::int32_t>(fields);
        settings_.NQUANT = quantum < 1 ? kLargestQuantum : quantum;
        listing_.write("(18H Quantized bytes =,I9,4X,1H1,A80)", {settings_.NQUANT, card});
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
      fields.readReals("(8X,E8.0)", kValueField, value);
    } else {
      fields.readIntegers("(8X,I8)", kValueField, value);
    }
    return value[0];
  }

  Next listSizeCard(const std::string& card) {
    if (LFIRST_ == kFourthCard) {
      if (card.find(kFourthCardMarker) == std::string::npos) {
        // No fourth card: this card holds the supplemental offsets.
        LFIRST_ = kOffsetsCard;
        return Next::DispatchAgain;
      }
      listing_.write("(24H 4th card (Lists 31-32).,7X,1H1,A80)", {card});
      settings_.NLISTS = 32;
    } else {
      echoListSizeCard(card);
    }

    std::string image = card;
    std::size_t brace = image.find('{');
    if (brace != std::string::npos)
      std::fill(image.begin() + static_cast<long>(brace), image.end(), ' ');
    if (image.starts_with("BLANK ")) image.assign(kCardColumns, ' ');

    std::string hint = listCardHint(card);
    if (image.find(kFourthCardMarker) != std::string::npos) {
      // The marker's letters were read as fields.
      hint = " (the text \"" + std::string(kFourthCardMarker) + "\" goes in the card's { comment)";
    }
    CardFields fields(image, cards_.lineNumber(), hint);
    std::array<std::int32_t, 10> values{};
    if (image.find('E') != std::string::npos) {
      std::array<double, 10> reals{};
      fields.readReals("(10E8.0)", kListFields, reals);
      for (std::size_t i = 0; i < reals.size(); ++i) {
        values[i] = fields.truncate(reals[i], kListFields, i);
      }
    } else {
      std::size_t count = LFIRST_ == kOffsetsCard ? 7 : 10;
      fields.readIntegers("(10I8)", kListFields, std::span(values).first(count));
    }

    if (LFIRST_ <= kFourthCard) {
      for (std::size_t i = 0; i < values.size(); ++i)
        LSTNEW_(static_cast<std::size_t>(LFIRST_) + i) = values[i];
    } else {
      for (std::size_t i = 1; i <= 7; ++i) settings_.LSTSUP(i) = values[i - 1];
      if (settings_.LSTSUP(1) < 1) settings_.LSTSUP(1) = 80000;
      if (settings_.LSTSUP(2) < 1) settings_.LSTSUP(2) = 742;
    }

    LFIRST_ += 10;
    return LFIRST_ == kDeckEnd ? Next::EndDeck : Next::ReadCard;
  }

  void echoListSizeCard(const std::string& card) {
    switch (LFIRST_) {
      case kFirstCard:
        listing_.write("(24H 1st card (Lists  1-10).,7X,1H1,A80)", {card});
        break;
      case 11:
        listing_.write("(24H 2nd card (Lists 11-20).,7X,1H1,A80)", {card});
        break;
      case 21:
        listing_.write("(24H 3rd card (Lists 21-29).,7X,1H1,A80)", {card});
        break;
      default:
        listing_.write("(' Supplemental offsets.',9X,1H1,A80)", {card});
        break;
    }
  }

  CardReader& cards_;
  const fio::Unit& listing_;
  DeckSettings& settings_;
  ListSizes& LSTNEW_;
  int LFIRST_ = kFirstCard;
};

}  // namespace

CardKind classifyCard(std::string_view image) {
  for (const Keyword& keyword : kKeywords) {
    if (image.starts_with(keyword.text)) return keyword.kind;
  }
  return CardKind::ListSize;
}

void readDeck(CardReader& cards, const fio::Unit& listing, DeckSettings& settings,
              ListSizes& LSTNEW) {
  DeckReader(cards, listing, settings, LSTNEW).run();
}

}  // namespace sizgen
