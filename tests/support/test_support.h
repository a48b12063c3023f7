#pragma once

#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/error.h"
#include "base/sink.h"
#include "files/memory_files.h"

namespace sizgen::testing {

// A fresh directory under $TMPDIR (or /tmp), removed with its content.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(std::string_view name) const { return path_ + "/" + std::string(name); }

 private:
  std::string path_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, std::string_view content);
bool fileExists(const std::string& path);
// A file under tests/ of the source tree, such as "decks/empty.deck".
std::string testDataPath(std::string_view relative);
std::string readTestData(std::string_view relative);

// The lines of `text`, without their line ends; a last line without one
// counts too.
std::vector<std::string> linesOf(const std::string& text);

// Whether standard error holds nothing but warnings, a line each.
inline bool onlyWarnings(const std::string& err) {
  for (const std::string& line : linesOf(err)) {
    if (!line.starts_with("sizgen: warning: ")) return false;
  }
  return err.empty() || err.ends_with('\n');
}

// A stream that reads `text`, which must outlive it.  An empty text reads
// /dev/null, as fmemopen refuses an empty buffer.
std::FILE* openForReading(std::string& text);
// All that was written to `file`, read back from its start.
std::string readBack(std::FILE* file);

// `text` quoted for the shell, whatever it holds.
std::string shellQuote(std::string_view text);

// The message of the sizgen::Error that `action` throws, or "(no error)".
template <class Action>
std::string errorOf(Action action) {
  try {
    action();
  } catch (const Error& error) {
    return error.what();
  }
  return "(no error)";
}

// What a run of the sizgen binary left behind.
struct ProcessResult {
  int exitStatus = -1;  // -1: did not exit normally (signal)
  std::string out;      // standard output
  std::string err;      // standard error
};

// Runs the shell command `script` in `directory`, where "$sizgen" names the
// built program, with a file holding `deck` on standard input: the one way
// the tests launch the binary.
ProcessResult runSizgenShell(const std::string& directory, std::string_view deck,
                             const std::string& script);

// Runs the built sizgen binary in `directory` with `deck` on standard
// input and the given arguments.
ProcessResult runSizgenBinary(const std::string& directory, std::string_view deck,
                              const std::vector<std::string>& arguments = {});

// Runs a shell command, capturing its output; for tools such as gfortran and nm.
ProcessResult runCommand(const std::string& command);

// One run in this process with its files held in memory.
struct InMemoryRun {
  std::string listing;
  std::string error;  // the message of the sizgen::Error, empty after a normal run
  std::map<std::string, std::string> files;  // by name, each file the run opened
};
InMemoryRun runInMemory(std::string_view deck);

// A sink in memory that fails at its n-th write, as a full device would:
// the records before it are kept, that one and those after are not.
class FailingSink final : public Sink {
 public:
  // `failAt` counts from 1; 0 never fails.
  FailingSink(std::string name, int failAt) : name_(std::move(name)), failAt_(failAt) {}
  void write(std::string_view record) override;
  const std::string& text() const { return kept_.text(); }
  int writes() const { return writes_; }

 private:
  std::string name_;
  int failAt_;
  int writes_ = 0;
  MemorySink kept_;
};

// Files in memory; a commit that holds `failing` fails as a full disk
// would, and changes nothing.
class FailingFiles final : public OutputFiles {
 public:
  explicit FailingFiles(std::string failing = {}) : failing_(std::move(failing)) {}
  std::optional<FileIdentity> prepare(std::string_view name, Use use) override;
  void commit(std::span<const Content> contents) override;
  // What the run committed as `name`, or nothing.
  const std::string* text(std::string_view name) const { return committed_.text(name); }
  // The names of the files prepared, in the order prepared.
  const std::vector<std::string>& prepared() const { return names_; }

 private:
  std::string failing_;
  std::vector<std::string> names_;
  MemoryFiles committed_;
};

// A whole run in memory with `files` and `listing`; the message of the
// sizgen::Error it ends with, or "" after a normal run.
std::string runWith(std::string_view deck, Sink& listing, OutputFiles& files);

}  // namespace sizgen::testing
