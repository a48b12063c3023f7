// The language server's framing and lifecycle, driven from strings: each
// case is the bytes a client sends, the replies in short (an id and its
// result or error code, or a notification's method) and the status the
// process ends with, after exit or at the end of the input.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "lsp/connection.h"
#include "lsp/framing.h"

namespace sizgen::lsp {
namespace {

using nlohmann::json;

std::string request(int id, std::string_view method, const json& params = json::object()) {
  return frame(json{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}}.dump());
}
std::string notification(std::string_view method, const json& params = json::object()) {
  return frame(json{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}}.dump());
}
std::string raw(std::string_view body) {
  return frame(body);
}

const std::string kInitialize = request(1, "initialize", {{"capabilities", json::object()}});
const std::string kShutdown = request(2, "shutdown");
const std::string kExit = notification("exit");

// The replies in `bytes`, framed, each in short: "1: result",
// "null: -32700", "textDocument/publishDiagnostics".
std::vector<std::string> summaries(const std::string& bytes) {
  FrameReader reader;
  reader.feed(bytes);
  std::vector<std::string> result;
  for (auto frame = reader.next(); frame.kind != FrameReader::Frame::Kind::None;
       frame = reader.next()) {
    if (frame.kind != FrameReader::Frame::Kind::Message) {
      result.push_back("bad frame: " + frame.text);
      continue;
    }
    const json reply = json::parse(frame.text);
    if (reply.contains("method")) {
      result.push_back(reply["method"]);
    } else if (reply.contains("error")) {
      result.push_back(reply["id"].dump() + ": " + reply["error"]["code"].dump());
    } else {
      result.push_back(reply["id"].dump() + ": result");
    }
  }
  return result;
}

struct Conversation {
  std::vector<std::string> replies;
  int status = -1;  // at exit, or at the end of the input
  bool exited = false;
};

// Sends each chunk in turn, then ends the input.
Conversation converse(const std::vector<std::string>& chunks) {
  Connection connection({"sizgen", "test"});
  std::string out;
  for (const std::string& chunk : chunks) out += connection.receive(chunk);
  return {summaries(out), connection.exitStatus().value_or(connection.statusAtEndOfInput()),
          connection.exitStatus().has_value()};
}

struct Case {
  const char* name;
  std::vector<std::string> chunks;
  std::vector<std::string> replies;
  int status;
  bool exited;
};

