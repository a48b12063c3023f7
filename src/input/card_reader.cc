#include "input/card_reader.h"

#include <cerrno>
#include <cstring>

#include "base/error.h"

namespace sizgen {

bool CardReader::next(std::string& image) {
  image.assign(kCardColumns, ' ');
  std::size_t column = 0;
  auto keep = [&](int c) {
    if (column < kCardColumns) image[column] = static_cast<char>(c);
    ++column;
  };
  bool anything = false;
  bool carriageReturn = false;  // held back until we know what follows it
  errno = 0;
  for (;;) {
    int c = getc_unlocked(deck_);
    if (c == EOF) {
      if (std::ferror(deck_)) {
        throw Error("cannot read " + name_ + ": " +
                    (errno != 0 ? std::strerror(errno) : "read error"));
      }
      if (!anything) return false;
      if (carriageReturn) keep('\r');
      break;
    }
    anything = true;
    if (c == '\n') break;
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
  ++lineNumber_;
  return true;
}

}  // namespace sizgen
