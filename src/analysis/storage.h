#pragma once

// What the generated declarations allocate: the bytes of each array as the
// compiler lays out its COMMON block, by group and in all.

#include <cstdint>
#include <string>

#include "model/catalog.h"
#include "model/run_plan.h"

namespace sizgen {

// Bytes per element of a declared type, as the compiler allocates it.
constexpr std::int64_t declaredElementBytes(std::int32_t code) {
  return typeCode(code).bytes;
}

// The Fortran type a declared type code stands for ("REAL*8").
constexpr std::string_view declaredTypeName(std::int32_t code) {
  return typeCode(code).fortranName;
}

// The bytes of one array's COMMON block: its dimension times its element
// size; a dimension of zero or less allocates nothing.
std::int64_t arrayBytes(const PlannedArray& array);

// The bytes of all arrays of a group, and of all groups.
std::int64_t groupBytes(const RunPlan& plan, const Group& group);
std::int64_t totalBytes(const RunPlan& plan);

// LABCOM's size in bytes: LTLABL INTEGER*4 words.
std::int64_t labcomBytes(const RunPlan& plan);

// A byte count, with its binary unit from 1 KiB up: "4178088 bytes (4.0
// MiB)", "512 bytes".
std::string bytesText(std::int64_t bytes);

// A byte count in the largest binary unit that leaves at least 1, with one
// decimal: "4.0 MiB", "697.2 KiB"; below 1024, "512 bytes".  The unit is
// the one whose rounded value is below 1024: never "1024.0 KiB".
std::string readableBytes(std::int64_t bytes);

}  // namespace sizgen
