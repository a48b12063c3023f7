#include "reading/deck_reading.h"

#include <memory>
#include <utility>
#include <vector>

#include "base/error.h"
#include "input/card_reader.h"
#include "input/deck_reader.h"
#include "sizing/run_planning.h"

namespace sizgen {
namespace {

DeckError deckError(const Error& error) {
  if (const auto* place = dynamic_cast<const CardError*>(&error)) {
    return {place->card(), place->firstColumn(), place->lastColumn(), place->reason(),
            place->what()};
  }
  // A value out of range: its message names the value, the card is data.
  if (const auto* value = dynamic_cast<const ValueError*>(&error)) {
    const CardPlace& place = value->place();
    return {place.card, place.firstColumn, place.lastColumn, error.what(), error.what()};
  }
  return {.reason = error.what(), .message = error.what()};
}

// Marks each value that a later card of the deck sets again, and each
// card-level setting (RAM TABLES, SCALE) given again: the last one wins.
void markOverrides(std::vector<DeckCard>& cards) {
  // The last card that set each setting, by name and index; 0: none yet.
  constexpr std::size_t kIndexes = 128;
  std::vector<long> last(kSettingNames.size() * kIndexes, 0);
  auto overrider = [&](const Setting& setting, long line) {
    if (setting.index >= kIndexes) throw InternalError("a setting index out of range");
    return std::exchange(last[static_cast<std::size_t>(setting.name) * kIndexes + setting.index],
                         line);
  };
  for (std::size_t i = cards.size(); i-- > 0;) {
    DeckCard& card = cards[i];
    if (card.role == DeckCard::Role::AfterDeckEnd) continue;
    if (card.sets) card.overriddenBy = overrider(*card.sets, card.line);
    for (DeckField& field : card.fields) {
      if (field.sets) field.overriddenBy = overrider(*field.sets, card.line);
    }
  }
}

// Plans the deck whose cards recorded `settings`.
void plan(DeckReading& reading, const DeckSettings& settings) {
  reading.readToEnd = true;
  reading.warnings = settings.warnings;
  try {
    reading.plan = planRun(settings);
    reading.warnings = allWarnings(*reading.plan);
  } catch (const Error& error) {
    reading.error = deckError(error);
  }
}

struct CloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

DeckReading readDeckCards(std::FILE* deck, const std::string& name) {
  CardReader cards(deck, name);
  cards.keepLines();
  DeckReading reading;
  DeckSettings settings;
  try {
    settings = readDeck(cards, &reading);
  } catch (const Error& error) {
    markOverrides(reading.cards);
    reading.error = deckError(error);
    return reading;
  }
  markOverrides(reading.cards);
  plan(reading, settings);
  return reading;
}

DeckReading readDeckText(std::string_view deck) {
  if (deck.empty()) {
    // Nothing to read: the plan of a deck without cards.
    DeckReading reading;
    plan(reading, DeckSettings{});
    return reading;
  }
  std::string buffer(deck);
  const std::unique_ptr<std::FILE, CloseFile> file(fmemopen(buffer.data(), buffer.size(), "r"));
  if (!file) throw InternalError("cannot read a deck held in memory");
  DeckReading reading = readDeckCards(file.get());
  const long consumed = std::ftell(file.get());
  if (consumed >= 0 && static_cast<std::size_t>(consumed) < deck.size())
    reading.unread = deck.substr(static_cast<std::size_t>(consumed));
  return reading;
}

}  // namespace sizgen
