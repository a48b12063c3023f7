#pragma once

// The language server without its input and output: it takes the body of
// each message received and gives the bodies to send back, so that the
// whole protocol can be driven from strings.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lsp/session.h"

namespace sizgen::lsp {

class Server {
 public:
  explicit Server(const ServerInfo& info) { session_.info = info; }

  // Handles one message body; returns the bodies to send, in order.
  std::vector<std::string> receive(std::string_view body);

  // A frame that could not be read (`what` says why): the error to send.
  static std::vector<std::string> frameError(std::string_view what);

  // Set once exit has come: the status the process ends with.
  std::optional<int> exitStatus() const { return session_.exitStatus; }

  // The status when the client goes away without exit: as exit would
  // give it then.
  int statusAtEndOfInput() const { return session_.stage == Session::Stage::ShuttingDown ? 0 : 1; }

 private:
  Session session_;
};

}  // namespace sizgen::lsp
