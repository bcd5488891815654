// The day query: the minute-flag walk, and GetDateTimeTracker's outcome for
// each kind of reply against a fake server that records every request.
#include "tests/client/query_test_util.h"

namespace {

using namespace qm_query_test;
using QM::ByteVector;

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

// 192 bytes: per hour 8 bytes (seven of 8 minutes, one of 4), LSB first.
ByteVector TrackerReply(const std::vector<std::pair<int, int>>& runs) {
  ByteVector bytes(192, 0);
  for (const auto& run : runs)
    for (int m = run.first; m <= run.second; ++m) bytes[m / 60 * 8 + m % 60 / 8] |= 1u << (m % 60 % 8);
  return bytes;
}

// A DataSet reply: one table per span, with `fields` and the span's times.
ByteVector DataSet(const std::string& fields, const std::vector<std::pair<const char*, const char*>>& spans) {
  std::string t = "<DataSet><diffgr:diffgram><NewDataSet>";
  for (const auto& s : spans)
    t += "<Table>" + fields + "<StartTime>2013-05-07T" + s.first + "-04:00</StartTime><EndTime>2013-05-07T" +
         s.second + "-04:00</EndTime></Table>";
  t += "</NewDataSet></diffgr:diffgram></DataSet>";
  return ByteVector(t.begin(), t.end());
}

const ByteVector kTracker = TrackerReply({{480, 539}, {600, 629}}), kNoDay(192, 0), kNone;
const ByteVector kFiles = DataSet("<CameraID>12</CameraID><FileID>1</FileID><RecordingType>0</RecordingType>",
                                  {{"08:00:12", "08:59:40"}, {"10:00:05", "10:29:30"}});
const std::string kMotion = "<oCameraID>9</oCameraID><FileID>1</FileID>";

TEST(DayTracker, OutcomeAndExchangesFitRepliesAndBadInputSendsNoMore) {
  const std::wstring kLong(5000, L'1');
  const wchar_t* kDay = L"05.07.2013";
  const std::string kCommand[] = {">324</CommandCode>", ">715</CommandCode>", ">716</CommandCode>"};
  const struct { const char* name; const wchar_t* date; std::vector<ByteVector> replies; bool ok; size_t exchanges;
                 std::vector<Row> rows; } cases[] = {  // rows of a true answer
      {"EmptyMotionReplyKeepsIntervalsAsType0", kDay, {kTracker, kFiles, kNone}, true, 3,
       {{0, L"08:00:12", L"08:59:40"}, {0, L"10:00:05", L"10:29:30"}}},
      {"EmptyRecordingInfoReplyEmptyListNoMotionRequest", kDay, {kTracker, kNone, DataSet(kMotion, {})}, true, 2, {}},
      {"RecordingInfoWithoutRowsStillAsksMotions", kDay,
       {kTracker, DataSet("", {}), DataSet(kMotion, {{"08:10:00", "08:20:00"}})}, true, 3, {}},
      {"EmptyTrackerReply", kDay, {kNone}, false, 1, {}},
      {"DateWithOneDot", L"2013.05", {kNoDay}, false, 1, {}},
      {"NullDate", nullptr, {kNoDay}, false, 1, {}},
      {"TrackerOneByteShort", kDay, {ByteVector(191, 0xFF)}, false, 1, {}},
      {"TrackerOneByteLong", kDay, {ByteVector(193, 0xFF)}, false, 1, {}},
      {"DateTooLongToFrameNeverSent", kLong.c_str(), {kTracker}, false, 0, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeServer server;
    server.replies = c.replies;
    const QM::RecTimeList before = boost::make_shared<QM::RecTimeVector>(1, boost::make_shared<QM::RecTime>(99));
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
  const struct { const char* name; std::vector<std::pair<int, int>> set; size_t size; Spans rows; } cases[] = {
      {"AllSet", {{0, 1439}}, 1440, {{L"00:00:00", L"23:59:59"}}},
      {"NoneSet", {}, 1440, {}},
      {"TwoRunsNumberedInOrder", {{0, 59}, {120, 179}}, 1440, {{L"00:00:00", L"00:59:59"}, {L"02:00:00", L"02:59:59"}}},
      {"LastMinuteOnly", {{1439, 1439}}, 1440, {{L"23:59:00", L"23:59:59"}}},
      // Walked only as far as it goes; the open run closes after its last flag.
      {"ShortTrackerNotOverRead", {{0, 9}}, 10, {{L"00:00:00", L"00:09:59"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<bool> flags(c.size, false);
    for (const auto& r : c.set) std::fill(flags.begin() + r.first, flags.begin() + r.second + 1, true);
    std::vector<std::wstring> want, rows = {L"stale row"};
    for (const auto& w : c.rows)
      want.push_back(std::to_wstring(want.size() + 1) + L",2013-05-07T" + w.first + L",2013-05-07T" + w.second);
    QM::Server::ConvRecInfoPerDatFromVpm(kCam, L"05.07.2013", flags, rows);
    EXPECT_EQ(rows, want);
  }
}

}  // namespace
