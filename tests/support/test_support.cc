#include "support/test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "base/error.h"
#include "base/sink.h"
#include "driver/run.h"
#include "files/directory_files.h"

namespace sizgen::testing {

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/sizgen-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void writeFile(const std::string& path, std::string_view content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

bool fileExists(const std::string& path) {
  return std::filesystem::exists(path);
}

std::string testDataPath(std::string_view relative) {
  return std::string(SIZGEN_TEST_DATA) + "/" + std::string(relative);
}

std::string readTestData(std::string_view relative) {
  return readFile(testDataPath(relative));
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::FILE* openForReading(std::string& text) {
  return text.empty() ? std::fopen("/dev/null", "r") : fmemopen(text.data(), text.size(), "r");
}

std::string readBack(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string content;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, n);
  return content;
}

std::string shellQuote(std::string_view text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

ProcessResult runCommand(const std::string& command) {
  TempDir scratch;
  std::string full = "(" + command + ") >" + scratch.file("out") + " 2>" + scratch.file("err");
  int status = std::system(full.c_str());
  ProcessResult result;
  result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = readFile(scratch.file("out"));
  result.err = readFile(scratch.file("err"));
  return result;
}

ProcessResult runSizgenShell(const std::string& directory, std::string_view deck,
                             const std::string& script) {
  TempDir scratch;
  writeFile(scratch.file("deck"), deck);
  return runCommand("cd " + shellQuote(directory) + " && sizgen=" + shellQuote(SIZGEN_BINARY) +
                    " && { " + script + "\n} <" + shellQuote(scratch.file("deck")));
}

ProcessResult runSizgenBinary(const std::string& directory, std::string_view deck,
                              const std::vector<std::string>& arguments) {
  std::string script = "exec \"$sizgen\"";
  for (const std::string& argument : arguments) script += " " + shellQuote(argument);
  return runSizgenShell(directory, deck, script);
}

InMemoryRun runInMemory(std::string_view deck) {
  std::string deckCopy(deck);
  std::FILE* in = openForReading(deckCopy);
  MemorySink listing;
  MemoryFiles files;
  InMemoryRun result;
  try {
    runSizgen({in, listing, files});
  } catch (const Error& error) {
    result.error = error.what();
  }
  std::fclose(in);
  result.listing = listing.text();
  for (std::string_view name : {"newmods.for", "dimdef.for", "dum.bin", "debug.lis"}) {
    if (const std::string* text = files.text(name)) result.files[std::string(name)] = *text;
  }
  return result;
}

void FailingSink::write(std::string_view record) {
  ++writes_;
  if (failAt_ > 0 && writes_ >= failAt_)
    throw Error("cannot write " + name_ + ": No space left on device");
  kept_.write(record);
}

std::optional<FileIdentity> FailingFiles::prepare(std::string_view name, Use /*use*/) {
  names_.emplace_back(name);
  return std::nullopt;
}

void FailingFiles::commit(std::span<const Content> contents) {
  for (const Content& content : contents) {
    if (content.name == failing_)
      throw Error("cannot write " + failing_ + ": No space left on device");
  }
  committed_.commit(contents);
}

std::string runWith(std::string_view deck, Sink& listing, OutputFiles& files) {
  std::string deckCopy(deck);
  std::FILE* in = openForReading(deckCopy);
  std::string error;
  try {
    runSizgen({in, listing, files});
  } catch (const Error& failure) {
    error = failure.what();
  }
  std::fclose(in);
  return error;
}

}  // namespace sizgen::testing
