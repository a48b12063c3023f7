#include "driver/deck_input.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

#include "support/test_support.h"

namespace sizgen {
namespace {

using testing::errorOf;
using testing::TempDir;

// Standard input by "" and "-", a file by its name, named in messages
// with its bytes outside printable ASCII in hex, as a run names it.
TEST(OpenDeck, StandardInputOrTheFileNamed) {
  for (const std::string name : {"", "-"}) {
    const Deck deck = openDeck(name);
    EXPECT_EQ(deck.stream, stdin) << name;
    EXPECT_EQ(deck.file, nullptr) << name;
    EXPECT_EQ(deck.name, "standard input") << name;
  }
  TempDir dir;
  const std::string path = dir.file("cards\x01.deck");
  std::FILE* made = std::fopen(path.c_str(), "w");
  ASSERT_NE(made, nullptr);
  std::fputs("DEFAULT      0.7\n", made);
  std::fclose(made);
  const Deck deck = openDeck(path);
  ASSERT_NE(deck.file, nullptr);
  EXPECT_EQ(deck.stream, deck.file.get());
  EXPECT_EQ(deck.name, dir.path() + "/cards\\x01.deck");
  std::array<char, 8> first{};
  ASSERT_NE(std::fgets(first.data(), first.size(), deck.stream), nullptr);
  EXPECT_EQ(std::string(first.data()), "DEFAULT");
}

TEST(OpenDeck, ErrorsNameTheDeck) {
  TempDir dir;
  struct Case {
    std::string path;
    std::string error;
  };
  const std::array<Case, 2> cases = {{
      {dir.path(), "cannot open " + dir.path() + ": Is a directory"},
      {dir.file("none\x7f"), "cannot open " + dir.path() + "/none\\x7f: No such file or directory"},
  }};
  for (const Case& c : cases) EXPECT_EQ(errorOf([&] { (void)openDeck(c.path); }), c.error);
}

}  // namespace
}  // namespace sizgen
