#pragma once

#include <stdexcept>
#include <string>

#include "base/card_place.h"

namespace sizgen {

// A failure the user can act on: a deck that cannot be processed, a file
// that cannot be opened or written, a size out of range.  The message says
// what went wrong and where; the top level prints it after "sizgen: " and
// ends the run with exit status 1.  Every error of a run travels back to
// the caller as this one type, never as an exit from deep inside.
class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// An error at a place on a card: the message names the card and the
// columns, which are kept as data too, so that a front end can mark them.
class CardError : public Error {
 public:
  // `reason` is what went wrong there and `where` the place as the deck's
  // messages word it ("card N, columns A-B"); the message is both.
  CardError(long card, int firstColumn, int lastColumn, const std::string& where,
            const std::string& reason)
      : Error(where + ": " + reason),
        card_(card),
        firstColumn_(firstColumn),
        lastColumn_(lastColumn),
        reason_(reason) {}

  long card() const { return card_; }
  int firstColumn() const { return firstColumn_; }
  int lastColumn() const { return lastColumn_; }
  const std::string& reason() const { return reason_; }

 private:
  long card_;
  int firstColumn_;
  int lastColumn_;
  std::string reason_;
};

// An error about a value that a card gave, whose message names the value
// first (a size out of range, then where its largest part came from): the
// message is as given, and the card and columns it blames are kept as data,
// so that a front end can mark them.
class ValueError : public Error {
 public:
  ValueError(const std::string& message, const CardPlace& place) : Error(message), place_(place) {}

  const CardPlace& place() const { return place_; }

 private:
  CardPlace place_;
};

// A fault of the program itself, never of the deck: a FORMAT that libf2c
// refuses, a record longer than the program ever writes.  The top level
// reports it as an internal error.
class InternalError : public std::logic_error {
 public:
  explicit InternalError(const std::string& message) : std::logic_error(message) {}
};

}  // namespace sizgen
