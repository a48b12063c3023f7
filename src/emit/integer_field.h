#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sizgen {

// note [numbers wider than their field]
// An Iw edit writes w asterisks for a value that does not fit w columns,
// which would make the generated source fail to compile.  In the
// generated files such a value is written in full instead, right-justified
// in the narrowest width that holds it: the FORMAT's width is a minimum
// for that one record, and a value that fits keeps the FORMAT's layout.

// `format` with its integer edit descriptor `descriptor` (such as "I10",
// standing between commas in the FORMAT) widened so that `value` fits.
std::string widenedToFit(std::string_view format, std::string_view descriptor, std::int32_t value);

}  // namespace sizgen
