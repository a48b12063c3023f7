#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace sizgen {

// A failure the user can act on: a deck that cannot be processed, a file
// that cannot be opened or written, a size out of range.  The message says
// what went wrong and where; the top level prints it after "sizgen: " and
// ends the run with exit status 1.  Every error of a run travels back to
// the caller as this one type, never as an exit from deep inside.
class Error : public std::runtime_error {
 public:
  // The card and columns an error lies at, for a front end that shows the
  // place beside the deck instead of in the message; card 0: no one card.
  struct Place {
    long card = 0;
    int firstColumn = 0;
    int lastColumn = 0;
  };

  explicit Error(const std::string& message) : std::runtime_error(message) {}
  // An error at `place`, whose message names the place in its first
  // `reasonStart` characters and says what is wrong in the rest.
  Error(const std::string& message, Place place, std::size_t reasonStart)
      : std::runtime_error(message), place_(place), reasonStart_(reasonStart) {}

  const Place& place() const { return place_; }
  // The message without the place it begins with.
  std::string_view reason() const { return std::string_view(what()).substr(reasonStart_); }

 private:
  Place place_;
  std::size_t reasonStart_ = 0;
};

// A fault of the program itself, never of the deck: a FORMAT that libf2c
// refuses, a record longer than the program ever writes.  The top level
// reports it as an internal error.
class InternalError : public std::logic_error {
 public:
  explicit InternalError(const std::string& message) : std::logic_error(message) {}
};

}  // namespace sizgen
