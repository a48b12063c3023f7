#pragma once

// Text for an HTML page and the SVG in it: escaping and numbers.

#include <string>
#include <string_view>

namespace sizgen {

// `text` as the content of an element or a quoted attribute: & < > " '
// replaced by their character references.
std::string escaped(std::string_view text);

// A pixel coordinate as the page prints it: at most two decimals, no
// trailing zeros, never "-0": "12.5", "3", "0.07".
std::string pixels(double value);

}  // namespace sizgen
