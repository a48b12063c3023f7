#include "lsp/methods.h"

#include <algorithm>
#include <array>

#include "lsp/diagnostics_json.h"
#include "lsp/feature_json.h"
#include "lsp/json_rpc.h"

namespace sizgen::lsp {
namespace {

using nlohmann::json;

void logError(Session& session, const std::string& message) {
  session.notifications.push_back(logErrorMessage(message));
}

// The diagnostics of document `uri`, or none when it is not held.
void publishDiagnostics(Session& session, const std::string& uri) {
  json params = {{"uri", uri}, {"diagnostics", json::array()}};
  if (const Document* document = session.documents.find(uri)) {
    params["version"] = document->version;
    params["diagnostics"] = diagnosticsJson(document->text, session.encoding);
  }
  session.notifications.push_back(notificationMessage("textDocument/publishDiagnostics", params));
}

// UTF-8 when the client offers it: it is how the text is held.
PositionEncoding negotiatedEncoding(const json& params) {
  const json encodings =
      params.value(json::json_pointer("/capabilities/general/positionEncodings"), json::array());
  const bool utf8 =
      encodings.is_array() && std::find(encodings.begin(), encodings.end(),
                                        encodingName(PositionEncoding::Utf8)) != encodings.end();
  return utf8 ? PositionEncoding::Utf8 : PositionEncoding::Utf16;
}

json initialize(Session& session, const json& params) {
  session.encoding = negotiatedEncoding(params);
  session.stage = Session::Stage::Running;
  json capabilities = serverCapabilities();
  capabilities["positionEncoding"] = encodingName(session.encoding);
  return {{"capabilities", capabilities},
          {"serverInfo", {{"name", session.info.name}, {"version", session.info.version}}}};
}

json initialized(Session& /*session*/, const json& /*params*/) {
  return nullptr;
}

json shutdownServer(Session& session, const json& /*params*/) {
  session.stage = Session::Stage::ShuttingDown;
  return nullptr;
}

json exitServer(Session& session, const json& /*params*/) {
  session.exitStatus = session.stage == Session::Stage::ShuttingDown ? 0 : 1;
  return nullptr;
}

json didOpen(Session& session, const json& params) {
  const json& item = params.at("textDocument");
  const auto uri = item.at("uri").get<std::string>();
  if (!session.documents.open(uri, item.at("version").get<std::int64_t>(),
                              item.at("text").get<std::string>()))
    logError(session, uri + " is not checked: the server holds too many documents already");
  publishDiagnostics(session, uri);
  return nullptr;
}

Position positionOf(const json& position) {
  return {position.at("line").get<std::int64_t>(), position.at("character").get<std::int64_t>()};
}

json didChange(Session& session, const json& params) {
  const json& identifier = params.at("textDocument");
  const auto uri = identifier.at("uri").get<std::string>();
  if (session.documents.find(uri) == nullptr) {
    logError(session, "a change of " + uri + ", which is not open");
    return nullptr;
  }
  for (const json& change : params.at("contentChanges")) {
    TextChange edit;
    if (change.contains("range")) {
      const json& range = change.at("range");
      edit.range = Range{positionOf(range.at("start")), positionOf(range.at("end"))};
    }
    edit.text = change.at("text").get_ref<const std::string&>();
    if (!session.documents.change(uri, edit, session.encoding)) {
      logError(session, uri + " is no longer checked: it grew past what the server holds");
      break;
    }
  }
  session.documents.setVersion(uri, identifier.at("version").get<std::int64_t>());
  publishDiagnostics(session, uri);
  return nullptr;
}

json didClose(Session& session, const json& params) {
  session.documents.close(params.at("textDocument").at("uri").get<std::string>());
  publishDiagnostics(session, params.at("textDocument").at("uri").get<std::string>());
  return nullptr;
}

// The text of the document a request is about; null when it is not held,
// and the request's result is then null.
const std::string* documentText(const Session& session, const json& params) {
  const Document* document =
      session.documents.find(params.at("textDocument").at("uri").get_ref<const std::string&>());
  return document == nullptr ? nullptr : &document->text;
}

Range rangeOf(const json& range) {
  return {positionOf(range.at("start")), positionOf(range.at("end"))};
}

json hover(Session& session, const json& params) {
  const std::string* text = documentText(session, params);
  if (text == nullptr) return nullptr;
  return hoverJson(*text, session.encoding, positionOf(params.at("position")));
}

json semanticTokens(Session& session, const json& params) {
  const std::string* text = documentText(session, params);
  if (text == nullptr) return nullptr;
  return semanticTokensJson(*text, session.encoding);
}

json inlayHints(Session& session, const json& params) {
  const std::string* text = documentText(session, params);
  if (text == nullptr) return nullptr;
  return inlayHintsJson(*text, session.encoding, rangeOf(params.at("range")));
}

// Null, not an error, for a deck with an error: clients show an error
// response to the user, and the deck's error is among its diagnostics
// already.
json formatting(Session& session, const json& params) {
  const std::string* text = documentText(session, params);
  if (text == nullptr) return nullptr;
  return formattingJson(*text, session.encoding);
}

// cppcheck-suppress constParameterCallback ; the table gives every method the session
json codeActions(Session& session, const json& params) {
  const std::string* text = documentText(session, params);
  if (text == nullptr) return nullptr;
  return codeActionsJson(params.at("textDocument").at("uri").get_ref<const std::string&>(), *text,
                         session.encoding, rangeOf(params.at("range")));
}

using Kind = Method::Kind;
using When = Method::When;

// clang-format off
constexpr std::array<Method, 12> kMethods = {{
    // name                      kind                 when           handler
    {"initialize",               Kind::Request,      When::First,   initialize,  {}, {}},
    {"initialized",              Kind::Notification, When::Running, initialized, {}, {}},
    {"shutdown",                 Kind::Request,      When::Running, shutdownServer, {}, {}},
    {"exit",                     Kind::Notification, When::Always,  exitServer,  {}, {}},
    // Documents are sent whole when opened, then as edits.
    {"textDocument/didOpen",     Kind::Notification, When::Running, didOpen,
     "textDocumentSync", R"({"openClose": true, "change": 2})"},
    {"textDocument/didChange",   Kind::Notification, When::Running, didChange,   {}, {}},
    {"textDocument/didClose",    Kind::Notification, When::Running, didClose,    {}, {}},
    {"textDocument/hover",       Kind::Request,      When::Running, hover,
     "hoverProvider", "true"},
    // The legend is added from the tokens' own table.
    {"textDocument/semanticTokens/full", Kind::Request, When::Running, semanticTokens,
     "semanticTokensProvider", R"({"full": true})"},
    {"textDocument/inlayHint",   Kind::Request,      When::Running, inlayHints,
     "inlayHintProvider", "true"},
    {"textDocument/formatting",  Kind::Request,      When::Running, formatting,
     "documentFormattingProvider", "true"},
    {"textDocument/codeAction",  Kind::Request,      When::Running, codeActions,
     "codeActionProvider", R"({"codeActionKinds": ["quickfix"]})"},
}};
// clang-format on

}  // namespace

const Method* findMethod(std::string_view name) {
  const auto* row = std::find_if(kMethods.begin(), kMethods.end(),
                                 [name](const Method& method) { return method.name == name; });
  return row == kMethods.end() ? nullptr : row;
}

json serverCapabilities() {
  json capabilities = json::object();
  for (const Method& method : kMethods) {
    if (!method.capability.empty())
      capabilities[std::string(method.capability)] = json::parse(method.capabilityValue);
  }
  capabilities["semanticTokensProvider"]["legend"] = semanticTokensLegend();
  return capabilities;
}

}  // namespace sizgen::lsp
