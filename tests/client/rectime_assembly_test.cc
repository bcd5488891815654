// Interval assembly: snapping tracker intervals to file boundaries, gap
// pruning, the motion merge, and the look-up helpers and split it uses.
#include <cstdlib>
#include <ctime>
#include <ostream>
#include <string>
#include <vector>

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

#include "client/server.h"
#include "client/split.h"

namespace {

using QM::RecTimeList;
using QM::Server;

const unsigned int kCam = 12;
const unsigned int kMotionCam = 9;  // differs from kCam on purpose

// "2013-05-07T<hms>-04:00", the server's form of a time of the test day.
std::wstring At(const wchar_t* hms) {
  return std::wstring(L"2013-05-07T") + hms + L"-04:00";
}

struct Span {
  const wchar_t* start;
  const wchar_t* end;
};

QM::RecFileList Files(const std::vector<Span>& spans) {
  auto list = boost::make_shared<std::vector<QM::RecFilePtr>>();
  for (const Span& s : spans) {
    auto file = boost::make_shared<QM::RecFile>(L"a.dat");
    file->CamId = kCam;
    file->StartStr = At(s.start);
    file->EndStr = At(s.end);
    list->push_back(file);
  }
  return list;
}

QM::RecMotionList Motions(const std::vector<Span>& spans) {
  auto list = boost::make_shared<std::vector<QM::RecMotionPtr>>();
  for (const Span& s : spans) {
    auto motion = boost::make_shared<QM::RecMotion>(kMotionCam);
    motion->StartStr = At(s.start);
    motion->EndStr = At(s.end);
    list->push_back(motion);
  }
  return list;
}

struct Row {
  unsigned int idx;
  unsigned int cam;
  unsigned int type;
  std::wstring start;  // HH:MM:SS of the test day, or any other full text
  std::wstring end;
};

std::wstring Expand(const std::wstring& text) {
  return text.size() == 8 ? At(text.c_str()) : text;
}

time_t TimeOf(const std::wstring& text) {
  time_t value = 0;
  Server::ConvToTimeT(text, &value);
  return value;
}

// Checks the printed members of every row, and that Start/End agree with
// their texts.
void ExpectRows(const RecTimeList& got, const std::vector<Row>& want) {
  ASSERT_TRUE(got);
  ASSERT_EQ(got->size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    SCOPED_TRACE(i);
    const QM::RecTime& r = *(*got)[i];
    EXPECT_EQ(r.Idx, want[i].idx);
    EXPECT_EQ(r.CamId, want[i].cam);
    EXPECT_EQ(r.RecType, want[i].type);
    EXPECT_EQ(r.StartStr, Expand(want[i].start));
    EXPECT_EQ(r.EndStr, Expand(want[i].end));
    EXPECT_EQ(r.Start, TimeOf(r.StartStr));
    EXPECT_EQ(r.End, TimeOf(r.EndStr));
  }
}

class AssemblyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "AST4", 1);
    tzset();
  }
};

const std::vector<std::wstring> kTwoIntervals = {
    L"1,2013-05-07T08:00:00,2013-05-07T08:59:59",
    L"2,2013-05-07T10:00:00,2013-05-07T10:29:59"};
const std::vector<std::wstring> kGapInterval = {
    L"1,2013-05-07T08:00:00,2013-05-07T08:59:59",
    L"2,2013-05-07T09:10:00,2013-05-07T09:12:59",
    L"3,2013-05-07T10:00:00,2013-05-07T10:29:59"};
const std::vector<Span> kTwoFiles = {{L"08:00:12", L"08:59:40"},
                                     {L"10:00:05", L"10:29:30"}};

const Row kFile1Row = {1, kCam, 0, L"08:00:12", L"08:59:40"};
const std::vector<Row> kNoMotionRows = {
    kFile1Row, {2, kCam, 0, L"10:00:05", L"10:29:30"}};

struct MergeCase {
  const char* name;
  std::vector<std::wstring> intervals;
  std::vector<Span> files;
  bool has_motions;
  std::vector<Span> motions;
  std::vector<Row> want;
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const MergeCase& c, std::ostream* os) { *os << c.name; }

class MergeTest : public AssemblyTest,
                  public ::testing::WithParamInterface<MergeCase> {};

TEST_P(MergeTest, RowsMatch) {
  const MergeCase& c = GetParam();
  std::vector<std::wstring> rows = c.intervals;
  const RecTimeList got =
      Server::MakeRecTimes(kCam, rows, Files(c.files),
                           c.has_motions ? Motions(c.motions)
                                         : QM::RecMotionList());
  ExpectRows(got, c.want);
}

