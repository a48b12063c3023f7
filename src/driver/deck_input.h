#pragma once

// Where a deck comes from: a file named on the command line, or standard
// input.  Standard input is read once: --diff cannot read both its decks
// from it, under any name, and a standard input closed when the program
// starts is refused under every name (-, /dev/stdin, /proc/self/fd/0).

#include <cstdio>
#include <memory>
#include <string>

namespace sizgen {

// A deck file, closed when it goes out of scope.
struct CloseDeckFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using DeckFile = std::unique_ptr<std::FILE, CloseDeckFile>;

// A closed standard input would lend its descriptor to the first file
// opened: the deck would be read from newmods.for.  Holds it with the
// write end of a pipe of its own, so that reading it fails (Bad file
// descriptor) and a name that leads to it is known by the pipe's identity,
// which no file of the file system shares.  Call before any file is
// opened.
void holdClosedStandardInput();

// Whether the file that `path` names is the one open as standard input,
// under a name such as /dev/stdin or /proc/self/fd/0, or its own (the
// same device and inode), and can be read only once: a pipe, a terminal,
// a closed standard input.  A regular file on standard input is read again
// from its start when it is opened by a name.
bool namesStandardInput(const std::string& path);

// Opens the deck file `path`, which messages call `name`, for reading.
// Throws sizgen::Error "cannot open NAME: REASON" (a directory: "Is a
// directory"), and for a name that leads to a standard input that cannot
// be read, what reading it as "-" gives: "cannot read standard input: Bad
// file descriptor".
DeckFile openDeckFile(const std::string& path, const std::string& name);

// A deck to read: the stream, how messages call it, and the file opened
// for it (none for standard input).
struct Deck {
  DeckFile file;
  std::FILE* stream = stdin;
  std::string name = "standard input";
};

// The deck that a command line names: standard input for "" and "-",
// else the file `path` opened by openDeckFile under its printable name.
// Every mode gets its decks here.
Deck openDeck(const std::string& path);

}  // namespace sizgen
