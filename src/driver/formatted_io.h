#pragma once

// Fortran formatted I/O through libf2c.  This header and formatted_io.cc
// are the only code that knows libf2c: a call site names the unit, the
// FORMAT exactly as the generated or listed line needs it, and plain C++
// values, for example
//
//   out(6).write("(20I4)", codes);
//   out(46).writeList({" LSTNEW(1) =", size});
//
// Every failure of the library becomes a sizgen::Error.

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace sizgen::fio {

// One value transferred by a WRITE: an INTEGER*4, a REAL*8, or CHARACTER
// text of a fixed length (written with all its characters, trailing blanks
// included).
class Item {
 public:
  enum class Kind { Integer, Real, Text };

  // Implicit, so that the items of a WRITE read as a plain list of values.
  // cppcheck-suppress noExplicitConstructor
  Item(std::int32_t value) : kind_(Kind::Integer), integer_(value) {}
  // cppcheck-suppress noExplicitConstructor
  Item(double value) : kind_(Kind::Real), real_(value) {}
  // cppcheck-suppress noExplicitConstructor
  Item(std::string_view text) : kind_(Kind::Text), text_(text) {}
  // cppcheck-suppress noExplicitConstructor
  Item(const char* text) : Item(std::string_view(text)) {}
  // cppcheck-suppress noExplicitConstructor
  Item(const std::string& text) : Item(std::string_view(text)) {}

  Kind kind() const { return kind_; }
  std::int32_t integer() const { return integer_; }
  double real() const { return real_; }
  std::string_view text() const { return text_; }

 private:
  Kind kind_;
  std::int32_t integer_ = 0;
  double real_ = 0.0;
  std::string_view text_;
};

// A connected unit.  Each write is one WRITE statement; a FORMAT with "/"
// makes several records.  A write that fails throws sizgen::Error naming
// the unit's file.
class Unit {
 public:
  constexpr explicit Unit(int number) : number_(number) {}
  // A unit whose writes go nowhere: a rehearsal of what would be written.
  static constexpr Unit discarding() { return Unit(-1); }

  int number() const { return number_; }

  // WRITE (unit, format) items
  void write(std::string_view format, std::initializer_list<Item> items = {}) const;
  // WRITE (unit, format) (values(i), i = 1, n)
  void write(std::string_view format, std::span<const std::int32_t> values) const;
  // WRITE (unit, *) items
  void writeList(std::initializer_list<Item> items) const;

 private:
  int number_;
};

constexpr Unit out(int number) {
  return Unit(number);
}

// Internal READ (record, format) of one record held in memory, into
// INTEGER*4 or REAL*8 items, field by field exactly as libf2c reads them.
// Returns the index (0-based) of the first item that could not be read,
// or nothing when every item was read.
std::optional<std::size_t> readRecord(std::string_view record, std::string_view format,
                                      std::span<std::int32_t> items);
std::optional<std::size_t> readRecord(std::string_view record, std::string_view format,
                                      std::span<double> items);

struct SessionState;

// The I/O of one run: connects unit 5 to standard input and unit 6 to the
// listing stream, as the runtime start-up does, and owns every unit opened
// until the run ends.  Only one session exists at a time; a new one may be
// started after the previous one has ended, so a whole run can be repeated
// in one process.
class Session {
 public:
  explicit Session(std::FILE* listing = stdout);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  // Closes every unit still open, without reporting (the run has already
  // failed or close() has been called).
  ~Session();

  // Whether the run writes a file or only connects it.
  enum class Use { Written, NeverWritten };

  // OPEN (UNIT=unit, FILE=path, STATUS='UNKNOWN', FORM='FORMATTED').
  // `name` is how messages call the file.  A path that cannot be written
  // (a directory, no permission; for a file never written, one that cannot
  // be read) throws before anything is written to it.
  void open(int unit, const std::string& path, std::string_view name, Use use = Use::Written);

  // Ends the files' part of the run: pushes out what was written to each
  // file opened by name, checks that it all reached the file, and closes
  // it; a written file is cut to what the run wrote, an unwritten one keeps
  // its content.  Throws on the first failure.
  void closeFiles();

  // Ends the run's I/O: closes the files as closeFiles() does, pushes out
  // the listing, and closes every unit.  Throws on the first failure.
  void close();

 private:
  SessionState* state_;  // the connections of libf2c's units, which are global
};

}  // namespace sizgen::fio
