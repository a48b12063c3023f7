#include "lsp/serve.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <string_view>

#include "lsp/connection.h"

namespace sizgen::lsp {
namespace {

// Writes all of `bytes`; false when the client cannot take them.
bool writeAll(int output, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(output, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

int serveLanguageServer(int input, int output, ServerInfo info) {
  std::signal(SIGPIPE, SIG_IGN);
  Connection connection(info);
  std::array<char, 65536> chunk{};
  for (;;) {
    const ssize_t got = ::read(input, chunk.data(), chunk.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return connection.statusAtEndOfInput();
    const std::string replies =
        connection.receive(std::string_view(chunk.data(), static_cast<std::size_t>(got)));
    if (!writeAll(output, replies)) return connection.statusAtEndOfInput();
    if (const auto status = connection.exitStatus()) return *status;
  }
}

}  // namespace sizgen::lsp
