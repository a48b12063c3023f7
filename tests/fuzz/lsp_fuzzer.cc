// Feeds arbitrary bytes to the language server, all in memory.  The first
// byte picks how:
//
//   even: the rest is the client's byte stream as it is (framing, headers,
//         JSON), given in chunks of 1 + byte / 2 bytes;
//   odd:  a session the harness frames: initialize (offering UTF-8 when
//         bit 1 is set), then a deck opened with the text up to the first
//         NUL, then edits, each five bytes (start line and character, end
//         line and character, the length of the text) and that text (at
//         most kEdits of them), each followed by a request about the
//         deck (hover, semantic tokens, inlay hints, formatting or code
//         actions, picked by the length byte) at the edit's positions,
//         then shutdown and exit.
//
// Whatever comes, every reply must be a well-framed JSON object; anything
// else (a crash, a sanitizer report, a leak, an exception) is a fault.

#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "lsp/connection.h"
#include "lsp/framing.h"

namespace {

using nlohmann::json;
using sizgen::lsp::Connection;
using sizgen::lsp::FrameReader;

std::string framed(const json& message) {
  return sizgen::lsp::frame(message.dump(-1, ' ', false, json::error_handler_t::replace));
}

// Every reply in `out` is a frame whose body is a JSON object.
void checkReplies(const std::string& out) {
  FrameReader reader;
  reader.feed(out);
  for (auto frame = reader.next(); frame.kind != FrameReader::Frame::Kind::None;
       frame = reader.next()) {
    if (frame.kind != FrameReader::Frame::Kind::Message) std::abort();
    if (!json::parse(frame.text, nullptr, false).is_object()) std::abort();
  }
  if (reader.partial()) std::abort();
}

// The requests about a document, one after each edit.
constexpr const char* kRequests[] = {"textDocument/hover", "textDocument/semanticTokens/full",
                                     "textDocument/inlayHint", "textDocument/formatting",
                                     "textDocument/codeAction"};

// At most this many edits a session: each one reads and plans the deck.
constexpr int kEdits = 32;

std::string session(std::uint8_t mode, std::string_view input) {
  const std::string uri = "file:///fuzz.deck";
  json capabilities = json::object();
  if ((mode & 2U) != 0) capabilities["general"]["positionEncodings"] = {"utf-8"};
  std::string bytes = framed({{"jsonrpc", "2.0"},
                              {"id", 1},
                              {"method", "initialize"},
                              {"params", {{"capabilities", capabilities}}}});
  const std::size_t end = std::min(input.find('\0'), input.size());
  bytes += framed({{"jsonrpc", "2.0"},
                   {"method", "textDocument/didOpen"},
                   {"params",
                    {{"textDocument",
                      {{"uri", uri},
                       {"languageId", "deck"},
                       {"version", 0},
                       {"text", std::string(input.substr(0, end))}}}}}});
  input.remove_prefix(std::min(end + 1, input.size()));
  for (int version = 1; input.size() >= 5 && version <= kEdits; ++version) {
    auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(input[i]); };
    const json range = {{"start", {{"line", byte(0) % 32}, {"character", byte(1)}}},
                        {"end", {{"line", byte(2) % 32}, {"character", byte(3)}}}};
    const std::size_t length = std::min<std::size_t>(byte(4), input.size() - 5);
    const std::size_t which = byte(4) % std::size(kRequests);
    const std::string text(input.substr(5, length));
    input.remove_prefix(5 + length);
    const json change = {{"range", range}, {"text", text}};
    const json params = {{"textDocument", {{"uri", uri}, {"version", version}}},
                         {"contentChanges", json::array({change})}};
    bytes += framed({{"jsonrpc", "2.0"}, {"method", "textDocument/didChange"}, {"params", params}});
    // A request about the deck as it now stands, at the edit's positions.
    const json document = {{"uri", uri}};
    const json& start = range.at("start");
    json request = {{"textDocument", document}};
    switch (which) {
      case 0:
        request["position"] = start;
        break;
      case 1:
        break;
      case 2:
        request["range"] = range;
        break;
      case 3:
        request["options"] = {{"tabSize", 8}, {"insertSpaces", true}};
        break;
      default:
        request["range"] = range;
        request["context"] = {{"diagnostics", json::array()}};
        break;
    }
    bytes += framed({{"jsonrpc", "2.0"},
                     {"id", 100 + version},
                     {"method", kRequests[which]},
                     {"params", request}});
  }
  bytes += framed({{"jsonrpc", "2.0"}, {"id", 2}, {"method", "shutdown"}});
  bytes += framed({{"jsonrpc", "2.0"}, {"method", "exit"}});
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t mode = data[0];
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  Connection connection({"sizgen", "fuzz"});
  std::string out;
  if ((mode & 1U) == 0) {
    const std::size_t chunk = 1 + mode / 2U;
    for (std::size_t at = 0; at < input.size(); at += chunk)
      out += connection.receive(input.substr(at, chunk));
  } else {
    out = connection.receive(session(mode, input));
    if (connection.exitStatus() != 0) std::abort();  // the session ends with shutdown and exit
  }
  checkReplies(out);
  return 0;
}
