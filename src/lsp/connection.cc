#include "lsp/connection.h"

#include <vector>

namespace sizgen::lsp {

std::string Connection::receive(std::string_view bytes) {
  std::string out;
  if (exitStatus()) return out;
  reader_.feed(bytes);
  using Kind = FrameReader::Frame::Kind;
  for (FrameReader::Frame received = reader_.next(); received.kind != Kind::None;
       received = reader_.next()) {
    const std::vector<std::string> replies = received.kind == Kind::Message
                                                 ? server_.receive(received.text)
                                                 : Server::frameError(received.text);
    for (const std::string& reply : replies) out += frame(reply);
    if (exitStatus()) break;
  }
  return out;
}

}  // namespace sizgen::lsp
