#include "lsp/json_rpc.h"

namespace sizgen::lsp {
namespace {

using nlohmann::json;

// As text; a string that is not UTF-8 (a deck's bytes in a message) has
// those bytes replaced rather than failing.
std::string text(const json& message) {
  return message.dump(-1, ' ', false, json::error_handler_t::replace);
}

Incoming invalid(std::string reason) {
  Incoming message;
  message.error = {ErrorCode::InvalidRequest, std::move(reason)};
  return message;
}

bool validId(const json& id) {
  return id.is_string() || id.is_number_integer() || id.is_null();
}

}  // namespace

Incoming classify(const json& message) {
  if (message.is_discarded()) {
    Incoming parsed;
    parsed.error = {ErrorCode::ParseError, "the message is not JSON"};
    return parsed;
  }
  if (!message.is_object()) return invalid("a message is a JSON object");
  const auto id = message.find("id");
  if (id != message.end() && !validId(*id)) return invalid("an id is an integer or a string");
  const auto version = message.find("jsonrpc");
  if (version == message.end() || *version != "2.0")
    return invalid(R"(a message has "jsonrpc": "2.0")");
  const auto method = message.find("method");
  if (method == message.end()) {
    if (id != message.end() && (message.contains("result") || message.contains("error"))) {
      Incoming response;
      response.kind = Incoming::Kind::Response;
      return response;
    }
    return invalid("a request has a method");
  }
  if (!method->is_string()) return invalid("a method is a string");
  const json& params = messageParams(message);
  if (!params.is_null() && !params.is_object() && !params.is_array())
    return invalid("params are an object or an array");
  Incoming parsed;
  parsed.kind = id == message.end() ? Incoming::Kind::Notification : Incoming::Kind::Request;
  parsed.method = method->get<std::string>();
  return parsed;
}

json messageId(const json& message) {
  if (!message.is_object()) return nullptr;
  const auto id = message.find("id");
  return id != message.end() && validId(*id) ? *id : json(nullptr);
}

const json& messageParams(const json& message) {
  static const json none;
  const auto params = message.find("params");
  return params != message.end() ? *params : none;
}

std::string resultMessage(const json& id, const json& result) {
  return text({{"jsonrpc", "2.0"}, {"id", id}, {"result", result}});
}

std::string errorMessage(const json& id, const RequestError& error) {
  return text({{"jsonrpc", "2.0"},
               {"id", id},
               {"error", {{"code", static_cast<int>(error.code)}, {"message", error.message}}}});
}

std::string notificationMessage(std::string_view method, const json& params) {
  return text({{"jsonrpc", "2.0"}, {"method", method}, {"params", params}});
}

std::string logErrorMessage(std::string_view text) {
  constexpr int kError = 1;  // the MessageType of an error
  return notificationMessage("window/logMessage", {{"type", kError}, {"message", text}});
}

}  // namespace sizgen::lsp
