#include "driver/deck_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/error.h"
#include "base/printable_text.h"

namespace sizgen {
namespace {

bool sameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether standard input is open for reading; the held closed one is not.
bool standardInputReadable() {
  const int flags = ::fcntl(STDIN_FILENO, F_GETFL);
  return flags != -1 && (flags & O_ACCMODE) != O_WRONLY;
}

}  // namespace

void holdClosedStandardInput() {
  if (::fcntl(STDIN_FILENO, F_GETFD) != -1 || errno != EBADF) return;
  // The lowest free descriptors: the read end takes 0, then the write end
  // takes its place there.
  int ends[2] = {-1, -1};
  if (::pipe(ends) != 0) return;
  ::dup2(ends[1], STDIN_FILENO);
  for (const int end : ends) {
    if (end != STDIN_FILENO) ::close(end);
  }
}

bool namesStandardInput(const std::string& path) {
  struct stat named {};
  struct stat input {};
  // A regular file can be read again from its start under any name: only
  // a pipe, a terminal or a closed standard input is read once.
  return ::stat(path.c_str(), &named) == 0 && ::fstat(STDIN_FILENO, &input) == 0 &&
         !S_ISREG(input.st_mode) && sameFile(named, input);
}

DeckFile openDeckFile(const std::string& path, const std::string& name) {
  DeckFile deck(std::fopen(path.c_str(), "re"));
  if (!deck) throw Error("cannot open " + name + ": " + std::strerror(errno));
  struct stat status {};
  struct stat input {};
  if (::fstat(fileno(deck.get()), &status) != 0) return deck;
  if (S_ISDIR(status.st_mode)) throw Error("cannot open " + name + ": " + std::strerror(EISDIR));
  if (!standardInputReadable() && ::fstat(STDIN_FILENO, &input) == 0 && sameFile(status, input))
    throw Error("cannot read standard input: " + std::string(std::strerror(EBADF)));
  return deck;
}

Deck openDeck(const std::string& path) {
  Deck deck;
  if (path.empty() || path == "-") return deck;
  deck.name = printableText(path);
  deck.file = openDeckFile(path, deck.name);
  deck.stream = deck.file.get();
  return deck;
}

}  // namespace sizgen
