// The day recording query: the minute-flag walk, and the three exchanges
// of GetDateTimeTracker against a fake server that records the exact bytes
// of every request and answers from a queue of canned replies.
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

#include "client/server.h"

namespace {

using QM::ByteVector;
using QM::RecTimeList;
using QM::Server;

const unsigned int kCookie = 4242;

class FakeServer : public Server {
 public:
  FakeServer() : Server(L"127.0.0.1", 4011, L"admin", L"secret", 0, kCookie) {}

  // Records the request and whether the caller's reply vector was empty;
  // answers with the next canned reply (an empty one, or none left, counts
  // as a failed exchange: result 0, reply untouched).
  unsigned int TransactCommandChannel(ByteVector& request,
                                      ByteVector& reply) override {
    requests.emplace_back(request.begin(), request.end());
    reply_was_empty.push_back(reply.empty());
    if (replies.empty()) return 0;
    ByteVector next = replies.front();
    replies.pop_front();
    if (next.empty()) return 0;
    reply = next;
    return static_cast<unsigned int>(reply.size());
  }

  std::vector<std::string> requests;
  std::vector<bool> reply_was_empty;
  std::deque<ByteVector> replies;
};

ByteVector Bytes(const std::string& text) {
  return ByteVector(text.begin(), text.end());
}

// A 192-byte tracker reply with the given inclusive minute ranges set:
// per hour 8 bytes, seven of 8 minutes and one of 4 (low bits), LSB first.
ByteVector TrackerReply(const std::vector<std::pair<int, int>>& ranges) {
  ByteVector bytes(192, 0);
  for (const auto& range : ranges) {
    for (int minute = range.first; minute <= range.second; ++minute) {
      const int in_hour = minute % 60;
      bytes[(minute / 60) * 8 + in_hour / 8] |=
          static_cast<unsigned char>(1u << (in_hour % 8));
    }
  }
  return bytes;
}

struct Span {
  const char* start;
  const char* end;
};

std::string At(const char* hms) {
  return std::string("2013-05-07T") + hms + "-04:00";
}

std::string DataSet(const std::string& tables) {
  return "<DataSet><diffgr:diffgram xmlns:diffgr=\"urn:schemas-microsoft-com:"
         "xml-diffgram-v1\"><NewDataSet>" +
         tables + "</NewDataSet></diffgr:diffgram></DataSet>";
}

ByteVector FilesReply(const std::vector<Span>& files) {
  std::string tables;
  for (const Span& f : files) {
    tables += "<Table><CameraID>12</CameraID><FileID>1</FileID><FileName>a.dat"
              "</FileName><StartTime>" + At(f.start) + "</StartTime><EndTime>" +
              At(f.end) + "</EndTime><RecordingType>0</RecordingType>"
              "<TotalFrames>100</TotalFrames></Table>";
  }
  return Bytes(DataSet(tables));
}

ByteVector MotionReply(const std::vector<Span>& motions) {
  std::string tables;
  for (const Span& m : motions) {
    tables += "<Table><oCameraID>12</oCameraID><FileID>1</FileID><StartTime>" +
              At(m.start) + "</StartTime><EndTime>" + At(m.end) +
              "</EndTime></Table>";
  }
  return Bytes(DataSet(tables));
}

// The text between `open` and the next `close` in a request, or "<none>".
std::string Between(const std::string& text, const std::string& open,
                    const std::string& close) {
  const size_t at = text.find(open);
  if (at == std::string::npos) return "<none>";
  const size_t from = at + open.size();
  const size_t to = text.find(close, from);
  return to == std::string::npos ? "<none>" : text.substr(from, to - from);
}

std::string CommandCode(const std::string& request) {
  const std::string tail = "</CommandCode>";
  const size_t end = request.find(tail);
  if (end == std::string::npos) return "<none>";
  const size_t start = request.rfind('>', end) + 1;
  return request.substr(start, end - start);
}

// Frame prefix: client type 6, then the frame length (little-endian) equal
// to the number of bytes sent.
void ExpectQueryFrame(const std::string& request) {
  ASSERT_GE(request.size(), 5u);
  EXPECT_EQ(static_cast<unsigned char>(request[0]), 6);
  const unsigned char* len =
      reinterpret_cast<const unsigned char*>(request.data()) + 1;
  const size_t length = len[0] | (len[1] << 8) | (len[2] << 16) |
                        (static_cast<size_t>(len[3]) << 24);
  EXPECT_EQ(length, request.size());
}

const ByteVector kTracker = TrackerReply({{480, 539}, {600, 629}});
const std::vector<Span> kTwoFiles = {{"08:00:12", "08:59:40"},
                                     {"10:00:05", "10:29:30"}};

class DayTrackerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "AST4", 1);
    tzset();
  }

  // An out list that a failing query must leave as it is.
  RecTimeList Sentinel() {
    RecTimeList list = boost::make_shared<QM::RecTimeVector>();
    list->push_back(boost::make_shared<QM::RecTime>(99));
    return list;
  }

  FakeServer server_;
};

