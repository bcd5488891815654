// The day query where the end-to-end suite cannot reach (every worked example
// and failure it stages is checked there): interval assembly (MakeRecTimes),
// GetDateTimeTracker's outcome against a fake server that records every
// request, and the minute-flag walk.
#include "tests/client/query_test_util.h"

namespace {

using namespace qm_query_test;
using QM::ByteVector;
using QM::Server;

template <class T>
boost::shared_ptr<std::vector<boost::shared_ptr<T>>> List(const Spans& spans, const T& proto) {
  auto list = boost::make_shared<std::vector<boost::shared_ptr<T>>>();
  for (const auto& s : spans) {
    list->push_back(boost::make_shared<T>(proto));
    list->back()->StartStr = At(s.first);
    list->back()->EndStr = At(s.second);
  }
  return list;
}

QM::RecFileList Files(const Spans* s) { return s ? List(*s, QM::RecFile(L"a.dat")) : nullptr; }

const std::vector<std::wstring> kTwo = {L"1,2013-05-07T08:00:00,2013-05-07T08:59:59",
                                        L"2,2013-05-07T10:00:00,2013-05-07T10:29:59"};
const std::vector<std::wstring> kGap = {kTwo[0], L"2,2013-05-07T09:10:00,2013-05-07T09:12:59",
                                        L"3,2013-05-07T10:00:00,2013-05-07T10:29:59"};
const std::vector<std::wstring> kBad = {kTwo[0], L"garbage", L"3,2013-05-07T10:00:00"};
const Spans kFiles = {{L"08:00:12", L"08:59:40"}, {L"10:00:05", L"10:29:30"}};
const Spans kOneFile = {{L"08:00:12", L"10:29:30"}}, kFile1 = {kFiles[0]};
const Row kR1 = {0, L"08:00:12", L"08:59:40"}, kR3 = {0, L"10:00:00", L"10:29:30"};
// The gap interval 09:10:00-09:12:59 of kGap ends where the next file starts,
// or starts where the previous file ends.
const Spans kEndsAtFile = {kFiles[0], {L"09:12:59", L"10:29:30"}};
const Spans kStartsAtFile = {{L"08:00:12", L"09:10:00"}, {L"10:00:00", L"10:29:30"}};

TEST(IntervalAssembly, LastEdgeClippedOneFileUnprunedNullFilesAndBadRowsSurvived) {
  // files nullptr: a null file list; no motions: a null motion list.
  const struct { const char* name; const std::vector<std::wstring>* intervals; const Spans* files;
                 Spans motions; std::vector<Row> want; } cases[] = {
      {"MotionPastLastIntervalClippedToItsEnd", &kTwo, &kFiles, {{L"10:20:00", L"10:40:00"}},
       {kR1, {1, L"10:20:00", L"10:29:30"}}},
      // One file over all intervals: none pruned, inner edges not snapped.
      {"SingleFileNeverPrunes", &kGap, &kOneFile, {},
       {{0, L"08:00:12", L"08:59:59"}, {0, L"09:10:00", L"09:12:59"},
        {0, L"10:00:00", L"10:29:30"}}},
      {"NullFileListEmptyNonNullList", &kTwo, nullptr, {{L"08:10:00", L"08:20:00"}}, {}},
      // An interval touching a file edge from the gap side is still in the gap.
      {"GapIntervalEndingAtNextFileStartPruned", &kGap, &kEndsAtFile, {}, {kR1, kR3}},
      {"GapIntervalStartingAtPreviousFileEndPruned", &kGap, &kStartsAtFile, {},
       {{0, L"08:00:12", L"08:59:59"}, kR3}},
      // Decision: a malformed row does not crash; its missing pieces are
      // empty texts, so only the zone suffix is left and its times read 0.
      {"MalformedRowsTakeMissingPiecesAsEmpty", &kBad, &kFile1, {},
       {kR1, {0, L"-04:00", L"-04:00"}, {0, L"10:00:00", L"-04:00"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::wstring> rows = *c.intervals;
    const QM::RecMotionList motions =
        c.motions.empty() ? nullptr : List(c.motions, QM::RecMotion(kMot));
    ExpectRows(Server::MakeRecTimes(kCam, rows, Files(c.files), motions), c.want);
  }
}

TEST(IntervalAssembly, FileStillBeingWrittenEndsLastIntervalNow) {
  std::vector<std::wstring> rows = kTwo;
  const Spans files = {kFiles[0], {L"10:00:05", L"10:00:05"}};
  const time_t before = time(nullptr);
  const QM::RecTimeList got = Server::MakeRecTimes(kCam, rows, Files(&files), nullptr);
  const time_t after = time(nullptr);
  ASSERT_TRUE(got && got->size() == 2);
  EXPECT_TRUE(got->back()->End >= before && got->back()->End <= after && got->back()->EndFixed);
  std::wstring now;
  Server::ConvToDateTimeStr(got->back()->End, now, L"-04:00");
  ExpectRows(got, {kR1, {0, L"10:00:05", now.c_str()}});
}

struct FakeServer : QM::Server {
  FakeServer() : Server(L"127.0.0.1", 4011, L"admin", L"secret", 0, 4242) {}
  // Answers the next canned reply; an empty one, or none left, fails (0).
  unsigned int TransactCommandChannel(ByteVector& request, ByteVector& reply) override {
    requests.emplace_back(request.begin(), request.end());
    if (requests.size() > replies.size()) return 0;
    reply = replies[requests.size() - 1];
    return static_cast<unsigned int>(reply.size());
  }
  std::vector<std::string> requests;
  std::vector<ByteVector> replies;
};

// One recording file, 08:00:12 to 08:59:40.
const std::string kFileRows = DataSet("<Table><StartTime>2013-05-07T08:00:12-04:00</StartTime>"
                                      "<EndTime>2013-05-07T08:59:40-04:00</EndTime></Table>");

TEST(DayTracker, OutcomeAndExchangesFitRepliesAndBadInputSendsNoMore) {
  const std::wstring kLong(5000, L'1');
  // Every minute recorded, one recording file.
  const ByteVector kTracker(192, 0xFF), kFileReply(kFileRows.begin(), kFileRows.end());
  const std::string kCommand[] = {">324</CommandCode>", ">715</CommandCode>", ">716</CommandCode>"};
  const struct { const char* name; const wchar_t* date; std::vector<ByteVector> replies; bool ok;
                 size_t exchanges; std::vector<Row> rows; } cases[] = {  // rows of a true answer
      {"EmptyMotionReplyKeepsIntervalsAsType0", L"05.07.2013", {kTracker, kFileReply, {}}, true, 3,
       {{0, L"08:00:12", L"08:59:40"}}},
      {"NullDate", nullptr, {ByteVector(192, 0)}, false, 1, {}},
      {"TrackerOneByteShort", L"05.07.2013", {ByteVector(191, 0xFF)}, false, 1, {}},
      {"TrackerOneByteLong", L"05.07.2013", {ByteVector(193, 0xFF)}, false, 1, {}},
      {"DateTooLongToFrameNeverSent", kLong.c_str(), {kTracker}, false, 0, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeServer server;
    server.replies = c.replies;
    const QM::RecTimeList before =
        boost::make_shared<QM::RecTimeVector>(1, boost::make_shared<QM::RecTime>(99));
    QM::RecTimeList out = before;
    EXPECT_EQ(server.GetDateTimeTracker(kCam, c.date, out), c.ok);
    ASSERT_EQ(server.requests.size(), c.exchanges);
    for (size_t i = 0; i < c.exchanges; ++i)
      for (const std::string& text : {kCommand[i], std::string("<CookieID>4242<")})
        EXPECT_NE(server.requests[i].find(text), std::string::npos) << text;
    EXPECT_EQ(out == before, !c.ok);  // replaced on true, untouched on false
    EXPECT_TRUE(before->size() == 1 && before->front()->CamId == 99u);
    if (c.ok) ExpectRows(out, c.rows);
  }
}

TEST(DayTracker, MinuteWalkRowsAndShortTrackerNeverOverRead) {
  // The inclusive minute runs set in a tracker of `size` flags, and the rows.
  const struct { const char* name; std::vector<std::pair<int, int>> set; size_t size;
                 std::vector<std::wstring> rows; } cases[] = {
      {"NoneSetClearsStaleRows", {}, 1440, {}},
      {"LastMinuteOnly", {{1439, 1439}}, 1440, {L"1,2013-05-07T23:59:00,2013-05-07T23:59:59"}},
      // Walked only as far as it goes; the open run closes after its last flag.
      {"ShortTrackerNotOverRead", {{0, 9}}, 10, {L"1,2013-05-07T00:00:00,2013-05-07T00:09:59"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<bool> flags(c.size, false);
    for (auto r : c.set) std::fill(flags.begin() + r.first, flags.begin() + r.second + 1, true);
    std::vector<std::wstring> rows = {L"stale row"};
    Server::ConvRecInfoPerDatFromVpm(kCam, L"05.07.2013", flags, rows);
    EXPECT_EQ(rows, c.rows);
  }
}

}  // namespace