const MergeCase kMergeCases[] = {
    {"EdgesSnapToFileBoundaries", kTwoIntervals, kTwoFiles, false, {},
     kNoMotionRows},
    {"EmptyMotionListKeepsIntervals", kTwoIntervals, kTwoFiles, true, {},
     kNoMotionRows},
    {"MotionReplacesItsInterval", kTwoIntervals, kTwoFiles, true,
     {{L"08:10:00", L"08:20:00"}},
     {{1, kMotionCam, 1, L"08:10:00", L"08:20:00"},
      {2, kCam, 0, L"10:00:05", L"10:29:30"}}},
    {"TwoMotionsInOneInterval", kTwoIntervals, kTwoFiles, true,
     {{L"08:10:00", L"08:20:00"}, {L"08:30:00", L"08:40:00"}},
     {{1, kMotionCam, 1, L"08:10:00", L"08:20:00"},
      {2, kMotionCam, 1, L"08:30:00", L"08:40:00"},
      {3, kCam, 0, L"10:00:05", L"10:29:30"}}},
    {"MotionAcrossTwoIntervalsClippedToBoth", kTwoIntervals, kTwoFiles, true,
     {{L"08:50:00", L"10:10:00"}},
     {{1, kMotionCam, 1, L"08:50:00", L"08:59:40"},
      {2, kMotionCam, 1, L"10:00:05", L"10:10:00"}}},
    {"MotionStartingInGapClippedToIntervalStart", kTwoIntervals, kTwoFiles,
     true, {{L"09:30:00", L"10:05:00"}},
     {kFile1Row, {2, kMotionCam, 1, L"10:00:05", L"10:05:00"}}},
    {"MotionEndingAfterLastIntervalClippedToItsEnd", kTwoIntervals,
     kTwoFiles, true, {{L"10:20:00", L"10:40:00"}},
     {kFile1Row, {2, kMotionCam, 1, L"10:20:00", L"10:29:30"}}},
    {"MotionStartingBeforeFirstInterval", kTwoIntervals, kTwoFiles, true,
     {{L"07:50:00", L"08:10:00"}},
     {{1, kMotionCam, 1, L"08:00:12", L"08:10:00"},
      {2, kCam, 0, L"10:00:05", L"10:29:30"}}},
    {"MotionWhollyInGapIgnored", kTwoIntervals, kTwoFiles, true,
     {{L"09:10:00", L"09:20:00"}}, kNoMotionRows},
    // x follows the motion just handled, also backwards: interval 2 is
    // handed on again after a later motion in interval 1.
    {"MotionsOutOfOrderRewindHandOn", kTwoIntervals, kTwoFiles, true,
     {{L"10:10:00", L"10:20:00"}, {L"08:10:00", L"08:20:00"}},
     {kFile1Row,
      {2, kMotionCam, 1, L"10:10:00", L"10:20:00"},
      {3, kMotionCam, 1, L"08:10:00", L"08:20:00"},
      {4, kCam, 0, L"10:00:05", L"10:29:30"}}},
    {"IntervalInGapBetweenFilesPrunedAndRenumbered", kGapInterval, kTwoFiles,
     false, {}, kNoMotionRows},
    {"SingleFileNeverPrunes", kGapInterval, {{L"08:00:12", L"10:29:30"}},
     false, {},
     {{1, kCam, 0, L"08:00:12", L"08:59:59"},
      {2, kCam, 0, L"09:10:00", L"09:12:59"},
      {3, kCam, 0, L"10:00:00", L"10:29:30"}}},
    {"FileEdgesOutsideIntervalsExtendFirstAndLast", kTwoIntervals,
     {{L"07:59:30", L"08:59:40"}, {L"10:00:05", L"10:30:10"}}, false, {},
     {{1, kCam, 0, L"07:59:30", L"08:59:40"},
      {2, kCam, 0, L"10:00:05", L"10:30:10"}}},
    {"NoIntervalsGiveNoRows", {}, kTwoFiles, true,
     {{L"08:10:00", L"08:20:00"}}, {}},
    {"EmptyFileListGivesNoRows", kTwoIntervals, {}, true,
     {{L"08:10:00", L"08:20:00"}}, {}},
    // A malformed row keeps its missing pieces empty: only the zone suffix
    // is left of its texts and its times read as 0.
    {"MalformedRowsTakeMissingPiecesAsEmpty",
     {L"1,2013-05-07T08:00:00,2013-05-07T08:59:59", L"garbage",
      L"3,2013-05-07T10:00:00"},
     {{L"08:00:12", L"08:59:40"}}, false, {},
     {kFile1Row,
      {2, kCam, 0, L"-04:00", L"-04:00"},
      {3, kCam, 0, L"10:00:00", L"-04:00"}}},
};

INSTANTIATE_TEST_SUITE_P(
    Cases, MergeTest, ::testing::ValuesIn(kMergeCases),
    [](const ::testing::TestParamInfo<MergeCase>& info) {
      return std::string(info.param.name);
    });

TEST_F(AssemblyTest, NullFileListGivesEmptyNonNullList) {
  std::vector<std::wstring> rows = kTwoIntervals;
  const RecTimeList got = Server::MakeRecTimes(kCam, rows, QM::RecFileList(),
                                               Motions({}));
  ASSERT_TRUE(got);
  EXPECT_TRUE(got->empty());
}

