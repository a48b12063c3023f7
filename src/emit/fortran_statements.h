#pragma once

// The FORMATs of the statements that both generated files write.

#include <string_view>

namespace sizgen {

// The IMPLICIT statement that heads every generated subroutine, padded to
// 80 columns.
inline constexpr std::string_view kImplicitFormat =
    "(80H      IMPLICIT REAL*8 (A-H, O-Z),  INTEGER*4 (I-N)                              )";
inline constexpr std::string_view kEndFormat = "(6X,3HEND,71X)";
inline constexpr std::string_view kReturnFormat = "(6X,6HRETURN,68X)";

}  // namespace sizgen
