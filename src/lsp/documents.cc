#include "lsp/documents.h"

#include <algorithm>

namespace sizgen::lsp {

bool Documents::open(std::string_view uri, std::int64_t version, std::string_view text) {
  close(uri);  // opened again: the new text replaces the old
  if (documents_.size() >= kMaxDocuments || text.size() > kMaxHeldBytes - heldBytes_) return false;
  documents_.emplace(std::string(uri), Document{version, std::string(text)});
  heldBytes_ += text.size();
  return true;
}

bool Documents::change(std::string_view uri, const TextChange& change, PositionEncoding encoding) {
  const auto found = documents_.find(uri);
  if (found == documents_.end()) return false;
  std::string& text = found->second.text;
  std::size_t begin = 0;
  std::size_t end = text.size();
  if (change.range) {
    const LineIndex lines(text);
    begin = lines.offset(change.range->start, encoding);
    end = std::max(begin, lines.offset(change.range->end, encoding));
  }
  const std::size_t others = heldBytes_ - text.size();
  const std::size_t kept = text.size() - (end - begin);
  if (change.text.size() > kMaxHeldBytes - others - kept) {
    close(uri);
    return false;
  }
  text.replace(begin, end - begin, change.text);
  heldBytes_ = others + text.size();
  return true;
}

void Documents::setVersion(std::string_view uri, std::int64_t version) {
  const auto found = documents_.find(uri);
  if (found != documents_.end()) found->second.version = version;
}

void Documents::close(std::string_view uri) {
  const auto found = documents_.find(uri);
  if (found == documents_.end()) return;
  heldBytes_ -= found->second.text.size();
  documents_.erase(found);
}

const Document* Documents::find(std::string_view uri) const {
  const auto found = documents_.find(uri);
  return found == documents_.end() ? nullptr : &found->second;
}

}  // namespace sizgen::lsp