TEST_F(DayTrackerTest, SendsTrackerThenFilesThenMotionsWithDayWindow) {
  server_.replies = {kTracker, FilesReply(kTwoFiles),
                     MotionReply({{"08:10:00", "08:20:00"}})};
  RecTimeList out;
  ASSERT_TRUE(server_.GetDateTimeTracker(12, L"05.07.2013", out));
  ASSERT_EQ(server_.requests.size(), 3u);

  const std::string& tracker = server_.requests[0];
  ExpectQueryFrame(tracker);
  EXPECT_EQ(CommandCode(tracker), "324");
  EXPECT_EQ(Between(tracker, "<IntParameter1>", "</IntParameter1>"), "12");
  EXPECT_EQ(Between(tracker, "<StrParameter1 id=\"ref-5\">", "</StrParameter1>"),
            "05.07.2013");
  EXPECT_NE(tracker.find("<StrParameter2 id=\"ref-6\" />"), std::string::npos);

  const char* codes[] = {"715", "716"};
  for (int i = 1; i <= 2; ++i) {
    SCOPED_TRACE(i);
    const std::string& request = server_.requests[i];
    ExpectQueryFrame(request);
    EXPECT_EQ(CommandCode(request), codes[i - 1]);
    EXPECT_EQ(Between(request, "<IntParameter1>", "</IntParameter1>"), "12");
    EXPECT_EQ(
        Between(request, "<StrParameter1 id=\"ref-5\">", "</StrParameter1>"),
        "2013-05-07T00:00:00");
    EXPECT_EQ(
        Between(request, "<StrParameter2 id=\"ref-6\">", "</StrParameter2>"),
        "2013-05-08T00:00:00");
  }
  for (const std::string& request : server_.requests) {
    EXPECT_EQ(Between(request, "<CookieID>", "</CookieID>"), "4242");
    EXPECT_EQ(Between(request, "<UID id=\"ref-3\">", "</UID>"), "admin");
    EXPECT_EQ(Between(request, "<PWD>", "</PWD>"), "secret");
  }
  for (bool was_empty : server_.reply_was_empty) EXPECT_TRUE(was_empty);

  ASSERT_TRUE(out);
  ASSERT_EQ(out->size(), 2u);
  EXPECT_EQ((*out)[0]->RecType, 1u);
  EXPECT_EQ((*out)[0]->StartStr, L"2013-05-07T08:10:00-04:00");
  EXPECT_EQ((*out)[1]->RecType, 0u);
  EXPECT_EQ((*out)[1]->StartStr, L"2013-05-07T10:00:05-04:00");
  EXPECT_EQ((*out)[1]->EndStr, L"2013-05-07T10:29:30-04:00");
}

TEST_F(DayTrackerTest, UnpaddedDateGivesSameWindowButIsSentAsGiven) {
  server_.replies = {kTracker, FilesReply(kTwoFiles), MotionReply({})};
  RecTimeList out;
  ASSERT_TRUE(server_.GetDateTimeTracker(12, L"5.7.2013", out));
  ASSERT_EQ(server_.requests.size(), 3u);
  EXPECT_EQ(Between(server_.requests[0], "<StrParameter1 id=\"ref-5\">",
                    "</StrParameter1>"),
            "5.7.2013");
  EXPECT_EQ(Between(server_.requests[1], "<StrParameter1 id=\"ref-5\">",
                    "</StrParameter1>"),
            "2013-05-07T00:00:00");
  EXPECT_EQ(Between(server_.requests[2], "<StrParameter2 id=\"ref-6\">",
                    "</StrParameter2>"),
            "2013-05-08T00:00:00");
}

