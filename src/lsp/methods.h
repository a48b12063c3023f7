#pragma once

// The methods the server answers, one row each: its name, when it may
// come, what handles it and the capability that tells the client of it.
// A new feature is a row here and its handler.

#include <nlohmann/json.hpp>
#include <span>
#include <string_view>

#include "lsp/session.h"

namespace sizgen::lsp {

struct Method {
  enum class Kind { Request, Notification };
  // Initialize comes first and once, exit at any time, the others after
  // initialize and before shutdown.
  enum class When { First, Always, Running };

  std::string_view name;
  Kind kind;
  When when;
  // Handles the params; returns a request's result.  Throws RequestError
  // (or a JSON exception for params that are not as the protocol says).
  nlohmann::json (*handle)(Session& session, const nlohmann::json& params);
  // The key of ServerCapabilities that announces the method, and its value
  // as JSON text; empty: none.
  std::string_view capability;
  std::string_view capabilityValue;
};

// The row of method `name`, or null.
const Method* findMethod(std::string_view name);

// ServerCapabilities as the table announces them, without the position
// encoding, which the client negotiates.
nlohmann::json serverCapabilities();

}  // namespace sizgen::lsp
