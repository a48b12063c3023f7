#pragma once

// The text documents the client has open, as it last sent them.  What is
// held is bounded: a client that opens too many, or grows one past the
// limit, is refused instead of filling memory.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "lsp/text_positions.h"

namespace sizgen::lsp {

inline constexpr std::size_t kMaxDocuments = 1024;
inline constexpr std::size_t kMaxHeldBytes = std::size_t{256} << 20;  // of all documents

struct Document {
  std::int64_t version = 0;
  std::string text;
};

// One change of a document's text: the text that replaces `range`, or the
// whole text when there is no range.
struct TextChange {
  std::optional<Range> range;
  std::string_view text;
};

class Documents {
 public:
  // Records a document opened; false when it would pass the limits (the
  // document is then not held).
  bool open(std::string_view uri, std::int64_t version, std::string_view text);

  // Applies `change` to the document, counting positions in `encoding`;
  // false when the document is not open, or when the result would pass the
  // limits (the document is then dropped).
  bool change(std::string_view uri, const TextChange& change, PositionEncoding encoding);

  void setVersion(std::string_view uri, std::int64_t version);
  void close(std::string_view uri);

  const Document* find(std::string_view uri) const;

 private:
  std::map<std::string, Document, std::less<>> documents_;
  std::size_t heldBytes_ = 0;
};

}  // namespace sizgen::lsp
