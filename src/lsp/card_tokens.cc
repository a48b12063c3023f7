#include "lsp/card_tokens.h"

#include <algorithm>

namespace sizgen::lsp {
namespace {

using Type = CardToken::Type;

// What each column of a card is, from 1; index 0 is not used.
class ColumnKinds {
 public:
  explicit ColumnKinds(const DeckCard& card) : text_(card.text), owner_(card.text.size() + 1) {}

  void mark(int first, int last, Type type, int owner) {
    for (int c = std::max(first, 1); c <= std::min(last, size()); ++c)
      owner_[static_cast<std::size_t>(c)] = {true, type, owner};
  }

  // Runs of one owner, with the blanks at their ends left out; the
  // columns no one marked are text not read, one token a word.
  void tokens(long card, std::vector<CardToken>& out) const {
    int c = 1;
    while (c <= size()) {
      if (blank(c)) {
        ++c;
        continue;
      }
      const Owner& own = owner_[static_cast<std::size_t>(c)];
      int last = c;
      while (last + 1 <= size() && sameRun(own, owner_[static_cast<std::size_t>(last) + 1]) &&
             (own.marked || !blank(last + 1)))
        ++last;
      int trimmed = last;
      while (trimmed > c && blank(trimmed)) --trimmed;
      out.push_back({card, c, trimmed, own.marked ? own.type : Type::Unread});
      c = last + 1;
    }
  }

 private:
  struct Owner {
    bool marked = false;
    Type type = Type::Unread;
    int id = 0;
  };
  static bool sameRun(const Owner& a, const Owner& b) {
    return a.marked == b.marked && a.type == b.type && a.id == b.id;
  }
  int size() const { return static_cast<int>(text_.size()); }
  bool blank(int c) const {
    const char ch = text_[static_cast<std::size_t>(c - 1)];
    return ch == ' ' || ch == '\t';
  }

  std::string_view text_;
  std::vector<Owner> owner_;
};

void cardTokensOf(const DeckCard& card, std::vector<CardToken>& out) {
  const int end = static_cast<int>(card.text.size());
  if (card.role == DeckCard::Role::Comment || card.role == DeckCard::Role::AfterDeckEnd) {
    const std::size_t first = card.text.find_first_not_of(" \t");
    if (first == std::string::npos) return;
    const auto last = static_cast<int>(card.text.find_last_not_of(" \t")) + 1;
    out.push_back({card.line, static_cast<int>(first) + 1, last,
                   card.role == DeckCard::Role::Comment ? Type::Comment : Type::Unread});
    return;
  }
  ColumnKinds kinds(card);
  constexpr int kCardEnd = static_cast<int>(kCardColumns);
  // The fields first: a BLANK card's word and a comment lie in the
  // columns of fields that read them as blanks.
  int id = 1;
  for (const DeckField& field : card.fields) {
    kinds.mark(field.firstColumn, std::min(field.lastColumn, kCardEnd), Type::Number, id++);
  }
  if (card.keywordFirstColumn > 0)
    kinds.mark(card.keywordFirstColumn, card.keywordLastColumn, Type::Keyword, -1);
  if (card.blank) kinds.mark(1, 5, Type::Keyword, -1);  // "BLANK"
  if (card.commentColumn > 0) kinds.mark(card.commentColumn, kCardEnd, Type::Comment, -2);
  // Past column 80 nothing is read, whatever the card.
  kinds.mark(kCardEnd + 1, end, Type::Unread, -3);
  kinds.tokens(card.line, out);
}

}  // namespace

std::vector<CardToken> cardTokens(const DeckReading& reading) {
  std::vector<CardToken> tokens;
  for (const DeckCard& card : reading.cards) cardTokensOf(card, tokens);
  return tokens;
}

}  // namespace sizgen::lsp
