#pragma once

#include "lsp/session.h"

namespace sizgen::lsp {

// Serves the protocol on the file descriptors `input` and `output` until
// the client sends exit or goes away; returns the exit status the
// protocol names (0 after shutdown, else 1).  A client that stops reading
// is a client gone: SIGPIPE is ignored from here on.  Writes no file.
int serveLanguageServer(int input, int output, ServerInfo info);

}  // namespace sizgen::lsp
