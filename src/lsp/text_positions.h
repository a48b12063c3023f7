#pragma once

// Positions in a document as the protocol counts them: a line and a
// character offset in that line, in the code units of the encoding the
// client and the server agreed on.  Lines end at CR LF, LF or a lone CR.
// The text is held as the bytes the client sent (UTF-8); a byte that does
// not begin a well-formed sequence counts as one character.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace sizgen::lsp {

enum class PositionEncoding {
  Utf16,  // the protocol's default
  Utf8,
};

// The encoding's name in the protocol ("utf-16", "utf-8").
constexpr std::string_view encodingName(PositionEncoding encoding) {
  return encoding == PositionEncoding::Utf8 ? "utf-8" : "utf-16";
}

struct Position {
  std::int64_t line = 0;
  std::int64_t character = 0;
  friend bool operator==(const Position&, const Position&) = default;
};

struct Range {
  Position start;
  Position end;
  friend bool operator==(const Range&, const Range&) = default;
};

// The length in bytes of the character that begins at `offset` (1 for a
// byte that does not begin a well-formed UTF-8 sequence).
std::size_t characterBytes(std::string_view text, std::size_t offset);

// The first character boundary at or after `offset`, walking from
// `from`, a boundary before it.
std::size_t characterEnd(std::string_view text, std::size_t from, std::size_t offset);

// Where each line of a text begins and ends, to turn protocol positions
// into byte offsets and back.  It refers to the text, which must outlive
// it unchanged.
class LineIndex {
 public:
  explicit LineIndex(std::string_view text);

  // The byte offset of `position`.  A line past the last is the end of
  // the text; a character past the end of its line is that line's end (as
  // the protocol asks); one inside a character is the end of it.
  std::size_t offset(Position position, PositionEncoding encoding) const;

  // The position of byte `offset`: inside a character, the start of it;
  // inside a line break, the end of the line.
  Position position(std::size_t offset, PositionEncoding encoding) const;

 private:
  struct Line {
    std::size_t begin;
    std::size_t end;  // where its line break begins
  };
  std::string_view text_;
  std::vector<Line> lines_;
};

}  // namespace sizgen::lsp
