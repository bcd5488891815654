// The day recording query: the minute-flag walk, and GetDateTimeTracker's
// three exchanges against a fake server that records the exact bytes of
// every request and answers from a queue of canned replies.
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

#include "client/server.h"

// Defined in rectime_assembly_test.cc (same binary), which also sets
// TZ=AST4 for every test before main.
namespace qm_query_test {
struct Row {
  unsigned int type;  // 1: a motion of camera 9, 0: an interval of camera 12
  const wchar_t *start, *end;
};
void ExpectRows(const QM::RecTimeList& got, const std::vector<Row>& want);
}  // namespace qm_query_test

namespace {

using QM::ByteVector;
typedef std::vector<std::pair<const char*, const char*>> Spans;

struct FakeServer : QM::Server {
  FakeServer() : Server(L"127.0.0.1", 4011, L"admin", L"secret", 0, 4242) {}
  // Answers the next queued reply; an empty one, or none left, fails (0).
  unsigned int TransactCommandChannel(ByteVector& request,
                                      ByteVector& reply) override {
    requests.emplace_back(request.begin(), request.end());
    if (replies.empty()) return 0;
    reply = replies.front();
    replies.pop_front();
    return static_cast<unsigned int>(reply.size());
  }
  std::vector<std::string> requests;
  std::deque<ByteVector> replies;
};

// 192 bytes: per hour 8 bytes (seven of 8 minutes, one of 4), LSB first.
ByteVector TrackerReply(const std::vector<std::pair<int, int>>& runs) {
  ByteVector bytes(192, 0);
  for (const auto& run : runs)
    for (int m = run.first; m <= run.second; ++m)
      bytes[m / 60 * 8 + m % 60 / 8] |= 1u << (m % 60 % 8);
  return bytes;
}

// A DataSet reply: one table per span, with `fields` and the span's times.
ByteVector DataSet(const std::string& fields, const Spans& spans) {
  std::string t = "<DataSet><diffgr:diffgram xmlns:diffgr=\"urn:schemas-"
                  "microsoft-com:xml-diffgram-v1\"><NewDataSet>";
  for (const auto& s : spans)
    t += "<Table>" + fields + "<StartTime>2013-05-07T" + s.first +
         "-04:00</StartTime><EndTime>2013-05-07T" + s.second +
         "-04:00</EndTime></Table>";
  t += "</NewDataSet></diffgr:diffgram></DataSet>";
  return ByteVector(t.begin(), t.end());
}

const ByteVector kTracker = TrackerReply({{480, 539}, {600, 629}}),
                 kNoDay(192, 0), kNone;
const ByteVector kFiles = DataSet(
    "<CameraID>12</CameraID><FileID>1</FileID><FileName>a.dat</FileName>"
    "<RecordingType>0</RecordingType><TotalFrames>100</TotalFrames>",
    {{"08:00:12", "08:59:40"}, {"10:00:05", "10:29:30"}});
const std::string kMotion = "<oCameraID>9</oCameraID><FileID>1</FileID>";

// clang-format off
// Each case also checks the bytes of every request it sent: the command,
// cookie and camera, and for 05.07.2013 the date, then the day window.
TEST(DayTracker, RequestsCarryCameraDateWindowCookieAndOutcomeFitsReplies) {
  const std::wstring kLong(5000, L'1');
  const wchar_t* kDay = L"05.07.2013";
  // Per exchange: the command, then StrParameter1 and 2 for kDay.
  const std::string kSent[3][3] = {
      {"324", ">05.07.2013<", " />"},
      {"715", ">2013-05-07T00:00:00<", ">2013-05-08T00:00:00<"},
      {"716", ">2013-05-07T00:00:00<", ">2013-05-08T00:00:00<"}};
  const struct {
    const char* name;
    const wchar_t* date;
    std::vector<ByteVector> replies;
    bool ok;
    size_t exchanges;
    std::vector<qm_query_test::Row> rows;  // of a true answer
  } cases[] = {
    {"EmptyMotionReplyKeepsIntervalsAsType0", kDay, {kTracker, kFiles, kNone},
     true, 3, {{0, L"08:00:12", L"08:59:40"}, {0, L"10:00:05", L"10:29:30"}}},
    {"EmptyRecordingInfoReplyEmptyListNoMotionRequest", kDay,
     {kTracker, kNone, DataSet(kMotion, {})}, true, 2, {}},
    {"RecordingInfoWithoutRowsStillAsksMotions", kDay,
     {kTracker, DataSet("", {}), DataSet(kMotion, {{"08:10:00", "08:20:00"}})},
     true, 3, {}},
    {"EmptyTrackerReply", kDay, {kNone}, false, 1, {}},
    {"DateWithOneDot", L"2013.05", {kNoDay}, false, 1, {}},
    {"NullDate", nullptr, {kNoDay}, false, 1, {}},
    {"TrackerOneByteShort", kDay, {ByteVector(191, 0xFF)}, false, 1, {}},
    {"TrackerOneByteLong", kDay, {ByteVector(193, 0xFF)}, false, 1, {}},
    {"DateTooLongToFrameNeverSent", kLong.c_str(), {kTracker}, false, 0, {}},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeServer server;
    server.replies.assign(c.replies.begin(), c.replies.end());
    const QM::RecTimeList before = boost::make_shared<QM::RecTimeVector>(
        1, boost::make_shared<QM::RecTime>(99));
    QM::RecTimeList out = before;
    EXPECT_EQ(server.GetDateTimeTracker(12, c.date, out), c.ok);
    ASSERT_EQ(server.requests.size(), c.exchanges);
    for (size_t i = 0; i < c.exchanges; ++i) {
      std::vector<std::string> want = {">" + kSent[i][0] + "</CommandCode>",
                                       "<CookieID>4242<", "<IntParameter1>12<"};
      if (c.date == kDay)
        want.insert(want.end(), {"<StrParameter1 id=\"ref-5\"" + kSent[i][1],
                                 "<StrParameter2 id=\"ref-6\"" + kSent[i][2]});
      for (const std::string& text : want)
        EXPECT_NE(server.requests[i].find(text), std::string::npos) << text;
    }
    EXPECT_EQ(out == before, !c.ok);  // replaced on true, untouched on false
    EXPECT_TRUE(before->size() == 1 && before->front()->CamId == 99u);
    if (c.ok) qm_query_test::ExpectRows(out, c.rows);
  }
}

TEST(DayTracker, MinuteWalkRowsAndShortTrackerNeverOverRead) {
  // clang-format off
  const struct {
    const char* name;
    std::vector<std::pair<int, int>> set;  // inclusive minute runs
    size_t size;
    std::vector<std::pair<const wchar_t*, const wchar_t*>> rows;
  } cases[] = {
    {"AllSet", {{0, 1439}}, 1440, {{L"00:00:00", L"23:59:59"}}},
    {"NoneSet", {}, 1440, {}},
    {"TwoRunsNumberedInOrder", {{0, 59}, {120, 179}}, 1440,
     {{L"00:00:00", L"00:59:59"}, {L"02:00:00", L"02:59:59"}}},
    {"LastMinuteOnly", {{1439, 1439}}, 1440, {{L"23:59:00", L"23:59:59"}}},
    // Walked only as far as it goes; the open run closes after its last flag.
    {"ShortTrackerNotOverRead", {{0, 9}}, 10, {{L"00:00:00", L"00:09:59"}}},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<bool> flags(c.size, false);
    for (const auto& r : c.set)
      for (int m = r.first; m <= r.second; ++m) flags[m] = true;
    std::vector<std::wstring> want, rows = {L"stale row"};
    for (const auto& w : c.rows)
      want.push_back(std::to_wstring(want.size() + 1) + L",2013-05-07T" +
                     w.first + L",2013-05-07T" + w.second);
    QM::Server::ConvRecInfoPerDatFromVpm(12, L"05.07.2013", flags, rows);
    EXPECT_EQ(rows, want);
  }
}

}  // namespace
