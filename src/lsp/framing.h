#pragma once

// The base protocol's framing: each message is a header of "Name: value"
// lines, each ending with CR LF, an empty line, then a body of exactly the
// bytes that its Content-Length says.  Content-Type may be given; no other
// header is needed.

#include <cstddef>
#include <string>
#include <string_view>

namespace sizgen::lsp {

// The limits that keep a client from making the server hold without end.
inline constexpr std::size_t kMaxHeaderBytes = 8192;
inline constexpr std::size_t kMaxBodyBytes = std::size_t{64} << 20;

// Splits a stream of bytes, given as it arrives, into message bodies.  A
// header that cannot be read is skipped to its end; a body longer than
// kMaxBodyBytes is skipped, byte by byte as it arrives, without being held.
class FrameReader {
 public:
  // Appends bytes that arrived.
  void feed(std::string_view bytes);

  // What the bytes so far hold next.
  struct Frame {
    enum class Kind {
      None,     // nothing complete yet: feed more
      Message,  // `text` is a message body
      Error,    // `text` says what was wrong with a frame, which is dropped
    };
    Kind kind = Kind::None;
    std::string text;
  };
  Frame next();

  // Whether bytes of an unfinished frame are held (or being skipped): at
  // the end of the input, a message that was cut short.
  bool partial() const { return state_ != State::Header || !buffer_.empty(); }

 private:
  enum class State {
    Header,      // collecting a header up to its empty line
    SkipHeader,  // a header too long: dropping bytes up to its empty line
    Body,        // collecting `remaining_` bytes of body
    SkipBody,    // dropping `remaining_` bytes of a body too long
  };
  Frame headerDone(std::string_view header);

  State state_ = State::Header;
  std::string buffer_;          // the bytes not yet taken
  std::size_t remaining_ = 0;   // with Body and SkipBody
  std::size_t searchFrom_ = 0;  // with Header: where the empty line may begin
};

// A message body with its header, ready to send.
std::string frame(std::string_view body);

}  // namespace sizgen::lsp
