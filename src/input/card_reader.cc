#include "input/card_reader.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace sizgen {

bool CardReader::next(std::string& image) {
  // The first characters past column 80 shown in a warning.
  constexpr std::size_t kShownBeyond = 20;
  image.assign(kCardColumns, ' ');
  beyond_.first = 0;
  beyond_.text.clear();
  std::size_t column = 0;
  auto keep = [&](int c) {
    if (column < kCardColumns) {
      image[column] = static_cast<char>(c);
    } else if (c != ' ') {
      if (beyond_.first == 0) beyond_.first = column + 1;
      beyond_.last = column + 1;
    }
    if (beyond_.first != 0 && beyond_.text.size() < kShownBeyond && column + 1 >= beyond_.first)
      beyond_.text += static_cast<char>(c);
    ++column;
  };
  line_.clear();
  lineEnd_ = "";
  bool anything = false;
  bool carriageReturn = false;  // held back until we know what follows it
  errno = 0;
  for (;;) {
    int c = getc_unlocked(deck_);
    if (c == EOF) {
      if (std::ferror(deck_)) {
        throw ReadError("cannot read " + name_ + ": " +
                        (errno != 0 ? std::strerror(errno) : "read error"));
      }
      if (!anything) return false;
      if (carriageReturn) keep('\r');
      break;
    }
    anything = true;
    if (c == '\n') {
      lineEnd_ = carriageReturn ? "\r\n" : "\n";
      break;
    }
    if (keepLines_) line_ += static_cast<char>(c);
    if (carriageReturn) {
      keep('\r');
      carriageReturn = false;
    }
    if (c == '\r') {
      carriageReturn = true;
    } else {
      keep(c);
    }
  }
  if (keepLines_ && lineEnd_ == "\r\n") line_.pop_back();
  ++lineNumber_;
  return true;
}

bool CardReader::interactive() const {
  const int descriptor = fileno(deck_);
  return descriptor >= 0 && isatty(descriptor) != 0;
}

}  // namespace sizgen
