#pragma once

// Small pieces of text the page's sections share.

#include <cstdint>
#include <string>
#include <string_view>

namespace sizgen {

// A share of a total as a percentage with one decimal: "12.3%"; "0.0%"
// for a total of 0.
std::string shareText(std::int64_t part, std::int64_t total);

// An element with escaped text: element("td", "a<b") is "<td>a&lt;b</td>".
std::string element(std::string_view tag, std::string_view text);

}  // namespace sizgen
