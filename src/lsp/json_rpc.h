#pragma once

// JSON-RPC 2.0 messages as the protocol uses them: what a body received
// holds, and the bodies of responses and notifications to send.

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace sizgen::lsp {

// The error codes of JSON-RPC and of the protocol.
enum class ErrorCode : int {
  ParseError = -32700,
  InvalidRequest = -32600,
  MethodNotFound = -32601,
  InvalidParams = -32602,
  InternalError = -32603,
  ServerNotInitialized = -32002,
};

// A request that fails: the error its response carries.
struct RequestError {
  ErrorCode code = ErrorCode::InvalidRequest;
  std::string message;
};

// What one message holds.
struct Incoming {
  enum class Kind {
    Request,       // with an id, a method and maybe params
    Notification,  // with a method and maybe params
    Response,      // the client's answer to a request: nothing for us
    Invalid,       // `error` says why
  };
  Kind kind = Kind::Invalid;
  std::string method;
  RequestError error;
};
// `message` is a body as parsed, discarded when it is not JSON.
Incoming classify(const nlohmann::json& message);
// The id of `message`, when it has one that is an integer or a string;
// else null.
nlohmann::json messageId(const nlohmann::json& message);
// The params of `message`, or null.
const nlohmann::json& messageParams(const nlohmann::json& message);

// The bodies to send: a request's result, its error, a notification.
std::string resultMessage(const nlohmann::json& id, const nlohmann::json& result);
std::string errorMessage(const nlohmann::json& id, const RequestError& error);
std::string notificationMessage(std::string_view method, const nlohmann::json& params);
// A line for the client's log that says something failed.
std::string logErrorMessage(std::string_view text);

}  // namespace sizgen::lsp
