// Shared by the client tests. Every test runs in TZ=AST4 (UTC-4, the -04:00
// of the texts, no daylight saving).
#pragma once
#include <cstdlib>
#include <tuple>
#include <utility>

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

#include "client/server.h"

namespace qm_query_test {

inline const bool kAst4 = setenv("TZ", "AST4", 1) == 0 && (tzset(), true);
const unsigned int kCam = 12, kMot = 9;  // the motion camera differs on purpose
typedef std::vector<std::pair<const wchar_t*, const wchar_t*>> Spans;

// Row i is numbered i + 1; type 1 rows are motions of kMot, 0 rows of kCam.
// start and end: HH:MM:SS of 2013-05-07, or a full text.
struct Row { unsigned int type; const wchar_t *start, *end; };

// A reply's rows in the path the parsers walk.
inline std::string DataSet(const std::string& rows) {
  return "<DataSet><diffgr:diffgram><NewDataSet>" + rows +
         "</NewDataSet></diffgr:diffgram></DataSet>";
}

inline std::wstring At(const std::wstring& text) {
  return text.size() == 8 ? L"2013-05-07T" + text + L"-04:00" : text;
}

// Every printed member of every row, and Start/End agreeing with the texts.
inline void ExpectRows(const QM::RecTimeList& got, const std::vector<Row>& want) {
  ASSERT_TRUE(got);
  ASSERT_EQ(got->size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    const QM::RecTime& r = *(*got)[i];
    time_t start = 0, end = 0;
    QM::Server::ConvToTimeT(r.StartStr, &start);
    QM::Server::ConvToTimeT(r.EndStr, &end);
    EXPECT_EQ(std::make_tuple(r.Idx, r.CamId, r.RecType, r.StartStr, r.EndStr, r.Start, r.End),
              std::make_tuple(i + 1, want[i].type ? kMot : kCam, want[i].type, At(want[i].start),
                              At(want[i].end), start, end)) << "row " << i;
  }
}

}  // namespace qm_query_test
