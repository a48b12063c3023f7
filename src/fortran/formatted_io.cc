#include "fortran/formatted_io.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <numeric>
#include <string>

#include "base/error.h"

// f2c.h defines macros (min, max, abs, ...) that clash with the C++
// library, so it comes after every C++ header and only into this file.
extern "C" {
#include <f2c.h>

integer s_wsfi(icilist*);
integer e_wsfi(void);
integer s_wsli(icilist*);
integer e_wsli(void);
integer do_fio(ftnint* count, char* item, ftnlen length);
integer do_lio(ftnint* type, ftnint* count, char* item, ftnlen length);
integer s_rsfi(icilist*);
integer e_rsfi(void);
}

#undef min
#undef max
#undef abs
#undef dabs
#undef dmin
#undef dmax
#undef bit_test
#undef bit_clear
#undef bit_set

namespace sizgen::fio {
namespace {

constexpr ftnint kTypeInteger = 3;    // TYLONG
constexpr ftnint kTypeCharacter = 9;  // TYCHAR

// note [end of an internal record]
// A record written into memory comes back blank-padded to the end of its
// buffer, where the same record written to a file ends at its last written
// character; the name fields of the generated lines keep trailing blanks,
// so the blanks alone do not tell where the record ends.  Each FORMAT
// therefore gets an end marker, a literal byte that no record of the
// program holds at its end, and the record is what stands before it.  A
// trailing nX moves the position in memory although it writes nothing to a
// file, so it is dropped before the marker is appended.
constexpr char kEndMarker = '\001';

// The longest record the program writes is an echo line of 112 columns;
// libf2c pads every record to this length, so it is not much longer.  A
// record that does not fit is refused (an internal error), never cut.
constexpr ftnint kRecordLength = 128;
// A list-directed write starts a new line beyond 80 columns in a file;
// here that would be a second record, which is refused.
constexpr ftnint kListRecordLength = 80;

[[noreturn]] void fault(std::string_view format, integer status) {
  throw InternalError("libf2c refused the write with FORMAT " + std::string(format) + " (error " +
                      std::to_string(status) + ")");
}

void check(integer status, std::string_view format) {
  if (status != 0) fault(format, status);
}

bool isPlainSkip(std::string_view descriptor) {
  return descriptor.size() >= 2 && descriptor.back() == 'X' &&
         std::all_of(descriptor.begin(), descriptor.end() - 1,
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

// `format` with a trailing nX dropped and the end marker appended.  The
// FORMATs of the program end with an edit descriptor or a literal that
// cannot be taken for an nX.
std::string withEndMarker(std::string_view format) {
  if (format.size() < 2 || format.front() != '(' || format.back() != ')')
    throw InternalError("not a FORMAT: " + std::string(format));
  std::string body(format.substr(0, format.size() - 1));
  std::size_t start = body.find_last_of(",(") + 1;
  if (isPlainSkip(std::string_view(body).substr(start)))
    body.erase(body[start - 1] == ',' ? start - 1 : start);
  if (body.back() != '(') body += ',';
  body += "1H";
  body += kEndMarker;
  body += ')';
  return body;
}

void transfer(const Item& item, std::string_view format) {
  ftnint one = 1;
  switch (item.kind()) {
    case Item::Kind::Integer: {
      integer value = item.integer();
      check(do_fio(&one, reinterpret_cast<char*>(&value), sizeof value), format);
      break;
    }
    case Item::Kind::Real: {
      doublereal value = item.real();
      check(do_fio(&one, reinterpret_cast<char*>(&value), sizeof value), format);
      break;
    }
    case Item::Kind::Text:
      check(do_fio(&one, const_cast<char*>(item.text().data()),
                   static_cast<ftnlen>(item.text().size())),
            format);
      break;
  }
}

// note [records beyond the first]
// A FORMAT with "/", or more items than the FORMAT takes in one pass,
// makes more than one record.  libf2c refuses the characters of a record
// beyond the internal file, but still pads each such record with blanks,
// past the end of the buffer.  So the buffer has room for one record more
// than the FORMAT's slashes and the items could start, the room after the
// first record holds a byte no record writes, and a record found there is
// reported as a fault of the program.
constexpr char kUntouched = '\0';

// The buffer of one WRITE whose records have `recordLength` characters:
// the record, then room for the records that must not be.
std::string recordBuffer(ftnint recordLength, std::size_t extraRecords) {
  std::string buffer((extraRecords + 2) * static_cast<std::size_t>(recordLength), kUntouched);
  return buffer;
}

// See note [records beyond the first].
void checkOneRecord(const std::string& buffer, std::size_t length, std::string_view format) {
  if (buffer[length] != kUntouched)
    throw InternalError("FORMAT " + std::string(format) + " makes more than one record");
}

// One formatted WRITE into memory; `transferItems` transfers the items.
// `endsWithNumber`: the last item is a number, see below.
template <class TransferItems>
std::string writeRecord(std::string_view format, std::size_t itemCount, bool endsWithNumber,
                        TransferItems transferItems) {
  std::string control = withEndMarker(format);
  auto slashes = static_cast<std::size_t>(std::count(format.begin(), format.end(), '/'));
  std::string buffer = recordBuffer(kRecordLength, slashes + itemCount);
  const auto length = static_cast<std::size_t>(kRecordLength);
  icilist io{1, buffer.data(), 1, control.data(), kRecordLength, 1};
  check(s_wsfi(&io), format);
  transferItems();
  check(e_wsfi(), format);
  checkOneRecord(buffer, length, format);
  std::string_view record(buffer.data(), length);
  // The marker is the last byte before the padding: searched from the end.
  if (const void* end = ::memrchr(record.data(), kEndMarker, record.size()))
    return {record.data(), static_cast<const char*>(end)};
  // The items ran out at a data edit descriptor, before the marker (the
  // last line of "(20I4)" holds 17 codes): the record ends with the last
  // item, a number, whose last character is never a blank.
  if (!endsWithNumber)
    throw InternalError("no end of record found for FORMAT " + std::string(format));
  return std::string(record.substr(0, record.find_last_not_of(' ') + 1));
}

template <class T>
std::optional<std::size_t> readItems(std::string_view record, std::string_view format,
                                     std::span<T> items) {
  std::string buffer(record);
  std::string control(format);
  icilist io{1, buffer.data(), 1, control.data(), static_cast<ftnint>(buffer.size()), 1};
  if (s_rsfi(&io) != 0) throw InternalError("libf2c refused the read with FORMAT " + control);
  ftnint one = 1;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (do_fio(&one, reinterpret_cast<char*>(&items[i]), sizeof(T)) != 0) return i;
  }
  if (e_rsfi() != 0 && !items.empty()) return items.size() - 1;
  return std::nullopt;
}

}  // namespace

std::string formatRecord(std::string_view format, std::initializer_list<Item> items) {
  bool endsWithNumber =
      items.size() > 0 && std::data(items)[items.size() - 1].kind() != Item::Kind::Text;
  return writeRecord(format, items.size(), endsWithNumber, [&] {
    for (const Item& item : items) transfer(item, format);
  });
}

std::string formatRecord(std::string_view format, std::span<const std::int32_t> values) {
  static_assert(sizeof(integer) == sizeof(std::int32_t));
  return writeRecord(format, values.size(), !values.empty(), [&] {
    auto count = static_cast<ftnint>(values.size());
    check(do_fio(&count, reinterpret_cast<char*>(const_cast<std::int32_t*>(values.data())),
                 sizeof(integer)),
          format);
  });
}

std::string listRecord(std::initializer_list<Item> items) {
  // Each item may start a record, a long text several.
  const std::size_t extraRecords = std::accumulate(
      items.begin(), items.end(), items.size(), [](std::size_t records, const Item& item) {
        return records + item.text().size() / static_cast<std::size_t>(kListRecordLength);
      });
  std::string buffer = recordBuffer(kListRecordLength, extraRecords);
  const auto length = static_cast<std::size_t>(kListRecordLength);
  icilist io{1, buffer.data(), 1, nullptr, kListRecordLength, 1};
  constexpr std::string_view kList = "list-directed";
  check(s_wsli(&io), kList);
  ftnint one = 1;
  for (const Item& item : items) {
    switch (item.kind()) {
      case Item::Kind::Integer: {
        integer value = item.integer();
        ftnint type = kTypeInteger;
        check(do_lio(&type, &one, reinterpret_cast<char*>(&value), sizeof value), kList);
        break;
      }
      case Item::Kind::Real:
        throw InternalError("list-directed REAL items are not written");
      case Item::Kind::Text: {
        ftnint type = kTypeCharacter;
        check(do_lio(&type, &one, const_cast<char*>(item.text().data()),
                     static_cast<ftnlen>(item.text().size())),
              kList);
        break;
      }
    }
  }
  check(e_wsli(), kList);
  checkOneRecord(buffer, length, kList);
  // libf2c cuts a text longer than the record without a word.
  if (buffer[length - 1] != ' ') throw InternalError("a list-directed record fills its 80 columns");
  if (items.size() == 0) throw InternalError("a list-directed record without items");
  // A list-directed record cannot carry an end marker (see note [end of an
  // internal record]).  Every one the program writes ends with a number or
  // with text whose last character is not a blank, so the record ends at
  // its last non-blank.
  const Item& last = std::data(items)[items.size() - 1];
  if (last.kind() == Item::Kind::Text && (last.text().empty() || last.text().back() == ' '))
    throw InternalError("a list-directed record must not end with a blank");
  std::string_view record(buffer.data(), length);
  return std::string(record.substr(0, record.find_last_not_of(' ') + 1));
}

std::optional<std::size_t> readRecord(std::string_view record, std::string_view format,
                                      std::span<std::int32_t> items) {
  return readItems(record, format, items);
}

std::optional<std::size_t> readRecord(std::string_view record, std::string_view format,
                                      std::span<double> items) {
  static_assert(sizeof(doublereal) == sizeof(double));
  return readItems(record, format, items);
}

}  // namespace sizgen::fio
