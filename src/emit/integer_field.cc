#include "emit/integer_field.h"

#include <charconv>

#include "base/error.h"

namespace sizgen {

std::string widenedToFit(std::string_view format, std::string_view descriptor, std::int32_t value) {
  std::string result(format);
  int width = 0;
  std::from_chars(descriptor.data() + 1, descriptor.data() + descriptor.size(), width);
  int needed = static_cast<int>(std::to_string(value).size());
  if (needed <= width) return result;
  std::string field(",");
  field += descriptor;
  field += ',';
  std::size_t at = result.find(field);
  if (at == std::string::npos)
    throw InternalError("no " + std::string(descriptor) + " in FORMAT " + std::string(format));
  std::string widened("I");
  widened += std::to_string(needed);
  result.replace(at + 1, descriptor.size(), widened);
  return result;
}

}  // namespace sizgen
