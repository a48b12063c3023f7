// The sink on a stdio stream, under each of its failure policies.

#include "files/stream_sink.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>

#include "support/test_support.h"

namespace sizgen {
namespace {

using testing::errorOf;

// What errorOf gives for a call that throws nothing.
const std::string kNoError = "(no error)";

TEST(StreamSink, RecordsEndWithALineFeedAndFailuresAreReported) {
  std::FILE* stream = std::tmpfile();
  ASSERT_NE(stream, nullptr);
  StreamSink listing(stream, "the listing", StreamSink::OnFailure::Throw);
  listing.write(" Comment card is ignored.");
  listing.write("");
  listing.flush();
  EXPECT_EQ(testing::readBack(stream), " Comment card is ignored.\n\n");
  std::fclose(stream);

  std::FILE* full = std::fopen("/dev/full", "w");
  ASSERT_NE(full, nullptr);
  StreamSink fullListing(full, "standard output", StreamSink::OnFailure::Throw);
  fullListing.write("a short line stays in the buffer");
  EXPECT_EQ(errorOf([&] { fullListing.flush(); }),
            "cannot write standard output: No space left on device");
  std::fclose(full);
}

// Under each policy, what a stream that fails at its first flush (/dev/full)
// does with every call: a sink that throws does so at once; one that
// reports at the end drops the rest and gives the first failure then.
TEST(StreamSink, EachPolicyMeetsAFailedWriteItsOwnWay) {
  using OnFailure = StreamSink::OnFailure;
  const std::string full = "cannot write the listing: No space left on device";
  struct Case {
    OnFailure onFailure;
    std::string atFlush;   // what the flush throws
    std::string atFinish;  // what finish() throws after it
  };
  for (const Case& c : {Case{OnFailure::Throw, full, full},
                        Case{OnFailure::ReportAtFinish, kNoError, full}}) {
    std::FILE* stream = std::fopen("/dev/full", "w");
    ASSERT_NE(stream, nullptr);
    StreamSink sink(stream, "the listing", c.onFailure);
    sink.write("a short line stays in the buffer");
    EXPECT_EQ(errorOf([&] { sink.flush(); }), c.atFlush);
    if (c.onFailure == OnFailure::ReportAtFinish) {
      // Dropped: nothing more reaches the stream, nothing is thrown.
      EXPECT_EQ(errorOf([&] { sink.write(std::string(70000, 'x')); }), kNoError);
      EXPECT_EQ(errorOf([&] { sink.writeText("text\n"); }), kNoError);
      EXPECT_EQ(std::ftell(stream), 0);
    }
    EXPECT_EQ(errorOf([&] { sink.finish(); }), c.atFinish);
    std::fclose(stream);
  }
}

TEST(StreamSink, TextIsWrittenByteForByteAndFinishReturnsWhenAllWasWritten) {
  for (const auto onFailure : {StreamSink::OnFailure::Throw, StreamSink::OnFailure::ReportAtFinish}) {
    std::FILE* stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    StreamSink sink(stream, "standard output", onFailure);
    sink.write("record");
    sink.writeText("no line end");
    EXPECT_EQ(errorOf([&] { sink.finish(); }), kNoError);
    EXPECT_EQ(testing::readBack(stream), "record\nno line end");
    std::fclose(stream);
  }
}

// A pipe nobody reads is a failed write like any other once SIGPIPE is
// ignored when the listing begins: finish() reports it.
TEST(StreamSink, AClosedPipeIsReportedAtTheEndWhenSigpipeWasIgnored) {
  const auto previous = std::signal(SIGPIPE, SIG_IGN);
  int ends[2] = {-1, -1};
  ASSERT_EQ(::pipe(ends), 0);
  ::close(ends[0]);
  std::FILE* stream = ::fdopen(ends[1], "w");
  ASSERT_NE(stream, nullptr);
  {
    StreamSink listing(stream, "standard output", StreamSink::OnFailure::ReportAtFinish);
    listing.write("line");
    EXPECT_EQ(errorOf([&] { listing.flush(); }), kNoError);
    EXPECT_EQ(errorOf([&] { listing.finish(); }), "cannot write standard output: Broken pipe");
  }
  std::fclose(stream);
  std::signal(SIGPIPE, previous);
}

}  // namespace
}  // namespace sizgen
