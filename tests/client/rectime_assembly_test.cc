// Interval assembly (MakeRecTimes): tracker intervals snapped to file
// boundaries, gap pruning, the motion merge and renumbering.
#include "tests/client/query_test_util.h"

namespace {

using namespace qm_query_test;
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

QM::RecFileList Files(const Spans* spans) { return spans ? List(*spans, QM::RecFile(L"a.dat")) : nullptr; }

const std::vector<std::wstring> kTwo = {L"1,2013-05-07T08:00:00,2013-05-07T08:59:59",
                                        L"2,2013-05-07T10:00:00,2013-05-07T10:29:59"};
const std::vector<std::wstring> kGap = {kTwo[0], L"2,2013-05-07T09:10:00,2013-05-07T09:12:59",
                                        L"3,2013-05-07T10:00:00,2013-05-07T10:29:59"};
const std::vector<std::wstring> kBad = {kTwo[0], L"garbage", L"3,2013-05-07T10:00:00"};
const Spans kFiles = {{L"08:00:12", L"08:59:40"}, {L"10:00:05", L"10:29:30"}}, kNone;
const Spans kOneFile = {{L"08:00:12", L"10:29:30"}}, kFile1 = {kFiles[0]}, kMotion = {{L"08:10:00", L"08:20:00"}};
const Row kR1 = {0, L"08:00:12", L"08:59:40"}, kR2 = {0, L"10:00:05", L"10:29:30"};

TEST(IntervalAssembly, WorkedExamplesSnapPruneMergeAndRenumber) {
  // files nullptr: a null file list; no motions: a null motion list.
  const struct { const char* name; const std::vector<std::wstring>* intervals; const Spans* files; Spans motions;
                 std::vector<Row> want; } cases[] = {
      {"NoMotionEdgesSnapToFiles", &kTwo, &kFiles, {}, {kR1, kR2}},
      {"OneMotionReplacesItsInterval", &kTwo, &kFiles, kMotion, {{1, L"08:10:00", L"08:20:00"}, kR2}},
      {"TwoMotionsInInterval1", &kTwo, &kFiles, {kMotion[0], {L"08:30:00", L"08:40:00"}},
       {{1, L"08:10:00", L"08:20:00"}, {1, L"08:30:00", L"08:40:00"}, kR2}},
      {"MotionSpanningBothClippedToEach", &kTwo, &kFiles, {{L"08:50:00", L"10:10:00"}},
       {{1, L"08:50:00", L"08:59:40"}, {1, L"10:00:05", L"10:10:00"}}},
      {"MotionStartingInGapClippedToIntervalStart", &kTwo, &kFiles, {{L"09:30:00", L"10:05:00"}},
       {kR1, {1, L"10:00:05", L"10:05:00"}}},
      {"MotionPastLastIntervalClippedToItsEnd", &kTwo, &kFiles, {{L"10:20:00", L"10:40:00"}},
       {kR1, {1, L"10:20:00", L"10:29:30"}}},
      {"MotionWhollyInGapIgnored", &kTwo, &kFiles, {{L"09:10:00", L"09:20:00"}}, {kR1, kR2}},
      {"IntervalInFileGapPrunedAndRenumbered", &kGap, &kFiles, {}, {kR1, kR2}},
      {"SingleFileNeverPrunes", &kGap, &kOneFile, {},
       {{0, L"08:00:12", L"08:59:59"}, {0, L"09:10:00", L"09:12:59"}, {0, L"10:00:00", L"10:29:30"}}},
      {"EmptyFileListNoRows", &kTwo, &kNone, kMotion, {}},
      {"NullFileListEmptyNonNullList", &kTwo, nullptr, kMotion, {}},
      // Decision: a malformed row does not crash; its missing pieces are
      // empty texts, so only the zone suffix is left and its times read 0.
      {"MalformedRowsTakeMissingPiecesAsEmpty", &kBad, &kFile1, {},
       {kR1, {0, L"-04:00", L"-04:00"}, {0, L"10:00:00", L"-04:00"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::wstring> rows = *c.intervals;
    ExpectRows(Server::MakeRecTimes(kCam, rows, Files(c.files),
                                    c.motions.empty() ? nullptr : List(c.motions, QM::RecMotion(kMot))),
               c.want);
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

}  // namespace
