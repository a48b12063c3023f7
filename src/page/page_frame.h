#pragma once

#include <string>
#include <string_view>

namespace sizgen {

// A whole HTML document around `body`: its own style sheet inline, no
// script, nothing loaded from anywhere else.
std::string htmlDocument(std::string_view title, std::string_view body);

}  // namespace sizgen
