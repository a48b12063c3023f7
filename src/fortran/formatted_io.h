#pragma once

// Fortran formatted I/O through libf2c.  This header and formatted_io.cc
// are the only code that knows libf2c.  Every line the program writes is
// made here, in memory, by libf2c's formatted or list-directed write with
// the FORMAT that describes it, and handed back as the text of one record,
// exactly as it would stand in a file:
//
//   std::string line = fio::formatRecord("(6X,3HEND,71X)");
//   std::string debug = fio::listRecord({" LSTNEW(1) =", size});
//
// Card fields are read the same way, by libf2c's internal formatted read.
// Writing the records out is the caller's business.

#include <cstdint>
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

// The one record that WRITE (unit, format) items makes.  The FORMAT must
// make exactly one record (no "/", no more items than it takes in one
// pass); anything else is an internal error.
std::string formatRecord(std::string_view format, std::initializer_list<Item> items = {});
// WRITE (unit, format) (values(i), i = 1, n), also one record.
std::string formatRecord(std::string_view format, std::span<const std::int32_t> values);

// The one record that the list-directed WRITE (unit, *) items makes.
std::string listRecord(std::initializer_list<Item> items);

// Internal READ (record, format) of one record held in memory, into
// INTEGER*4 or REAL*8 items, field by field exactly as libf2c reads them.
// Returns the index (0-based) of the first item that could not be read,
// or nothing when every item was read.
std::optional<std::size_t> readRecord(std::string_view record, std::string_view format,
                                      std::span<std::int32_t> items);
std::optional<std::size_t> readRecord(std::string_view record, std::string_view format,
                                      std::span<double> items);

}  // namespace sizgen::fio
