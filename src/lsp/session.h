#pragma once

// What the server knows of its client between two messages.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lsp/documents.h"
#include "lsp/text_positions.h"

namespace sizgen::lsp {

// How the server names itself in the result of initialize.
struct ServerInfo {
  std::string_view name;
  std::string_view version;
};

struct Session {
  enum class Stage {
    Starting,      // before initialize
    Running,       // initialized
    ShuttingDown,  // after shutdown: only exit is left
  };
  Stage stage = Stage::Starting;
  ServerInfo info;
  PositionEncoding encoding = PositionEncoding::Utf16;
  Documents documents;
  // The notifications that the message being handled sends, as bodies.
  std::vector<std::string> notifications;
  // Set by exit: the process's exit status.
  std::optional<int> exitStatus;
};

}  // namespace sizgen::lsp
