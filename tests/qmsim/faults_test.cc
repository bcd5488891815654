// Deliberate faults: each content fault changes the reply the way a client
// test expects, and the command filter limits them.
#include <gtest/gtest.h>
#include <tinyxml.h>

#include "dataset_reply.h"
#include "faults.h"

namespace qmsim {
namespace {

SimReply DataSetReply() {
  SimReply r;
  SimFile f;
  f.id = 1;
  f.name = "x.vid";
  f.start_text = "2013-05-07T08:00:12-04:00";
  f.end_text = "2013-05-07T08:59:40-04:00";
  r.bytes = RecordingInfoDocument(12, {&f});
  r.is_dataset = true;
  r.outcome = "ok 1 rows";
  return r;
}

bool ParsesWithRow(const std::string& bytes) {
  TiXmlDocument doc;
  doc.Parse(bytes.c_str());  // stops at a NUL byte, as a client copying C text
  if (doc.Error()) return false;
  TiXmlHandle h(&doc);
  return h.FirstChild("DataSet").FirstChild("diffgr:diffgram").FirstChild("NewDataSet")
             .FirstChild("Table").ToElement() != nullptr;
}

TEST(FaultModes, NamesRoundTripAndUnknownNamesFail) {
  for (const char* name : {"none", "close", "chunked", "stall", "malformed", "truncated",
                           "login-refused", "nul", "trailing-nul", "pad"}) {
    FaultMode m = FaultMode::kNone;
    ASSERT_TRUE(ParseFaultMode(name, &m)) << name;
    EXPECT_STREQ(FaultModeName(m), name);
  }
  FaultMode m = FaultMode::kPad;
  EXPECT_FALSE(ParseFaultMode("Close", &m));
  EXPECT_EQ(m, FaultMode::kPad);
}

TEST(FaultFor, CommandFilterLimitsTheFault) {
  FaultPlan plan;
  plan.mode = FaultMode::kTruncated;
  EXPECT_EQ(FaultFor(plan, 324), FaultMode::kTruncated);
  plan.only_one_command = true;
  plan.command = 716;
  EXPECT_EQ(FaultFor(plan, 716), FaultMode::kTruncated);
  EXPECT_EQ(FaultFor(plan, 715), FaultMode::kNone);
}

TEST(ApplyContentFault, EachModeBreaksOrKeepsTheDocumentAsIntended) {
  struct Case {
    FaultMode mode;
    bool still_readable;
  };
  const Case cases[] = {
      {FaultMode::kNone, true},       {FaultMode::kMalformed, false},
      {FaultMode::kTruncated, false}, {FaultMode::kLoginRefused, false},
      {FaultMode::kNulByte, false},   {FaultMode::kTrailingNul, true},
      {FaultMode::kPad, true},
  };
  for (const Case& c : cases) {
    SimReply r = DataSetReply();
    ApplyContentFault(c.mode, &r);
    EXPECT_EQ(ParsesWithRow(r.bytes), c.still_readable) << FaultModeName(c.mode);
    if (c.mode != FaultMode::kNone) {
      EXPECT_NE(r.outcome.find(std::string("fault=") + FaultModeName(c.mode)),
                std::string::npos);
    }
  }
}

TEST(ApplyContentFault, PadMakesEvenAnEmptyDataSetLongerThanOneReceiveBlock) {
  SimReply r;
  r.bytes = RecordingInfoDocument(12, {});
  r.is_dataset = true;
  const std::size_t before = r.bytes.size();
  ApplyContentFault(FaultMode::kPad, &r);
  EXPECT_EQ(r.bytes.size(), before + kPadBytes);
  EXPECT_GT(r.bytes.size(), 1024u);
  EXPECT_EQ(r.bytes.compare(0, 13, "<DataSet><!--"), 0);
  TiXmlDocument doc;
  doc.Parse(r.bytes.c_str());
  EXPECT_FALSE(doc.Error()) << doc.ErrorDesc();
}

TEST(ApplyContentFault, PadLeavesNonDataSetRepliesAlone) {
  SimReply r;
  r.bytes = std::string(192, '\x01');
  ApplyContentFault(FaultMode::kPad, &r);
  EXPECT_EQ(r.bytes, std::string(192, '\x01'));
}

TEST(ApplyContentFault, BinaryTrackerFaultsChangeItsLength) {
  SimReply truncated;
  truncated.bytes = std::string(192, '\xFF');
  ApplyContentFault(FaultMode::kTruncated, &truncated);
  EXPECT_EQ(truncated.bytes.size(), 96u);
  SimReply nul;
  nul.bytes = std::string(192, '\xFF');
  ApplyContentFault(FaultMode::kNulByte, &nul);
  ASSERT_EQ(nul.bytes.size(), 193u);
  EXPECT_EQ(nul.bytes[96], '\0');
}

}  // namespace
}  // namespace qmsim
