#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <utility>

#include "base/error.h"
#include "model/card_kind.h"

namespace sizgen {

// An input that cannot be read: its message names the deck already
// ("cannot read standard input: Is a directory").
class ReadError : public Error {
 public:
  using Error::Error;
};

// Reads the deck one line at a time as 80-column card images.  A line
// ends at a line feed, or at the end of the input (a last line without a
// line feed is a card like any other).  A carriage return just before the
// line feed belongs to the line end; any other carriage return is a
// character of the card.  Only the first 80 columns are kept, so memory
// does not grow with the length of a line; a shorter line is padded with
// blanks.
class CardReader {
 public:
  // `name` is how messages call the deck.
  explicit CardReader(std::FILE* deck, std::string name = "standard input")
      : deck_(deck), name_(std::move(name)) {}

  // Reads the next card into `image` (always 80 characters).  Returns
  // false at the end of the input.  Throws ReadError when the input
  // cannot be read.
  bool next(std::string& image);

  // Line number of the card last read, from 1.
  long lineNumber() const { return lineNumber_; }

  // The text of the card last read past column 80, which is not part of
  // the card: its columns and its first characters.  `first` is 0 when the
  // line holds only blanks there.
  struct BeyondCard {
    std::size_t first = 0;
    std::size_t last = 0;
    std::string text;
  };
  const BeyondCard& beyondCard() const { return beyond_; }

  // Keeps each line whole as well, for the model of the deck's cards
  // (memory then grows with the length of a line).
  void keepLines() { keepLines_ = true; }
  // With keepLines: the line last read, whole, without its line end, and
  // that line end: "\n", "\r\n", or "" for a last line without one.
  const std::string& line() const { return line_; }
  std::string_view lineEnd() const { return lineEnd_; }

  // Whether the deck is read from a terminal: there, nothing is read after
  // the deck's end, since a user typing it would have to end the input.
  bool interactive() const;

 private:
  std::FILE* deck_;
  std::string name_;
  long lineNumber_ = 0;
  BeyondCard beyond_;
  bool keepLines_ = false;
  std::string line_;
  std::string_view lineEnd_;
};

}  // namespace sizgen