TEST(LanguageServer, FramingAndLifecycle) {
  const std::string a = kInitialize + kShutdown + kExit;
  const std::string bigNumber = "Content-Length: 99999999999999999999999999\r\n\r\n";
  const std::vector<Case> cases = {
      {"shutdown then exit",
       {kInitialize + notification("initialized") + kShutdown + kExit},
       {"1: result", "2: result"},
       0,
       true},
      {"exit without shutdown", {kInitialize + kExit}, {"1: result"}, 1, true},
      {"exit before initialize", {kExit}, {}, 1, true},
      {"nothing after exit is read",
       {kInitialize + kExit + request(3, "shutdown")},
       {"1: result"},
       1,
       true},
      {"requests before initialize",
       {request(7, "shutdown") + request(8, "textDocument/hover") +
        notification("textDocument/didOpen") + kInitialize},
       {"7: -32002", "8: -32002", "1: result"},
       1,
       false},
      {"initialize twice", {kInitialize + kInitialize}, {"1: result", "1: -32600"}, 1, false},
      {"requests after shutdown",
       {kInitialize + kShutdown + request(3, "shutdown") + kExit},
       {"1: result", "2: result", "3: -32600"},
       0,
       true},
      {"unknown methods",
       {kInitialize + request(3, "textDocument/unknown") + notification("workspace/unknown") +
        notification("$/cancelRequest", {{"id", 3}}) + notification("$/setTrace") +
        request(4, "$/unknown") + request(5, "exit") + notification("shutdown")},
       {"1: result", "3: -32601", "4: -32601", "5: -32601"},
       1,
       false},
      {"string ids",
       {frame(R"({"jsonrpc":"2.0","id":"a","method":"initialize","params":{}})")},
       {"\"a\": result"},
       1,
       false},
      {"malformed JSON",
       {raw("{\"jsonrpc\": \"2.0\", \"id\": 1,"), raw("\xff\xfe")},
       {"null: -32700", "null: -32700"},
       1,
       false},
      {"invalid requests",
       {raw("[]") + raw(R"({"jsonrpc":"2.0","id":{"x":1},"method":"initialize"})") +
        raw(R"({"id":4,"method":"initialize"})") + raw(R"({"jsonrpc":"2.0","id":5})") +
        raw(R"({"jsonrpc":"2.0","id":6,"method":7})") +
        raw(R"({"jsonrpc":"2.0","id":8,"method":"initialize","params":3})") + kInitialize},
       {"null: -32600", "null: -32600", "4: -32600", "5: -32600", "6: -32600", "8: -32600",
        "1: result"},
       1,
       false},
      {"responses from the client are dropped",
       {kInitialize + raw(R"({"jsonrpc":"2.0","id":9,"result":null})")},
       {"1: result"},
       1,
       false},
      {"bad params of a request",
       {raw(R"({"jsonrpc":"2.0","id":1,"method":"initialize",)"
            R"("params":{"capabilities":{"general":3}}})")},
       {"1: result"},
       1,
       false},
      {"bad params of a notification",
       {kInitialize + notification("textDocument/didOpen", {{"textDocument", 3}})},
       {"1: result", "window/logMessage"},
       1,
       false},
      {"one message split byte by byte",
       [&] {
         std::vector<std::string> bytes;
         for (char c : a) bytes.emplace_back(1, c);
         return bytes;
       }(),
       {"1: result", "2: result"},
       0,
       true},
      {"header names in any case, Content-Type and blanks",
       {"content-length:   " + std::to_string(kInitialize.size() - kInitialize.find('{')) +
        "  \r\nContent-Type: application/vscode-jsonrpc; charset=utf-8\r\n\r\n" +
        kInitialize.substr(kInitialize.find('{'))},
       {"1: result"},
       1,
       false},
      {"malformed headers, then a good message",
       {"Content-Length: abc\r\n\r\n" + std::string("Content-Type: x\r\n\r\n") +
        "no colon here\r\n\r\n" + "Content-Length: -5\r\n\r\n" + kInitialize},
       {"null: -32700", "null: -32700", "null: -32700", "null: -32700", "1: result"},
       1,
       false},
      {"a header that never ends",
       {std::string(20000, 'x') + "\r\n\r\n" + kInitialize},
       {"null: -32700", "1: result"},
       1,
       false},
      {"a length past what a size holds", {bigNumber + kInitialize}, {"null: -32700"}, 1, false},
      {"a short body at the end of the input",
       {kInitialize + "Content-Length: 50\r\n\r\n{}"},
       {"1: result"},
       1,
       false},
      {"the client goes away after shutdown",
       {kInitialize + kShutdown},
       {"1: result", "2: result"},
       0,
       false},
      {"nothing at all", {}, {}, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Conversation conversation = converse(c.chunks);
    EXPECT_EQ(conversation.replies, c.replies);
    EXPECT_EQ(conversation.status, c.status);
    EXPECT_EQ(conversation.exited, c.exited);
  }
}

// A body longer than the limit is dropped as it arrives, never held: the
// message after it is read as usual.
TEST(LanguageServer, BodyPastTheLimitIsSkipped) {
  Connection connection({"sizgen", "test"});
  const std::size_t length = kMaxBodyBytes + 1;
  std::string out = connection.receive("Content-Length: " + std::to_string(length) + "\r\n\r\n");
  const std::string megabyte(std::size_t{1} << 20, ' ');
  std::size_t sent = 0;
  for (; sent + megabyte.size() <= length; sent += megabyte.size())
    out += connection.receive(megabyte);
  out += connection.receive(std::string(length - sent, ' ') + kInitialize);
  EXPECT_EQ(summaries(out), (std::vector<std::string>{"null: -32700", "1: result"}));
}

TEST(LanguageServer, InitializeAnnouncesCapabilitiesAndEncoding) {
  for (const auto& [offered, chosen] : std::vector<std::pair<json, std::string>>{
           {json::object(), "utf-16"},
           {{{"general", {{"positionEncodings", {"utf-16"}}}}}, "utf-16"},
           {{{"general", {{"positionEncodings", {"utf-32", "utf-8", "utf-16"}}}}}, "utf-8"}}) {
    Connection connection({"sizgen", "9.9"});
    FrameReader reader;
    reader.feed(connection.receive(request(1, "initialize", {{"capabilities", offered}})));
    const json result = json::parse(reader.next().text)["result"];
    EXPECT_EQ(result["capabilities"]["positionEncoding"], chosen) << offered;
    EXPECT_EQ(result["capabilities"]["textDocumentSync"],
              json::parse(R"({"openClose": true, "change": 2})"));
    EXPECT_EQ(result["serverInfo"], json::parse(R"({"name": "sizgen", "version": "9.9"})"));
  }
}

TEST(LanguageServer, FramesItsReplies) {
  EXPECT_EQ(frame("{}"), "Content-Length: 2\r\n\r\n{}");
  EXPECT_EQ(frame("\"\xc3\xa9\""), "Content-Length: 4\r\n\r\n\"\xc3\xa9\"");
}

}  // namespace
}  // namespace sizgen::lsp
