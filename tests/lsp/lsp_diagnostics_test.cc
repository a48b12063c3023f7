// The language server's view of a deck: card columns as protocol
// positions (tabs, CR LF, a lone CR, characters outside ASCII, both
// position encodings), edits applied to the text held, and the deck's
// diagnostics, which must be the warnings and the error a run prints.

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "lsp/card_ranges.h"
#include "lsp/connection.h"
#include "lsp/deck_diagnostics.h"
#include "lsp/documents.h"
#include "lsp/framing.h"
#include "support/test_support.h"

namespace sizgen::lsp {
namespace {

using nlohmann::json;
constexpr auto kUtf8 = PositionEncoding::Utf8;
constexpr auto kUtf16 = PositionEncoding::Utf16;

TEST(LanguageServerPositions, CardColumnsAsProtocolRanges) {
  const std::string smile = "\xf0\x9f\x98\x80";  // beyond the basic plane: 4 bytes, 2 units
  struct Case {
    const char* name;
    std::string text;
    long card;
    int first;
    int last;
    PositionEncoding encoding;
    Range expected;
  };
  const std::vector<Case> cases = {
      {"ascii", "DEFAULT  abc\n", 1, 9, 16, kUtf16, {{0, 8}, {0, 12}}},
      {"a tab is one column", "C  \tX\n", 1, 5, 5, kUtf16, {{0, 4}, {0, 5}}},
      {"CR LF: the CR is not a column", "A\r\nBCD\r\n", 2, 2, 9, kUtf16, {{1, 1}, {1, 3}}},
      {"a lone CR is a column, but ends a protocol line",
       "AB\rCD\n",
       1,
       4,
       5,
       kUtf16,
       {{1, 0}, {1, 2}}},
      {"last line without a line end", "A\nBCDE", 2, 3, 3, kUtf16, {{1, 2}, {1, 3}}},
      {"two-byte character, UTF-16", "C\xc3\xa9  X\n", 1, 5, 5, kUtf16, {{0, 3}, {0, 4}}},
      {"two-byte character, UTF-8", "C\xc3\xa9  X\n", 1, 5, 5, kUtf8, {{0, 4}, {0, 5}}},
      {"surrogate pair, UTF-16", smile + "X\n", 1, 5, 5, kUtf16, {{0, 2}, {0, 3}}},
      {"surrogate pair, UTF-8", smile + "X\n", 1, 5, 5, kUtf8, {{0, 4}, {0, 5}}},
      {"columns inside a character take all of it",
       "CARDS  \xc3\xa9 500\n",
       1,
       9,
       16,
       kUtf16,
       {{0, 7}, {0, 12}}},
      {"a byte that is not UTF-8 is one character",
       "\xff\xc3X\n",
       1,
       3,
       3,
       kUtf16,
       {{0, 2}, {0, 3}}},
      {"columns past the line's end", "SCALE\n", 1, 9, 16, kUtf16, {{0, 5}, {0, 5}}},
      {"no card", "SCALE\n", 0, 0, 0, kUtf16, {{0, 0}, {0, 0}}},
      {"a card past the text", "SCALE\n", 3, 1, 1, kUtf16, {{1, 0}, {1, 0}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CardRanges(c.text, c.encoding).columns(c.card, c.first, c.last), c.expected)
        << c.name;
  }
}

TEST(LanguageServerPositions, EditsAppliedToTheTextHeld) {
  const std::string smile = "\xf0\x9f\x98\x80";
  struct Case {
    const char* name;
    std::string before;
    std::optional<Range> range;
    std::string text;
    PositionEncoding encoding;
    std::string after;
  };
  const std::vector<Case> cases = {
      {"whole text", "old\n", std::nullopt, "new", kUtf16, "new"},
      {"insert at the start", "AB\n", Range{{0, 0}, {0, 0}}, "x", kUtf16, "xAB\n"},
      {"replace across lines", "AB\r\nCD\nEF", Range{{0, 1}, {2, 1}}, "-", kUtf16, "A-F"},
      {"after CR LF", "AB\r\nCD", Range{{1, 0}, {1, 1}}, "x", kUtf16, "AB\r\nxD"},
      {"after a lone CR", "AB\rCD", Range{{1, 1}, {1, 1}}, "x", kUtf16, "AB\rCxD"},
      {"past the line's end", "AB\nCD", Range{{0, 9}, {0, 9}}, "x", kUtf16, "ABx\nCD"},
      {"past the last line", "AB\n", Range{{5, 0}, {6, 0}}, "x", kUtf16, "AB\nx"},
      {"after a surrogate pair, UTF-16", smile + "A", Range{{0, 2}, {0, 3}}, "B", kUtf16,
       smile + "B"},
      {"after a surrogate pair, UTF-8", smile + "A", Range{{0, 4}, {0, 5}}, "B", kUtf8,
       smile + "B"},
      {"inside a surrogate pair: after it", smile + "A", Range{{0, 1}, {0, 1}}, "B", kUtf16,
       smile + "BA"},
      {"end before start", "ABC", Range{{0, 2}, {0, 1}}, "x", kUtf16, "ABxC"},
  };
  for (const Case& c : cases) {
    Documents documents;
    ASSERT_TRUE(documents.open("file:///a.deck", 1, c.before));
    EXPECT_TRUE(documents.change("file:///a.deck", {c.range, c.text}, c.encoding)) << c.name;
    EXPECT_EQ(documents.find("file:///a.deck")->text, c.after) << c.name;
  }
  Documents documents;
  EXPECT_FALSE(documents.change("file:///never-opened.deck", {std::nullopt, "x"}, kUtf16));
}

// What a run of `deck` prints on standard error, as deckDiagnostics
// says it: "sizgen: warning: card N, columns A-B: ..." and "sizgen: card
// N, columns A-B: ..." lines.
std::string asTheRunPrintsThem(const std::vector<DeckDiagnostic>& diagnostics) {
  std::string text;
  for (const DeckDiagnostic& d : diagnostics) {
    const bool warning = d.severity == DeckDiagnostic::Severity::Warning;
    text += warning ? "sizgen: warning: " : "sizgen: ";
    // An error of planning names the value first, and its card after it.
    const std::string place = "card " + std::to_string(d.card) + ", columns " +
                              std::to_string(d.firstColumn) + "-" + std::to_string(d.lastColumn);
    if (d.card != 0 && (warning || d.message.find(place) == std::string::npos)) {
      text += "card " + std::to_string(d.card) + ", ";
      text += warning && d.firstColumn == d.lastColumn
                  ? "column " + std::to_string(d.firstColumn)
                  : "columns " + std::to_string(d.firstColumn) + "-" + std::to_string(d.lastColumn);
      text += ": ";
    }
    text += d.message + "\n";
  }
  return text;
}

struct DiagnosedDeck {
  const char* name;
  std::string deck;
  // Each diagnostic: "card first-last code" ("error" for the error).
  std::vector<std::string> expected;
};

std::vector<DiagnosedDeck> diagnosedDecks() {
  return {
      {"clean", "DEFAULT      1.5\n     600\n", {}},
      {"value beside its columns", "SCALE 2.0\n", {"1 7-9 value-outside-columns"}},
      {"blanks inside a number", "     300 400 500\n", {"1 9-16 blanks-in-number"}},
      {"after the deck's end",
       "BLANK\nBLANK\nBLANK\n   90000\nDEFAULT      2.0\n",
       {"5 1-16 after-deck-end"}},
      {"given again", "SCALE        2.0\nSCALE        3.0\n", {"2 1-5 given-again"}},
      {"past column 80", "FIXED" + std::string(75, ' ') + "tail\n", {"1 81-84 past-column-80"}},
      {"past column 80 in a comment", "C" + std::string(79, ' ') + "tail\n", {}},
      {"negative size", "DEFAULT  0\nNBHDSW  -99999\n", {"2 9-16 negative-size"}},
      {"two warnings, CR LF",
       "C  two\r\nSCALE 2.0\r\n     300 400 500\r\n",
       {"2 7-9 value-outside-columns", "3 9-16 blanks-in-number"}},
      {"an error", "DEFAULT  abc\n", {"1 9-16 error"}},
      {"an error after a comma", "     300,     400 abc\n", {"1 18-25 error"}},
      {"an error ends the reading: no warning before it",
       "SCALE 2.0\nDEFAULT  abc\n",
       {"2 9-16 error"}},
      {"an error in planning keeps the warnings of the cards",
       "NBHDSW 5\nBLANK\n                                                21262215\n",
       {"1 8-8 value-outside-columns", "3 49-56 error"}},
  };
}

TEST(LanguageServerDiagnostics, AtTheirCardsAndColumnsAsARunPrintsThem) {
  testing::TempDir dir;
  std::vector<DiagnosedDeck> decks = diagnosedDecks();
  for (const auto& file : std::filesystem::directory_iterator(testing::testDataPath("decks")))
    decks.push_back({"", testing::readFile(file.path()), {"(as the run)"}});
  for (const DiagnosedDeck& deck : decks) {
    SCOPED_TRACE(deck.name + std::string(" ") + deck.deck.substr(0, 40));
    const std::vector<DeckDiagnostic> diagnostics = deckDiagnostics(deck.deck);
    if (deck.expected != std::vector<std::string>{"(as the run)"}) {
      std::vector<std::string> found;
      for (const DeckDiagnostic& d : diagnostics) {
        found.push_back(std::to_string(d.card) + " " + std::to_string(d.firstColumn) + "-" +
                        std::to_string(d.lastColumn) + " " +
                        (d.code.empty() ? "error" : std::string(d.code)));
      }
      EXPECT_EQ(found, deck.expected);
    }
    const testing::ProcessResult run = testing::runSizgenBinary(dir.path(), deck.deck);
    std::string printed = run.err;
    EXPECT_EQ(asTheRunPrintsThem(diagnostics), printed);
  }
}

// The replies of a server that is sent `messages` after initialize, each
// publishDiagnostics as its params.
std::vector<json> published(const std::vector<json>& messages, json capabilities = json::object()) {
  Connection connection({"sizgen", "test"});
  std::string out = connection.receive(frame(json{
      {"jsonrpc", "2.0"},
      {"id", 1},
      {"method", "initialize"},
      {"params",
       {{"capabilities", capabilities}}}}.dump()));
  for (json message : messages) {
    message["jsonrpc"] = "2.0";
    out += connection.receive(frame(message.dump()));
  }
  FrameReader reader;
  reader.feed(out);
  std::vector<json> result;
  for (auto f = reader.next(); f.kind == FrameReader::Frame::Kind::Message; f = reader.next()) {
    const json reply = json::parse(f.text);
    if (reply.value("method", "") == "textDocument/publishDiagnostics")
      result.push_back(reply["params"]);
  }
  return result;
}

TEST(LanguageServerDiagnostics, PublishedOnOpenEachChangeAndClose) {
  const std::string uri = "file:///study.deck";
  auto change = [&](int version, json changes) {
    return json{
        {"method", "textDocument/didChange"},
        {"params",
         {{"textDocument", {{"uri", uri}, {"version", version}}}, {"contentChanges", changes}}}};
  };
  const std::vector<json> params = published({
      {{"method", "textDocument/didOpen"},
       {"params",
        {{"textDocument",
          {{"uri", uri},
           {"languageId", "deck"},
           {"version", 1},
           {"text", "C  \xc3\xa9\r\nSCALE 2.0\r\n"}}}}}},
      // "SCALE 2.0" -> "SCALE  2.0" (still beside its columns) -> "SCALE       2.0": clean
      change(2, {{{"range",
                   {{"start", {{"line", 1}, {"character", 5}}},
                    {"end", {{"line", 1}, {"character", 5}}}}},
                  {"text", " "}}}),
      change(3, {{{"range",
                   {{"start", {{"line", 1}, {"character", 5}}},
                    {"end", {{"line", 1}, {"character", 5}}}}},
                  {"text", "     "}}}),
      change(4, {{{"text", "DEFAULT  abc\n"}}}),
      {{"method", "textDocument/didClose"}, {"params", {{"textDocument", {{"uri", uri}}}}}},
  });
  ASSERT_EQ(params.size(), 5U);
  EXPECT_EQ(params[0].at("uri"), uri);
  EXPECT_EQ(params[0].at("version"), 1);
  EXPECT_EQ(params[0].at("diagnostics"),
            json::parse(R"j([{"range": {"start": {"line": 1, "character": 6},
                                      "end": {"line": 1, "character": 9}},
                             "severity": 2, "code": "value-outside-columns", "source": "sizgen",
                             "message": "SCALE reads 0 from columns 9-16, but \"2.0\" stands outside them: the value goes in columns 9-16 (\"SCALE        2.0\")"
}])j"));
  EXPECT_EQ(params[1].at("version"), 2);
  EXPECT_EQ(params[1].at("diagnostics").at(0).at("range").at("start").at("character"), 7);
  EXPECT_EQ(params[2].at("version"), 3);
  EXPECT_EQ(params[2].at("diagnostics"), json::array());
  const json& error = params[3].at("diagnostics").at(0);
  EXPECT_EQ(error.at("severity"), 1);
  EXPECT_FALSE(error.contains("code"));
  EXPECT_EQ(error.at("message"), "cannot read \"abc\" as a real");
  EXPECT_EQ(params[4].at("diagnostics"), json::array());
  EXPECT_FALSE(params[4].contains("version"));
}

}  // namespace
}  // namespace sizgen::lsp