struct FailureCase {
  const char* name;
  bool null_date;
  std::wstring date;
  std::vector<ByteVector> replies;
  size_t exchanges;
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class TrackerFailureTest : public DayTrackerTest,
                           public ::testing::WithParamInterface<FailureCase> {};

TEST_P(TrackerFailureTest, ReturnsFalseAndLeavesOutUntouched) {
  const FailureCase& c = GetParam();
  server_.replies.assign(c.replies.begin(), c.replies.end());
  RecTimeList out = Sentinel();
  const RecTimeList before = out;
  EXPECT_FALSE(server_.GetDateTimeTracker(
      12, c.null_date ? nullptr : c.date.c_str(), out));
  EXPECT_EQ(out, before);
  EXPECT_EQ(out->size(), 1u);
  EXPECT_EQ(server_.requests.size(), c.exchanges);
}

const FailureCase kFailureCases[] = {
    {"EmptyTrackerReply", false, L"05.07.2013", {ByteVector()}, 1},
    {"NoServerAnswer", false, L"05.07.2013", {}, 1},
    {"DateWithOneDot", false, L"2013.05", {TrackerReply({})}, 1},
    {"DateWithThreeDots", false, L"05.07.2013.", {TrackerReply({})}, 1},
    {"NullDate", true, L"", {TrackerReply({})}, 1},
    {"XmlErrorInsteadOfTracker", false, L"05.07.2013",
     {Bytes("<Error>Login failed</Error>")}, 1},
    {"TrackerOneByteShort", false, L"05.07.2013", {ByteVector(191, 0xFF)}, 1},
    {"TrackerOneByteLong", false, L"05.07.2013", {ByteVector(193, 0xFF)}, 1},
    // A date too long to frame is never sent.
    {"UnframeableDate", false, std::wstring(5000, L'1'), {kTracker}, 0},
};

INSTANTIATE_TEST_SUITE_P(
    Cases, TrackerFailureTest, ::testing::ValuesIn(kFailureCases),
    [](const ::testing::TestParamInfo<FailureCase>& info) {
      return std::string(info.param.name);
    });

TEST_F(DayTrackerTest, EmptyRecordingInfoReplySkipsMotionRequest) {
  server_.replies = {kTracker, ByteVector(), MotionReply({})};
  RecTimeList out = Sentinel();
  ASSERT_TRUE(server_.GetDateTimeTracker(12, L"05.07.2013", out));
  ASSERT_TRUE(out);
  EXPECT_TRUE(out->empty());
  EXPECT_EQ(server_.requests.size(), 2u);
}

TEST_F(DayTrackerTest, RecordingInfoWithoutRowsStillAsksForMotions) {
  server_.replies = {kTracker, Bytes("<Error>Login failed</Error>"),
                     MotionReply({{"08:10:00", "08:20:00"}})};
  RecTimeList out = Sentinel();
  ASSERT_TRUE(server_.GetDateTimeTracker(12, L"05.07.2013", out));
  ASSERT_TRUE(out);
  EXPECT_TRUE(out->empty());
  ASSERT_EQ(server_.requests.size(), 3u);
  EXPECT_EQ(CommandCode(server_.requests[2]), "716");
}

TEST_F(DayTrackerTest, EmptyMotionReplyKeepsIntervalsAsRecorded) {
  server_.replies = {kTracker, FilesReply(kTwoFiles), ByteVector()};
  RecTimeList out;
  ASSERT_TRUE(server_.GetDateTimeTracker(12, L"05.07.2013", out));
  EXPECT_EQ(server_.requests.size(), 3u);
  ASSERT_TRUE(out);
  ASSERT_EQ(out->size(), 2u);
  const wchar_t* want[2][2] = {
      {L"2013-05-07T08:00:12-04:00", L"2013-05-07T08:59:40-04:00"},
      {L"2013-05-07T10:00:05-04:00", L"2013-05-07T10:29:30-04:00"}};
  for (unsigned int i = 0; i < 2; ++i) {
    const QM::RecTime& row = *(*out)[i];
    EXPECT_EQ(row.Idx, i + 1);
    EXPECT_EQ(row.CamId, 12u);
    EXPECT_EQ(row.RecType, 0u);
    EXPECT_EQ(row.StartStr, want[i][0]);
    EXPECT_EQ(row.EndStr, want[i][1]);
  }
}

TEST_F(DayTrackerTest, DayWithoutRecordingStillAsksAndAnswersEmpty) {
  server_.replies = {TrackerReply({}), FilesReply(kTwoFiles), MotionReply({})};
  RecTimeList out;
  ASSERT_TRUE(server_.GetDateTimeTracker(12, L"05.07.2013", out));
  EXPECT_EQ(server_.requests.size(), 3u);
  ASSERT_TRUE(out);
  EXPECT_TRUE(out->empty());
}

// ---- The minute-flag walk ----

std::vector<bool> Flags(const std::vector<std::pair<int, int>>& ranges,
                        size_t size = 1440) {
  std::vector<bool> flags(size, false);
  for (const auto& range : ranges) {
    for (int m = range.first; m <= range.second; ++m) flags[m] = true;
  }
  return flags;
}

struct WalkCase {
  const char* name;
  const wchar_t* date;
  std::vector<bool> tracker;
  std::vector<std::wstring> rows;
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const WalkCase& c, std::ostream* os) { *os << c.name; }

class WalkTest : public DayTrackerTest,
                 public ::testing::WithParamInterface<WalkCase> {};

TEST_P(WalkTest, RowsMatch) {
  const WalkCase& c = GetParam();
  std::vector<std::wstring> rows = {L"stale row"};
  Server::ConvRecInfoPerDatFromVpm(12, c.date, c.tracker, rows);
  EXPECT_EQ(rows, c.rows);
}

const WalkCase kWalkCases[] = {
    {"AllFlagsOneRow", L"05.07.2013", Flags({{0, 1439}}),
     {L"1,2013-05-07T00:00:00,2013-05-07T23:59:59"}},
    {"NoFlagsNoRows", L"05.07.2013", Flags({}), {}},
    {"TwoRunsNumberedInOrder", L"05.07.2013", Flags({{0, 59}, {120, 179}}),
     {L"1,2013-05-07T00:00:00,2013-05-07T00:59:59",
      L"2,2013-05-07T02:00:00,2013-05-07T02:59:59"}},
    {"LastMinuteOnly", L"05.07.2013", Flags({{1439, 1439}}),
     {L"1,2013-05-07T23:59:00,2013-05-07T23:59:59"}},
    {"HourRun", L"5.7.2013", Flags({{480, 539}}),
     {L"1,2013-05-07T08:00:00,2013-05-07T08:59:59"}},
    // The walk rolls into the next year; the rows keep the query date.
    {"YearEndKeepsQueryDate", L"12.31.2013", Flags({{1439, 1439}}),
     {L"1,2013-12-31T23:59:00,2013-12-31T23:59:59"}},
    // A short tracker is walked only as far as it goes and the open run is
    // closed after its last flag.
    {"ShortTrackerNotOverRead", L"05.07.2013", Flags({{0, 9}}, 10),
     {L"1,2013-05-07T00:00:00,2013-05-07T00:09:59"}},
    {"OverlongTrackerStopsAtDayEnd", L"05.07.2013", Flags({{0, 1499}}, 1500),
     {L"1,2013-05-07T00:00:00,2013-05-07T23:59:59"}},
    {"EmptyTrackerNoRows", L"05.07.2013", {}, {}},
    {"DateWithOneDotNoRows", L"2013.05", Flags({{0, 1439}}), {}},
    {"NullDateNoRows", nullptr, Flags({{0, 1439}}), {}},
};

INSTANTIATE_TEST_SUITE_P(
    Cases, WalkTest, ::testing::ValuesIn(kWalkCases),
    [](const ::testing::TestParamInfo<WalkCase>& info) {
      return std::string(info.param.name);
    });

}  // namespace
