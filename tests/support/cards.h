#pragma once

// Cards of a deck and the lines that echo them on the listing.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

namespace sizgen::testing {

// A list-size card: each value right-justified in its 8 columns; an empty
// value is a blank field.
inline std::string fields(std::initializer_list<std::string_view> values) {
  std::string card;
  for (std::string_view value : values) {
    card += std::string(8 - value.size(), ' ');
    card += value;
  }
  return card;
}

// The same card as a line of a deck, `comment` after the fields.
inline std::string listCard(std::initializer_list<std::string_view> values,
                            std::string_view comment = "") {
  return fields(values) + std::string(comment) + "\n";
}

// A keyword card as a line of a deck: the keyword in columns 1-8, its
// value right-justified in columns 9-16.
inline std::string keywordCard(std::string_view keyword, std::string_view value) {
  std::string card(keyword);
  card.resize(8, ' ');
  return card + std::string(8 - value.size(), ' ') + std::string(value) + "\n";
}

// One echo line: `head` is columns 1-32 (message, value and marker), then
// the 80 columns of the card.
inline std::string echo(std::string_view head, std::string_view card) {
  EXPECT_EQ(head.size(), 32u) << head;
  std::string image(card);
  image.resize(80, ' ');
  return std::string(head) + image + "\n";
}

inline constexpr std::string_view kCommentEcho = " Comment card is ignored.      1";
inline constexpr std::string_view kFirstEcho = " 1st card (Lists  1-10).       1";
inline constexpr std::string_view kSecondEcho = " 2nd card (Lists 11-20).       1";
inline constexpr std::string_view kThirdEcho = " 3rd card (Lists 21-29).       1";
inline constexpr std::string_view kFourthEcho = " 4th card (Lists 31-32).       1";
inline constexpr std::string_view kOffsetsEcho = " Supplemental offsets.         1";
inline constexpr std::string_view kLargestQuantumEcho = " Quantized bytes =  4194304    1";

// The three list-size cards before the fourth position, all empty lines,
// and their echoes.
inline const std::string kThreeEmptyCards = "\n\n\n";
inline std::string threeEmptyEchoes() {
  return echo(kFirstEcho, "") + echo(kSecondEcho, "") + echo(kThirdEcho, "");
}

}  // namespace sizgen::testing
