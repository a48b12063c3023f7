#include "lsp/framing.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>

namespace sizgen::lsp {
namespace {

constexpr std::string_view kHeaderEnd = "\r\n\r\n";

bool sameLetters(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return lower(x) == lower(y);
  });
}

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

void FrameReader::feed(std::string_view bytes) {
  buffer_.append(bytes);
}

FrameReader::Frame FrameReader::next() {
  for (;;) {
    switch (state_) {
      case State::Header: {
        const std::size_t end = buffer_.find(kHeaderEnd, searchFrom_);
        if (end == std::string::npos) {
          if (buffer_.size() > kMaxHeaderBytes) {
            // Keep the last bytes: the empty line may begin among them.
            buffer_.erase(0, buffer_.size() - (kHeaderEnd.size() - 1));
            searchFrom_ = 0;
            state_ = State::SkipHeader;
            return {Frame::Kind::Error,
                    "a header longer than " + std::to_string(kMaxHeaderBytes) + " bytes"};
          }
          searchFrom_ =
              buffer_.size() < kHeaderEnd.size() ? 0 : buffer_.size() - (kHeaderEnd.size() - 1);
          return {};
        }
        const std::string header = buffer_.substr(0, end);
        buffer_.erase(0, end + kHeaderEnd.size());
        searchFrom_ = 0;
        Frame refused = headerDone(header);
        if (refused.kind == Frame::Kind::Error) return refused;
        break;
      }
      case State::SkipHeader: {
        const std::size_t end = buffer_.find(kHeaderEnd);
        if (end == std::string::npos) {
          buffer_.erase(0, buffer_.size() - std::min(buffer_.size(), kHeaderEnd.size() - 1));
          return {};
        }
        buffer_.erase(0, end + kHeaderEnd.size());
        state_ = State::Header;
        break;
      }
      case State::Body: {
        if (buffer_.size() < remaining_) return {};
        Frame message{Frame::Kind::Message, buffer_.substr(0, remaining_)};
        buffer_.erase(0, remaining_);
        state_ = State::Header;
        return message;
      }
      case State::SkipBody: {
        const std::size_t dropped = std::min(remaining_, buffer_.size());
        buffer_.erase(0, dropped);
        remaining_ -= dropped;
        if (remaining_ > 0) return {};
        state_ = State::Header;
        break;
      }
    }
  }
}

FrameReader::Frame FrameReader::headerDone(std::string_view header) {
  std::optional<std::size_t> length;  // nothing: no Content-Length
  bool overflow = false;              // a length past what a size holds
  while (!header.empty()) {
    const std::size_t lineEnd = std::min(header.find("\r\n"), header.size());
    const std::string_view line = header.substr(0, lineEnd);
    header.remove_prefix(std::min(lineEnd + 2, header.size()));
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || trimmed(line.substr(0, colon)).empty())
      return {Frame::Kind::Error, "a header line without a name and a colon"};
    if (!sameLetters(trimmed(line.substr(0, colon)), "Content-Length")) continue;
    const std::string_view value = trimmed(line.substr(colon + 1));
    std::size_t number = 0;
    const auto [end, failure] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (value.empty() || end != value.data() + value.size() ||
        (failure != std::errc() && failure != std::errc::result_out_of_range))
      return {Frame::Kind::Error, "a Content-Length that is not a number"};
    overflow = failure == std::errc::result_out_of_range;
    length = overflow ? std::numeric_limits<std::size_t>::max() : number;
  }
  if (!length) return {Frame::Kind::Error, "a header without Content-Length"};
  remaining_ = *length;
  if (overflow || *length > kMaxBodyBytes) {
    // The body is dropped as it comes: never held, never allocated.
    state_ = State::SkipBody;
    return {Frame::Kind::Error, "a body longer than " + std::to_string(kMaxBodyBytes) + " bytes"};
  }
  state_ = State::Body;
  return {};
}

std::string frame(std::string_view body) {
  std::string text = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  text += body;
  return text;
}

}  // namespace sizgen::lsp
