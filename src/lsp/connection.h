#pragma once

// The server on a stream of bytes: framing in, framing out.  Pure: the
// caller reads and writes.

#include <optional>
#include <string>
#include <string_view>

#include "lsp/framing.h"
#include "lsp/server.h"
#include "lsp/session.h"

namespace sizgen::lsp {

class Connection {
 public:
  explicit Connection(const ServerInfo& info) : server_(info) {}

  // Takes the bytes that arrived; returns the bytes to send.  Once exit
  // has come, nothing more is read.
  std::string receive(std::string_view bytes);

  // Set once exit has come: the status the process ends with.
  std::optional<int> exitStatus() const { return server_.exitStatus(); }
  // The status when the input ends before exit (a message cut short at
  // the end is dropped).
  int statusAtEndOfInput() const { return server_.statusAtEndOfInput(); }

 private:
  Server server_;
  FrameReader reader_;
};

}  // namespace sizgen::lsp