TEST_F(AssemblyTest, FileStillBeingWrittenEndsLastIntervalNow) {
  std::vector<std::wstring> rows = kTwoIntervals;
  const time_t before = time(nullptr);
  const RecTimeList got = Server::MakeRecTimes(
      kCam, rows, Files({{L"08:00:12", L"08:59:40"}, {L"10:00:05", L"10:00:05"}}),
      QM::RecMotionList());
  const time_t after = time(nullptr);
  ASSERT_TRUE(got);
  ASSERT_EQ(got->size(), 2u);
  ExpectRows(boost::make_shared<QM::RecTimeVector>(1, got->front()),
             {kFile1Row});
  const QM::RecTime& last = *got->back();
  EXPECT_EQ(last.StartStr, At(L"10:00:05"));
  EXPECT_GE(last.End, before);
  EXPECT_LE(last.End, after);
  std::wstring expected;
  Server::ConvToDateTimeStr(last.End, expected, L"-04:00");
  EXPECT_EQ(last.EndStr, expected);
  EXPECT_TRUE(last.EndFixed);
}

// ---- AdjustStartEndTime and the look-ups ----

RecTimeList TwoRows() {
  auto list = boost::make_shared<QM::RecTimeVector>();
  const wchar_t* spans[2][2] = {{L"08:00:00", L"08:59:59"},
                                {L"10:00:00", L"10:29:59"}};
  for (unsigned int i = 0; i < 2; ++i) {
    auto row = boost::make_shared<QM::RecTime>(kCam);
    row->Idx = i + 1;
    row->StartStr = At(spans[i][0]);
    row->EndStr = At(spans[i][1]);
    row->Start = TimeOf(row->StartStr);
    row->End = TimeOf(row->EndStr);
    list->push_back(row);
  }
  return list;
}

TEST_F(AssemblyTest, AdjustLeavesFixedEdgeAlone) {
  RecTimeList rows = TwoRows();
  Server::AdjustStartEndTime(TimeOf(At(L"08:00:10")), 0, L"-04:00", rows, 0);
  Server::AdjustStartEndTime(TimeOf(At(L"08:00:20")), 0, L"-04:00", rows, 0);
  EXPECT_EQ((*rows)[0]->StartStr, At(L"08:00:10"));
  EXPECT_TRUE((*rows)[0]->StartFixed);
}

TEST_F(AssemblyTest, AdjustIgnoresTimeBetweenRows) {
  RecTimeList rows = TwoRows();
  Server::AdjustStartEndTime(TimeOf(At(L"09:30:00")), TimeOf(At(L"09:40:00")),
                             L"-04:00", rows, 0);
  Server::AdjustStartEndTime(TimeOf(At(L"09:30:00")), TimeOf(At(L"09:40:00")),
                             L"-04:00", rows, 1);
  ExpectRows(rows, {{1, kCam, 0, L"08:00:00", L"08:59:59"},
                    {2, kCam, 0, L"10:00:00", L"10:29:59"}});
}

TEST_F(AssemblyTest, AdjustOnNullOrEmptyListDoesNothing) {
  RecTimeList none;
  Server::AdjustStartEndTime(1, 2, L"Z", none, 0);
  EXPECT_FALSE(none);
  RecTimeList empty = boost::make_shared<QM::RecTimeVector>();
  Server::AdjustStartEndTime(1, 2, L"Z", empty, 1);
  EXPECT_TRUE(empty->empty());
}

TEST_F(AssemblyTest, LookupsFindFirstMatchOrLeaveOutUntouched) {
  RecTimeList rows = TwoRows();
  rows->push_back(boost::make_shared<QM::RecTime>(*(*rows)[0]));
  rows->back()->Idx = 1;  // duplicate Idx and span: the first must win
  const time_t inside = TimeOf(At(L"08:30:00"));
  const time_t outside = TimeOf(At(L"09:30:00"));

  QM::RecTimePtr found;
  Server::GetIncludedRecTimePtr(inside, rows, found);
  EXPECT_EQ(found, (*rows)[0]);
  Server::GetIncludedRecTimePtr(outside, rows, found);
  EXPECT_EQ(found, (*rows)[0]);  // untouched
  QM::RecTimePtr by_idx;
  Server::GetRecTimePtrbyIdx(1, rows, by_idx);
  EXPECT_EQ(by_idx, (*rows)[0]);
  Server::GetRecTimePtrbyIdx(7, rows, by_idx);
  EXPECT_EQ(by_idx, (*rows)[0]);  // untouched

  EXPECT_EQ(Server::GetIncludedIdxFromRecTimes(TimeOf(At(L"10:29:59")), rows),
            2u);  // both edges are inclusive
  EXPECT_EQ(Server::GetIncludedIdxFromRecTimes(outside, rows), 0u);
  EXPECT_EQ(Server::GetIncludedIdxFromRecTimes(inside, RecTimeList()), 0u);
}

TEST(SplitTest, KeepsEmptyPiecesAndCountsSeparators) {
  const struct {
    const wchar_t* text;
    std::vector<std::wstring> pieces;
  } cases[] = {
      {L"", {L""}},
      {L"abc", {L"abc"}},
      {L"a,,b", {L"a", L"", L"b"}},
      {L",", {L"", L""}},
      {L"1,x,y,", {L"1", L"x", L"y", L""}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(QM::split(c.text, L','), c.pieces) << "text: " << c.text;
  }
}

}  // namespace
