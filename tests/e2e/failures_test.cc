// Runs where something goes wrong on the server side or in the query:
// each must end with the specified result file and exit status, print
// nothing, send no more requests than the failure allows, and not crash.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/e2e/canned_server.h"
#include "tests/e2e/e2e_support.h"
#include "tests/e2e/sim_server.h"

namespace e2e {
namespace {

const std::vector<Period> kTwoFiles = {{"08:00:12", "08:59:40"},
                                       {"10:00:05", "10:29:30"}};
const std::vector<Period> kOneMotion = {{"08:10:00", "08:20:00"}};

// The full answer for kTwoFiles and kOneMotion, and the answer when the
// motions are lost.
const std::string kWithMotion = ListFile(
    1, {Row(1, 1, "08:10:00", "08:20:00"), Row(2, 0, "10:00:05", "10:29:30")});
const std::string kWithoutMotion = ListFile(
    1, {Row(1, 0, "08:00:12", "08:59:40"), Row(2, 0, "10:00:05", "10:29:30")});
const std::string kEmptyList = ListFile(1, {});
const std::string kQueryFailed = ErrorFile(1, 4);

struct FaultCase {
  const char* name;
  std::vector<std::string> fault_args;  // qmsim options
  std::string file;                     // expected result file
  int status;                           // expected exit status
  size_t requests;                      // requests that reach the server
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

const FaultCase kFaults[] = {
    // No tracker: nothing can be claimed, and nothing more is asked.
    {"ServerClosesWithoutAnswerFailsAfterOneRequest",
     {"--fault", "close"}, kQueryFailed, 4, 1},
    // No files reply: the motion request must not be sent.
    {"EmptyFilesReplyGivesEmptyListAndNoMotionRequest",
     {"--fault", "close", "--fault-command", "715"}, kEmptyList, 0, 2},
    {"EmptyMotionReplyKeepsTheIntervals",
     {"--fault", "close", "--fault-command", "716"}, kWithoutMotion, 0, 3},
    // A 193-byte tracker is not a tracker.
    {"NulByteInTrackerReplyFailsTheQuery",
     {"--fault", "nul", "--fault-command", "324"}, kQueryFailed, 4, 1},
    // The files document is read only up to the zero byte: no rows.
    {"NulByteInFilesReplyGivesEmptyList",
     {"--fault", "nul", "--fault-command", "715"}, kEmptyList, 0, 3},
    {"NulByteInMotionReplyLosesOnlyTheMotions",
     {"--fault", "nul", "--fault-command", "716"}, kWithoutMotion, 0, 3},
    // Garbage after a zero byte behind a complete document is not read.
    {"GarbageAfterTrailingNulIsIgnored",
     {"--fault", "trailing-nul", "--fault-command", "715"}, kWithMotion, 0, 3},
    // Replies of more than 1024 bytes must be read whole.
    {"RepliesOverOneKiBAreReadWhole", {"--fault", "pad"}, kWithMotion, 0, 3},
    {"RepliesInSmallChunksAreReadWhole",
     {"--fault", "chunked", "--chunk-size", "5", "--chunk-pause-ms", "1"},
     kWithMotion, 0, 3},
    {"TruncatedTrackerFailsTheQuery",
     {"--fault", "truncated", "--fault-command", "324"}, kQueryFailed, 4, 1},
    {"MalformedFilesReplyGivesEmptyList",
     {"--fault", "malformed", "--fault-command", "715"}, kEmptyList, 0, 3},
    {"LoginErrorToMotionRequestLosesOnlyTheMotions",
     {"--fault", "login-refused", "--fault-command", "716"}, kWithoutMotion, 0,
     3},
    // A files reply without rows still lets the motions be asked for.
    {"LoginErrorToFilesRequestGivesEmptyListAfterThreeRequests",
     {"--fault", "login-refused", "--fault-command", "715"}, kEmptyList, 0, 3},
    // There is no timeout: a slow answer is waited for.
    {"SlowTrackerAnswerIsWaitedFor",
     {"--fault", "stall", "--stall-ms", "300", "--fault-command", "324"},
     kWithMotion, 0, 3},
    // A "Login Error" text instead of the tracker fails the query.
    {"LoginErrorToTrackerFailsAfterOneRequest",
     {"--fault", "login-refused", "--fault-command", "324"}, kQueryFailed, 4, 1},
};

class E2eServerFaults : public E2eTest,
                     public ::testing::WithParamInterface<FaultCase> {};

TEST_P(E2eServerFaults, ResultFileStatusAndRequestCount) {
  const FaultCase& c = GetParam();
  ASSERT_TRUE(StoreCredentials(1, "operator", "demo-pass"));
  SimOptions options;
  options.scenario = Scenario(kTwoFiles, kOneMotion);
  options.extra_args = c.fault_args;
  SimServer sim(dir_.path(), options);
  ASSERT_TRUE(sim.Listening()) << sim.Log();

  const qmtest::RunResult run = RunQmrecinfo(dir_, Query());
  sim.Stop();

  EXPECT_FALSE(run.timed_out);
  EXPECT_EQ(run.status, c.status);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(qmtest::ReadWholeFile(dir_.File("result.txt")), c.file) << sim.Log();
  const std::vector<std::string> requests = sim.Requests();
  ASSERT_EQ(requests.size(), c.requests) << sim.Log();
  const unsigned codes[] = {324, 715, 716};
  for (size_t i = 0; i < requests.size(); ++i)
    EXPECT_EQ(CommandOf(requests[i]), codes[i]) << "request " << i + 1;
}

INSTANTIATE_TEST_SUITE_P(
    E2e, E2eServerFaults, ::testing::ValuesIn(kFaults),
    [](const ::testing::TestParamInfo<FaultCase>& info) {
      return info.param.name;
    });

class E2eQueryFailures : public E2eTest {};

TEST_F(E2eQueryFailures, NoServerListeningGivesErrorCode4) {
  ASSERT_TRUE(StoreCredentials(1, "operator", "demo-pass"));
  const qmtest::RunResult run = RunQmrecinfo(dir_, Query());
  EXPECT_FALSE(run.timed_out);
  EXPECT_EQ(run.status, 4);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(qmtest::ReadWholeFile(dir_.File("result.txt")), kQueryFailed);
}

// The date is sent as typed, then found unusable: no second request.
TEST_F(E2eQueryFailures, DateWithOneDotFailsAfterExactlyOneExchange) {
  ASSERT_TRUE(StoreCredentials(1, "operator", "demo-pass"));
  SimOptions options;
  options.scenario = Scenario(kTwoFiles, {});
  SimServer sim(dir_.path(), options);
  ASSERT_TRUE(sim.Listening()) << sim.Log();
  Query query;
  query.sdate = "2013.05";
  const qmtest::RunResult run = RunQmrecinfo(dir_, query);
  sim.Stop();
  EXPECT_EQ(run.status, 4);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(qmtest::ReadWholeFile(dir_.File("result.txt")), kQueryFailed);
  const std::vector<std::string> requests = sim.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(FieldOf(requests[0], "<StrParameter1 id=\"ref-5\">", "</StrParameter1>"),
            "2013.05");
}

// Wrong credentials in the segment: the server answers "Login Error"
// instead of the 192-byte tracker, which fails the query at once.
TEST_F(E2eQueryFailures, WrongPasswordInSegmentFailsAfterOneExchange) {
  ASSERT_TRUE(StoreCredentials(1, "operator", "not-the-password"));
  SimOptions options;
  options.scenario = Scenario(kTwoFiles, {});
  SimServer sim(dir_.path(), options);
  ASSERT_TRUE(sim.Listening()) << sim.Log();
  const qmtest::RunResult run = RunQmrecinfo(dir_, Query());
  sim.Stop();
  EXPECT_EQ(run.status, 4);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(qmtest::ReadWholeFile(dir_.File("result.txt")), kQueryFailed);
  EXPECT_EQ(sim.Requests().size(), 1u) << sim.Log();
  EXPECT_NE(sim.Log().find("login-refused"), std::string::npos) << sim.Log();
}

// A tracker reply of exactly 1024 bytes (not 192) delivered in pieces must
// be read whole and then refused, without reading past it.
TEST_F(E2eQueryFailures, OneKiBTrackerReplyInPiecesFailsTheQuery) {
  ASSERT_TRUE(StoreCredentials(1, "operator", "demo-pass"));
  CannedScript script;
  script.replies = {{324, std::string(1024, '\xFF')}};
  script.chunk_size = 3;
  CannedServer server(4011, script);
  ASSERT_TRUE(server.Listening());
  const qmtest::RunResult run = RunQmrecinfo(dir_, Query());
  EXPECT_FALSE(run.timed_out);
  EXPECT_EQ(run.status, 4);
  EXPECT_EQ(qmtest::ReadWholeFile(dir_.File("result.txt")), kQueryFailed);
  EXPECT_EQ(server.Requests().size(), 1u);
}

// Where the server is found: by name, by the default port, by the low 16
// bits of the port option. Nothing else listens, so a wrong port fails.
struct AddressCase {
  const char* name;
  std::string ipa;
  std::string port;  // "" leaves "-port=" out
  unsigned short listen_port;
};

void PrintTo(const AddressCase& c, std::ostream* os) { *os << c.name; }

const AddressCase kAddresses[] = {
    {"HostNameLocalhostIsResolved", "localhost", "4011", 4011},
    {"NoPortOptionUses4011", "127.0.0.1", "", 4011},
    {"Port70000ReachesPort4464", "127.0.0.1", "70000", 4464},
};

class E2eServerAddress : public E2eTest,
                      public ::testing::WithParamInterface<AddressCase> {};

TEST_P(E2eServerAddress, QueryReachesTheServer) {
  const AddressCase& c = GetParam();
  ASSERT_TRUE(StoreCredentials(1, "operator", "demo-pass"));
  SimOptions options;
  options.scenario = Scenario(kTwoFiles, kOneMotion);
  options.port = c.listen_port;
  SimServer sim(dir_.path(), options);
  ASSERT_TRUE(sim.Listening()) << sim.Log();
  Query query;
  query.ipa = c.ipa;
  query.port = c.port;
  const qmtest::RunResult run = RunQmrecinfo(dir_, query);
  sim.Stop();
  EXPECT_FALSE(run.timed_out);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(qmtest::ReadWholeFile(dir_.File("result.txt")), kWithMotion);
  EXPECT_EQ(sim.Requests().size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(
    E2e, E2eServerAddress, ::testing::ValuesIn(kAddresses),
    [](const ::testing::TestParamInfo<AddressCase>& info) {
      return info.param.name;
    });

}  // namespace
}  // namespace e2e
