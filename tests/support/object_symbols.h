#pragma once

// The symbols of an object file as `nm -S` lists them, for the tests that
// compile the generated source.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace sizgen::testing {

struct Symbol {
  char type;
  std::optional<std::int64_t> size;  // none when nm shows no size
};

// Every symbol of an nm -S listing, by name.
inline std::multimap<std::string, Symbol> symbolsOf(const std::string& listing) {
  std::multimap<std::string, Symbol> symbols;
  for (const std::string& line : linesOf(listing)) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    if (words.size() == 4) {
      symbols.emplace(words[3], Symbol{words[2][0], std::stoll(words[1], nullptr, 16)});
    } else if (words.size() == 3) {
      symbols.emplace(words[2], Symbol{words[1][0], std::nullopt});
    } else if (words.size() == 2) {  // undefined: no value
      symbols.emplace(words[1], Symbol{words[0][0], std::nullopt});
    } else {
      ADD_FAILURE() << "nm line: " << line;
    }
  }
  return symbols;
}

// gfortran's name of a COMMON block in the object file.
inline std::string symbolName(const std::string& block) {
  std::string name;
  for (char c : block) name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name + "_";
}

}  // namespace sizgen::testing
