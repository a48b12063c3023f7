#include "lsp/server.h"

#include <exception>
#include <iterator>
#include <utility>

#include "lsp/json_rpc.h"
#include "lsp/methods.h"

namespace sizgen::lsp {
namespace {

// Why the method `name` (whose row is `method`, null when there is none)
// may not come now, or nothing when it may.
std::optional<RequestError> refusal(std::string_view name, const Method* method,
                                    Session::Stage stage) {
  using Stage = Session::Stage;
  using When = Method::When;
  if (method != nullptr && method->when == When::Always) return std::nullopt;
  if (stage == Stage::Starting) {
    if (method != nullptr && method->when == When::First) return std::nullopt;
    return RequestError{ErrorCode::ServerNotInitialized, "the server is not initialized yet"};
  }
  if (stage == Stage::ShuttingDown)
    return RequestError{ErrorCode::InvalidRequest, "the server is shutting down"};
  if (method == nullptr)
    return RequestError{ErrorCode::MethodNotFound, "no method " + std::string(name)};
  if (method->when == When::First)
    return RequestError{ErrorCode::InvalidRequest, "the server is initialized already"};
  return std::nullopt;
}

}  // namespace

std::vector<std::string> Server::receive(std::string_view body) {
  const nlohmann::json parsed = nlohmann::json::parse(body, nullptr, false);
  const Incoming message = classify(parsed);
  const nlohmann::json id = messageId(parsed);
  std::vector<std::string> replies;
  switch (message.kind) {
    case Incoming::Kind::Invalid:
      replies.push_back(errorMessage(id, message.error));
      return replies;
    case Incoming::Kind::Response:
      return replies;  // the server sends no requests
    case Incoming::Kind::Request:
    case Incoming::Kind::Notification:
      break;
  }
  const bool request = message.kind == Incoming::Kind::Request;
  const Method* method = findMethod(message.method);
  if (method != nullptr && (method->kind == Method::Kind::Request) != request) method = nullptr;
  // A notification that may not come now is dropped, as is an unknown
  // one ("$/" ones included).
  if (const auto refused = refusal(message.method, method, session_.stage)) {
    if (request) replies.push_back(errorMessage(id, *refused));
    return replies;
  }

  std::optional<RequestError> failure;
  nlohmann::json result;
  try {
    result = method->handle(session_, messageParams(parsed));
  } catch (const RequestError& error) {
    failure = error;
  } catch (const nlohmann::json::exception& error) {
    failure = RequestError{ErrorCode::InvalidParams, "the params of " + message.method +
                                                         " are not as expected: " + error.what()};
  } catch (const std::exception& error) {
    failure = RequestError{ErrorCode::InternalError,
                           "internal error in " + message.method + ": " + error.what()};
  }
  if (request) {
    replies.push_back(failure ? errorMessage(id, *failure) : resultMessage(id, result));
  } else if (failure) {
    // A notification has no response: the client's log shows the failure.
    replies.push_back(logErrorMessage(failure->message));
  }
  replies.insert(replies.end(), std::make_move_iterator(session_.notifications.begin()),
                 std::make_move_iterator(session_.notifications.end()));
  session_.notifications.clear();
  return replies;
}

std::vector<std::string> Server::frameError(std::string_view what) {
  return {errorMessage(nullptr,
                       {ErrorCode::ParseError, "cannot read a message: " + std::string(what)})};
}

}  // namespace sizgen::lsp
