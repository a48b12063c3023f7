// The language server's features on a deck: hover, semantic tokens, inlay
// hints, formatting and quick fixes, each as a table of decks; the
// requests on documents the server does not hold; and the final sizes
// that hovers show against the run's listing.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "lsp/card_tokens.h"
#include "lsp/connection.h"
#include "lsp/deck_hover.h"
#include "lsp/feature_json.h"
#include "lsp/framing.h"
#include "lsp/inlay_hints.h"
#include "lsp/quick_fixes.h"
#include "reading/deck_reading.h"
#include "support/test_support.h"

namespace sizgen::lsp {
namespace {

using nlohmann::json;
constexpr auto kUtf16 = PositionEncoding::Utf16;

TEST(LanguageServerFeatures, HoverOnFieldsAndKeywords) {
  struct Case {
    const char* name;
    std::string deck;
    Position at;
    std::vector<std::string> expected;  // substrings of the markdown; empty: no hover
    Range range;
  };
  const std::vector<Case> cases = {
      {"keyword",
       "SCALE        2.0\n",
       {0, 2},
       {"**SCALE card**", "final multiplier", "Keyword in columns 1-5",
        "value from columns 9-16 (a real)"},
       {{0, 0}, {0, 5}}},
      {"value of a keyword card",
       "SCALE        2.0\n",
       {0, 14},
       {"the value of the SCALE card", "columns 9-16", "`     2.0`", "read as 2.0 (a real)",
        "sets `FINMUL`"},
       {{0, 8}, {0, 16}}},
      {"overridden by a later card",
       "SCALE        2.0\nSCALE        3.0\n",
       {0, 10},
       {"overridden by card 2"},
       {{0, 8}, {0, 16}}},
      {"list-size field: its list's final size and first step",
       "     600    1200\n",
       {0, 12},
       {"field 2 of the 1st list-size card (list 2)", "columns 9-16", "read as 1200 (an integer)",
        "sets `LSTNEW(2)`", "list 2 ends at ", "First step (`--explain 2`): "},
       {{0, 8}, {0, 16}}},
      {"a field moved by a comma",
       "300,400\n",
       {0, 5},
       {"field 2 of", "columns 5-12", "a comma moved it 4 columns left", "read as 400"},
       {{0, 4}, {0, 7}}},
      {"a real truncated on a list-size card",
       "   1.5E0\n",
       {0, 4},
       {"read as 1.5 (a real), truncated to 1"},
       {{0, 0}, {0, 8}}},
      {"CR LF and a character outside ASCII before the field",
       "C  \xc3\xa9\r\nCARDS        700\r\n",
       {1, 15},
       {"the value of the CARDS card", "read as 700 (an integer)"},
       {{1, 8}, {1, 16}}},
      {"comment", "C  note\n", {0, 4}, {"**Comment**"}, {{0, 0}, {0, 7}}},
      {"a list-size card's { comment",
       "     600{ note\n",
       {0, 11},
       {"**Comment** from the `{`"},
       {{0, 8}, {0, 14}}},
      {"past column 80",
       "FIXED" + std::string(75, ' ') + "tail\n",
       {0, 81},
       {"**Past column 80**"},
       {{0, 80}, {0, 84}}},
      {"after the deck's end",
       "BLANK\nBLANK\nBLANK\n   90000\nDEFAULT      2.0\n",
       {4, 3},
       {"**After the deck's end**"},
       {{4, 0}, {4, 16}}},
      {"between the keyword and its value", "SCALE        2.0\n", {0, 6}, {}, {}},
      {"past the last card", "SCALE        2.0\n", {3, 0}, {}, {}},
      {"a card the reading did not reach", "DEFAULT  abc\nSCALE        2.0\n", {1, 2}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const json hover = hoverJson(c.deck, kUtf16, c.at);
    if (c.expected.empty()) {
      EXPECT_TRUE(hover.is_null()) << hover.dump();
      continue;
    }
    ASSERT_TRUE(hover.is_object());
    EXPECT_EQ(hover["contents"]["kind"], "markdown");
    const std::string text = hover["contents"]["value"];
    for (const std::string& part : c.expected)
      EXPECT_NE(text.find(part), std::string::npos) << part << " not in\n" << text;
    EXPECT_EQ(hover["range"]["start"]["line"], c.range.start.line);
    EXPECT_EQ(hover["range"]["start"]["character"], c.range.start.character);
    EXPECT_EQ(hover["range"]["end"]["character"], c.range.end.character);
  }
}

TEST(LanguageServerFeatures, SemanticTokensOfEachPartOfACard) {
  struct Case {
    const char* name;
    std::string deck;
    std::vector<std::string> expected;  // "card first-last type"
  };
  const std::vector<Case> cases = {
      {"keyword, value, a word not read",
       "SCALE        2.0  x\n",
       {"1 1-5 keyword", "1 14-16 number", "1 19-19 unread"}},
      {"comment", "C  note\n", {"1 1-7 comment"}},
      {"list-size fields and a { comment",
       "     600    1200{ lists\n",
       {"1 6-8 number", "1 13-16 number", "1 17-23 comment"}},
      {"past column 80",
       "     600" + std::string(72, ' ') + "XY\n",
       {"1 6-8 number", "1 81-82 unread"}},
      {"BLANK cards, offsets and a card after the deck's end",
       "BLANK\nBLANK\nBLANK\n   90000\nDEFAULT      2.0\n",
       {"1 1-5 keyword", "2 1-5 keyword", "3 1-5 keyword", "4 4-8 number", "5 1-16 unread"}},
      {"RAM TABLES reads nothing after its keyword",
       "RAM TABLES 5\n",
       {"1 1-10 keyword", "1 12-12 unread"}},
  };
  const char* names[] = {"keyword", "number", "comment", "unread"};
  for (const Case& c : cases) {
    std::vector<std::string> found;
    for (const CardToken& t : cardTokens(readDeckText(c.deck)))
      found.push_back(std::to_string(t.card) + " " + std::to_string(t.firstColumn) + "-" +
                      std::to_string(t.lastColumn) + " " + names[static_cast<int>(t.type)]);
    EXPECT_EQ(found, c.expected) << c.name;
  }
  // As the protocol sends them: relative lines and characters in UTF-16,
  // a tab one character, a two-byte character one unit, CR LF no column.
  const json tokens = semanticTokensJson("C  \xc3\xa9\tx\r\nSCALE        2.0  x\r\n", kUtf16);
  EXPECT_EQ(tokens["data"], json::parse("[0,0,6,2,0, 1,0,5,0,0, 0,13,3,1,0, 0,5,1,2,1]"));
  const json legend = semanticTokensLegend();
  EXPECT_EQ(legend["tokenTypes"], json::parse(R"(["keyword","number","comment"])"));
  EXPECT_EQ(legend["tokenModifiers"], json::parse(R"(["unread"])"));
}

TEST(LanguageServerFeatures, InlayHintsWhereAFieldReadsOtherwiseThanItLooks) {
  struct Case {
    const char* name;
    std::string deck;
    std::vector<std::string> expected;  // "card column label"
  };
  const std::vector<Case> cases = {
      {"clean", "DEFAULT      1.5\n     600\n", {}},
      {"blanks inside a number", "     300 400 500\n", {"1 16 = 400500"}},
      {"E-form", "SCALE       1E2\n", {"1 16 = 100.0"}},
      {"a sign alone starts the exponent", "SCALE      1.5+2\n", {"1 16 = 150.0"}},
      {"a real on a list-size card, truncated", "   1.5E0   2.5E3\n", {"1 8 = 1", "1 16 = 2500"}},
      {"a comma shift", "300,400\n", {"1 12 = 400"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> found;
    for (const FieldHint& h : fieldHints(readDeckText(c.deck)))
      found.push_back(std::to_string(h.card) + " " + std::to_string(h.column) + " " + h.label);
    EXPECT_EQ(found, c.expected) << c.name;
  }
  const json hints = inlayHintsJson("     300 400 500\n", kUtf16, {{0, 0}, {0, 80}});
  ASSERT_EQ(hints.size(), 1U);
  EXPECT_EQ(hints[0]["position"], json::parse(R"({"line": 0, "character": 16})"));
  EXPECT_EQ(hints[0]["label"], "= 400500");
  EXPECT_TRUE(inlayHintsJson("     300 400 500\n", kUtf16, {{1, 0}, {2, 0}}).empty());
}

TEST(LanguageServerFeatures, QuickFixesMoveAValueIntoItsColumns) {
  struct Case {
    const char* name;
    std::string deck;
    long card;
    std::string fixed;  // the card's new text; empty: no fix
  };
  const std::vector<Case> cases = {
      {"beside its columns", "SCALE 2.0\n", 1, "SCALE        2.0"},
      {"an integer", "C  limit\r\nCARDS 12\r\n", 2, "CARDS         12"},
      {"after its columns", "DEFAULT          3.5\n", 1, "DEFAULT      3.5"},
      {"text after it stays", "SCALE 2.0{x\n", 0, ""},
      {"another number in the columns", "SCALE 2.0 1.0\n", 0, ""},
      {"too long for the columns", "DEFAULT 123456789.5\n", 0, ""},
      {"a card that reads nothing after its keyword", "RAM TABLES 5\n", 0, ""},
      {"flags: which flag is meant is not known", "FIXED  1\n", 0, ""},
      {"blanks inside a number: one number or two", "     300 400 500\n", 0, ""},
      {"across the edge of two fields", "      1200\n", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DeckReading reading = readDeckText(c.deck);
    const std::vector<QuickFix> fixes = quickFixes(reading);
    if (c.fixed.empty()) {
      EXPECT_TRUE(fixes.empty()) << fixes.front().cardText;
      continue;
    }
    ASSERT_EQ(fixes.size(), 1U);
    EXPECT_EQ(fixes[0].warning.card, c.card);
    EXPECT_EQ(fixes[0].cardText, c.fixed);
    // The deck fixed warns no longer of that card.
    const DeckReading fixed = readDeckText(deckWithCard(reading, c.card, c.fixed));
    EXPECT_TRUE(fixed.plan.has_value());
    for (const Warning& w : fixed.warnings) EXPECT_NE(w.card, c.card) << w.message;
  }
}

// The replies to `messages`, sent after initialize and an opened deck.
std::vector<json> replies(const std::string& deck, const std::vector<json>& messages,
                          bool initialize = true) {
  Connection connection({"sizgen", "test"});
  auto send = [&](json message) {
    message["jsonrpc"] = "2.0";
    return connection.receive(frame(message.dump()));
  };
  std::string out;
  if (initialize) {
    send({{"id", 0}, {"method", "initialize"}, {"params", {{"capabilities", json::object()}}}});
    send({{"method", "textDocument/didOpen"},
          {"params",
           {{"textDocument",
             {{"uri", "file:///a.deck"},
              {"languageId", "deck"},
              {"version", 1},
              {"text", deck}}}}}});
  }
  for (const json& message : messages) out += send(message);
  FrameReader reader;
  reader.feed(out);
  std::vector<json> result;
  for (auto f = reader.next(); f.kind == FrameReader::Frame::Kind::Message; f = reader.next()) {
    json reply = json::parse(f.text);
    if (reply.contains("id")) result.push_back(reply);
  }
  return result;
}

json requestOn(int id, const char* method, const char* uri, json params = json::object()) {
  params["textDocument"] = {{"uri", uri}};
  return {{"id", id}, {"method", method}, {"params", params}};
}

TEST(LanguageServerFeatures, FormattingAndCodeActionsThroughTheServer) {
  const json range = {{"start", {{"line", 0}, {"character", 0}}},
                      {"end", {{"line", 0}, {"character", 0}}}};
  auto format = [](const std::string& deck) {
    return replies(deck, {requestOn(1, "textDocument/formatting", "file:///a.deck",
                                    {{"options", {{"tabSize", 8}, {"insertSpaces", true}}}})})
        .at(0)
        .at("result");
  };
  const json edits = format("     600   \r\n  1200\r\n");
  ASSERT_EQ(edits.size(), 1U);
  EXPECT_EQ(edits[0]["newText"], "     600\r\n    1200\r\n");
  EXPECT_EQ(edits[0]["range"]["end"], json::parse(R"({"line": 2, "character": 0})"));
  EXPECT_EQ(format("     600\n"), json::array());
  EXPECT_TRUE(format("DEFAULT  abc\n").is_null());

  const json actions =
      replies("SCALE 2.0\n",
              {requestOn(2, "textDocument/codeAction", "file:///a.deck",
                         {{"range", range}, {"context", {{"diagnostics", json::array()}}}})})
          .at(0)
          .at("result");
  ASSERT_EQ(actions.size(), 1U);
  EXPECT_EQ(actions[0]["kind"], "quickfix");
  EXPECT_EQ(actions[0]["diagnostics"][0]["code"], "value-outside-columns");
  const json& edit = actions[0]["edit"]["changes"]["file:///a.deck"][0];
  EXPECT_EQ(edit["newText"], "SCALE        2.0");
  EXPECT_EQ(edit["range"], json::parse(R"({"start": {"line": 0, "character": 0},
                                           "end": {"line": 0, "character": 9}})"));
}

TEST(LanguageServerFeatures, RequestsOnNoDocumentOrBeforeInitialize) {
  const json position = {{"line", 99}, {"character", 99}};
  const json range = {{"start", position}, {"end", position}};
  const std::vector<json> requests = {
      requestOn(1, "textDocument/hover", "file:///a.deck", {{"position", position}}),
      requestOn(2, "textDocument/semanticTokens/full", "file:///none.deck"),
      requestOn(3, "textDocument/inlayHint", "file:///none.deck", {{"range", range}}),
      requestOn(4, "textDocument/formatting", "file:///none.deck"),
      requestOn(5, "textDocument/codeAction", "file:///none.deck",
                {{"range", range}, {"context", json::object()}}),
      requestOn(6, "textDocument/hover", "file:///none.deck", {{"position", position}}),
      {{"id", 7}, {"method", "textDocument/hover"}, {"params", {{"position", position}}}},
  };
  const std::vector<json> answered = replies("SCALE        2.0\n", requests);
  ASSERT_EQ(answered.size(), requests.size());
  for (std::size_t i = 0; i + 1 < answered.size(); ++i)
    EXPECT_TRUE(answered[i].at("result").is_null()) << answered[i].dump();
  EXPECT_EQ(answered.back()["error"]["code"], -32602);
  for (const json& reply : replies("", requests, false))
    EXPECT_EQ(reply["error"]["code"], -32002) << reply.dump();
}

// The sizes of the "Final List Sizes" lines of a listing, by list.
std::map<std::size_t, long> listedFinalSizes(const std::string& listing) {
  std::map<std::size_t, long> sizes;
  const std::regex line(R"(Final List Sizes +(\d+)-\d+ =(.*))");
  std::istringstream lines(listing);
  for (std::string text; std::getline(lines, text);) {
    std::smatch match;
    if (!std::regex_search(text, match, line)) continue;
    // Ten fields of seven columns (I7): a wide size may touch the next.
    const std::size_t first = std::stoul(match[1]);
    const std::string values = match[2];
    for (std::size_t i = 0; i < 10 && (i + 1) * 7 <= values.size(); ++i)
      if (values.find('*', i * 7) >= (i + 1) * 7)  // "*******": too wide to show
        sizes[first + i] = std::stol(values.substr(i * 7, 7));
  }
  return sizes;
}

struct Agreement {
  int decks = 0;
  int hovers = 0;
  int againstListing = 0;
  int againstClosingLine = 0;
  int mismatches = 0;
};

// Each hover of a field that sets a list names the sizes the list takes:
// the first, which the listing's "Final List Sizes" show (where they show
// the list; else the plan's sizes, from which the listing writes them),
// and the one it ends with, which for list 29 after RAM TABLES is the
// LTLABL of the listing's closing line.
void checkHoverSizes(const std::string& deck, const std::string& directory, Agreement& count) {
  const DeckReading reading = readDeckText(deck);
  if (!reading.plan) return;
  ++count.decks;
  const testing::ProcessResult run = testing::runSizgenBinary(directory, deck);
  const std::map<std::size_t, long> listed = listedFinalSizes(run.out);
  std::smatch closing;
  const bool closed = std::regex_search(run.out, closing, std::regex(R"(LTLABL = *(-?\d+))"));
  const std::regex sizes(R"(list (\d+) ends at (-?\d+)(?:: (-?\d+),)?)");
  for (const DeckCard& card : reading.cards) {
    for (const DeckField& field : card.fields) {
      const auto hover = deckHover(reading, card.line, field.firstColumn);
      std::smatch match;
      if (!hover || !std::regex_search(hover->markdown, match, sizes)) continue;
      ++count.hovers;
      const std::size_t list = std::stoul(match[1]);
      const long end = std::stol(match[2]);
      const long first = match[3].matched ? std::stol(match[3]) : end;
      long expected = reading.plan->resolved(list);
      if (const auto found = listed.find(list); found != listed.end()) {
        ++count.againstListing;
        expected = found->second;
      }
      bool agrees = first == expected;
      if (list == 29 && reading.plan->settings.KRAMTB != 0) {
        ++count.againstClosingLine;
        agrees = agrees && closed && end == std::stol(closing[1]);
      }
      if (!agrees) {
        ++count.mismatches;
        ADD_FAILURE() << "card " << card.line << " field " << field.number << ": list " << list
                      << ": " << hover->markdown << "\nnot as the run: " << expected;
      }
    }
  }
}

TEST(LanguageServerFeatures, HoverFinalSizesAgreeWithTheListing) {
  testing::TempDir dir;
  Agreement count;
  for (const auto& file : std::filesystem::directory_iterator(testing::testDataPath("decks")))
    checkHoverSizes(testing::readFile(file.path()), dir.path(), count);
  EXPECT_GT(count.hovers, 0);
  // More decks, when SIZGEN_HOVER_DECKS names a directory of them
  // (scripts/random-decks writes such).
  if (const char* more = std::getenv("SIZGEN_HOVER_DECKS")) {
    for (const auto& file : std::filesystem::directory_iterator(more))
      checkHoverSizes(testing::readFile(file.path()), dir.path(), count);
  }
  std::cout << "decks " << count.decks << ", hovers checked " << count.hovers
            << " (against the listing's final sizes " << count.againstListing
            << ", against its closing line " << count.againstClosingLine << "), mismatches "
            << count.mismatches << "\n";
}

}  // namespace
}  // namespace sizgen::lsp
