// Runs where the server or the query goes wrong, and where the server is
// found: the exit status, the exact result file and how many requests the
// server saw (no more than the failure allows).
#include "tests/e2e/e2e_support.h"

namespace e2e {
namespace {

const Periods kTwoFiles = {{"08:00:12", "08:59:40"}, {"10:00:05", "10:29:30"}};
const Periods kOneMotion = {{"08:10:00", "08:20:00"}};
const std::string kWithMotion = ListFile(1, {Row(1, 1, "08:10:00", "08:20:00"), Row(2, 0, "10:00:05", "10:29:30")});
const std::string kNoMotion = ListFile(1, {Row(1, 0, "08:00:12", "08:59:40"), Row(2, 0, "10:00:05", "10:29:30")});
const std::string kEmpty = ListFile(1, {}), kFailed = ErrorFile(1, 4);

enum Server { kQmsim, kNoServer, kCanned1024 };  // kCanned1024: files reply of 1024 bytes, 7 per send

struct Case {
  const char* name;
  Server server;
  std::vector<std::string> qmsim_args;
  Query query;
  int status;
  std::string file;
  size_t requests;
};

const Case kCases[] = {
    {"NoServerListeningGivesCode4", kNoServer, {}, {}, 4, kFailed, 0},
    {"ServerClosingWithoutAnswerGivesCode4", kQmsim, {"--fault", "close"}, {}, 4, kFailed, 1},
    {"EmptyFilesReplyGivesEmptyListAndNoMotionRequest", kQmsim, {"--fault", "close", "--fault-command", "715"}, {},
     0, kEmpty, 2},
    {"DateWithOneDotGivesCode4AfterOneExchange", kQmsim, {}, {"1", "127.0.0.1", "4011", "2013.05"}, 4, kFailed, 1},
    // The segment's password is not the server's: "Login Error" instead of the tracker.
    {"LoginErrorReplyGivesCode4AfterOneExchange", kQmsim, {"--password", "other"}, {}, 4, kFailed, 1},
    // The motions document is read only up to the zero byte: no motions.
    {"NulByteInMotionReplyLosesOnlyTheMotions", kQmsim, {"--fault", "nul", "--fault-command", "716"}, {}, 0,
     kNoMotion, 3},
    {"GarbageAfterTrailingNulIsIgnored", kQmsim, {"--fault", "trailing-nul", "--fault-command", "715"}, {}, 0,
     kWithMotion, 3},
    {"RepliesOverOneKiBAreReadWhole", kQmsim, {"--fault", "pad"}, {}, 0, kWithMotion, 3},
    {"ReplyOfExactly1024BytesInSmallPiecesIsReadWhole", kCanned1024, {}, {}, 0, kWithMotion, 3},
    // There is no receive timeout: a slow answer is waited for.
    {"SlowTrackerAnswerIsWaitedFor", kQmsim, {"--fault", "stall", "--stall-ms", "300", "--fault-command", "324"},
     {}, 0, kWithMotion, 3},
    {"HostNameLocalhostIsResolved", kQmsim, {}, {"1", "localhost"}, 0, kWithMotion, 3},
    {"NoPortOptionUses4011", kQmsim, {}, {"1", "127.0.0.1", ""}, 0, kWithMotion, 3},
    {"Port70000ReachesPort4464", kQmsim, {"--port", "4464"}, {"1", "127.0.0.1", "70000"}, 0, kWithMotion, 3},
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class E2eFailures : public E2eTest, public ::testing::WithParamInterface<Case> {};

TEST_P(E2eFailures, ExitStatusResultFileAndRequestsSeen) {
  const Case& c = GetParam();
  ASSERT_TRUE(StoreCredentials(1, "operator", "demo-pass"));
  std::string files = DataSet(kTwoFiles, true);
  ASSERT_LT(files.size(), 1024u);
  files.resize(1024, ' ');
  Expect(c.server == kNoServer ? RunQmrecinfo(c.query)
         : c.server == kQmsim  ? RunSim(c.query, Scenario(kTwoFiles, kOneMotion), c.qmsim_args)
                               : RunCanned(c.query, {{"324", TrackerReply({{480, 539}, {600, 629}})}, {"715", files},
                                                     {"716", DataSet(kOneMotion, false)}}, 7),
         c.status, c.file, c.requests);
}

INSTANTIATE_TEST_SUITE_P(E2e, E2eFailures, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e
