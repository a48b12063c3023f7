#include "lsp/json_rpc.h"

namespace sizgen::lsp {
namespace {

using nlohmann::json;

// As text; a string that is not UTF-8 (a deck's bytes in a message) has
// those bytes replaced rather than failing.
std::string text(const json& message) {
  return message.dump(-1, ' ', false, json::error_handler_t::replace);
}

Incoming invalid(std::string reason, json id = nullptr) {
  Incoming message;
  message.id = std::move(id);
  message.error = {ErrorCode::InvalidRequest, std::move(reason)};
  return message;
}

}  // namespace

Incoming parseMessage(std::string_view body) {
  json message = json::parse(body, nullptr, false);
  if (message.is_discarded()) {
    Incoming parsed;
    parsed.error = {ErrorCode::ParseError, "the message is not JSON"};
    return parsed;
  }
  if (!message.is_object()) return invalid("a message is a JSON object");
  json id = nullptr;
  const auto idField = message.find("id");
  if (idField != message.end()) {
    if (!idField->is_string() && !idField->is_number_integer() && !idField->is_null())
      return invalid("an id is an integer or a string");
    id = *idField;
  }
  const auto version = message.find("jsonrpc");
  if (version == message.end() || *version != "2.0")
    return invalid("a message has \"jsonrpc\": \"2.0\"", id);
  const auto method = message.find("method");
  if (method == message.end()) {
    if (idField != message.end() && (message.contains("result") || message.contains("error"))) {
      Incoming response;
      response.kind = Incoming::Kind::Response;
      return response;
    }
    return invalid("a request has a method", id);
  }
  if (!method->is_string()) return invalid("a method is a string", id);
  Incoming parsed;
  const auto params = message.find("params");
  if (params != message.end()) {
    if (!params->is_object() && !params->is_array())
      return invalid("params are an object or an array", id);
    parsed.params = std::move(*params);
  }
  parsed.kind = idField == message.end() ? Incoming::Kind::Notification : Incoming::Kind::Request;
  parsed.id = std::move(id);
  parsed.method = method->get<std::string>();
  return parsed;
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
