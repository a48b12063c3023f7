#include "driver/deck_diff.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "analysis/plan_diff.h"
#include "base/error.h"
#include "base/sink.h"
#include "driver/run.h"
#include "emit/generated_files.h"
#include "input/card_fields.h"
#include "sizing/run_planning.h"

namespace sizgen {
namespace {

std::vector<std::string_view> lines(std::string_view text) {
  std::vector<std::string_view> result;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    result.push_back(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return result;
}

// The plan of a deck, an error of the deck prefixed with its name.
RunPlan planDeck(std::FILE* deck, const std::string& name) {
  try {
    return planRun(readDeckSettings(deck, name));
  } catch (const Error& error) {
    throw Error(name + ": " + error.what());
  }
}

struct CloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// The plan of the deck file `path`, shown as `name`.
RunPlan planDeckFile(const std::string& path, const std::string& name) {
  const std::unique_ptr<std::FILE, CloseFile> file(std::fopen(path.c_str(), "re"));
  if (!file) throw Error("cannot open " + name + ": " + std::strerror(errno));
  struct stat status {};
  if (::fstat(fileno(file.get()), &status) == 0 && S_ISDIR(status.st_mode))
    throw Error("cannot read " + name + ": " + std::strerror(EISDIR));
  return planDeck(file.get(), name);
}

// The three written files of a plan, rendered as a run writes them.
struct RenderedFiles {
  MemorySink module;
  MemorySink dimdef;
  MemorySink debug;
  explicit RenderedFiles(const RunPlan& plan) {
    writeModuleFile(plan, module);
    writeDimdefFile(plan, dimdef);
    writeDebugFile(plan, debug);
  }
};

FileChange compare(std::string_view file, const std::string& before, const std::string& after) {
  const LineChanges changes = lineChanges(before, after);
  return {file, before == after, changes.removed, changes.added};
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

std::string deckDiff(const std::string& oldDeck, std::FILE* deck, const std::string& deckName,
                     bool json) {
  const bool oldOnInput = oldDeck == "-";
  const std::string oldName = oldOnInput ? "standard input" : printableText(oldDeck);
  const RunPlan before = oldOnInput ? planDeck(stdin, oldName) : planDeckFile(oldDeck, oldName);
  const RunPlan after = planDeck(deck, deckName);

  const RenderedFiles a(before);
  const RenderedFiles b(after);
  const std::array<FileChange, 3> files = {
      compare("newmods.for", a.module.text(), b.module.text()),
      compare("dimdef.for", a.dimdef.text(), b.dimdef.text()),
      compare("debug.lis", a.debug.text(), b.debug.text()),
  };
  const PlanDiff diff = diffPlans(before, after, files);
  return json ? diffJson(diff, oldName, deckName) : diffText(diff, oldName, deckName);
}

}  // namespace sizgen
