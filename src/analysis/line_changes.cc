#include "analysis/line_changes.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace sizgen {
namespace {

// The lines of `text`, without their line feeds.
std::vector<std::string_view> lines(std::string_view text) {
  std::vector<std::string_view> result;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    result.push_back(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return result;
}

}  // namespace

LineChanges lineChanges(std::string_view before, std::string_view after) {
  const std::vector<std::string_view> a = lines(before);
  const std::vector<std::string_view> b = lines(after);
  // The common lines at both ends first: most changes are a few lines.
  const auto head = static_cast<std::ptrdiff_t>(
      std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin());
  const auto tail = static_cast<std::ptrdiff_t>(
      std::mismatch(a.rbegin(), a.rend() - head, b.rbegin(), b.rend() - head).first - a.rbegin());
  const std::size_t n = a.size() - static_cast<std::size_t>(head + tail);
  const std::size_t m = b.size() - static_cast<std::size_t>(head + tail);
  // The length of the longest common subsequence of the middles, row by row.
  std::vector<std::size_t> row(m + 1, 0);
  for (std::size_t i = 1; i <= n; ++i) {
    std::size_t diagonal = 0;
    for (std::size_t j = 1; j <= m; ++j) {
      const std::size_t above = row[j];
      const bool same =
          a[static_cast<std::size_t>(head) + i - 1] == b[static_cast<std::size_t>(head) + j - 1];
      row[j] = same ? diagonal + 1 : std::max(row[j], row[j - 1]);
      diagonal = above;
    }
  }
  const std::size_t common = row[m];
  return {static_cast<std::int64_t>(n - common), static_cast<std::int64_t>(m - common)};
}

}  // namespace sizgen
