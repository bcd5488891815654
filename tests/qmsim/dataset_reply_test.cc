// DataSet replies: window selection, row layout as a DataSet reader walks it,
// escaping of names.
#include <gtest/gtest.h>
#include <tinyxml.h>

#include "dataset_reply.h"
#include "wall_clock.h"

namespace qmsim {
namespace {

WallSeconds At(const char* text) {
  WallSeconds s = 0;
  EXPECT_TRUE(ParseWallClock(text, &s)) << text;
  return s;
}

SimFile File(std::uint32_t id, const char* start, const char* end,
             const char* name = "f.vid") {
  SimFile f;
  f.id = id;
  f.name = name;
  f.start_text = start;
  f.end_text = end;
  f.start = At(start);
  f.end = At(end);
  f.type = 1;
  f.frames = 300;
  return f;
}

TEST(OverlapsWindow, InclusiveSpanAgainstHalfOpenWindow) {
  const WallSeconds ws = At("2013-05-07T00:00:00");
  const WallSeconds we = At("2013-05-08T00:00:00");
  struct Case {
    const char* start;
    const char* end;
    bool overlaps;
  };
  const Case cases[] = {
      {"2013-05-07T08:00:00", "2013-05-07T09:00:00", true},
      {"2013-05-06T22:00:00", "2013-05-06T23:59:59", false},  // ends just before
      {"2013-05-06T22:00:00", "2013-05-07T00:00:00", true},   // last second inside
      {"2013-05-07T23:59:59", "2013-05-08T02:00:00", true},   // first second inside
      {"2013-05-08T00:00:00", "2013-05-08T02:00:00", false},  // window end is open
      {"2013-05-01T00:00:00", "2013-05-30T00:00:00", true},   // covers the window
      {"2013-05-07T12:00:00", "2013-05-07T12:00:00", true},   // one second
  };
  for (const Case& c : cases) {
    EXPECT_EQ(OverlapsWindow(At(c.start), At(c.end), ws, we), c.overlaps)
        << c.start << " - " << c.end;
  }
}

TEST(FilesInWindow, KeepsScenarioOrderAndSkipsOutsideFiles) {
  SimCamera cam;
  cam.files.push_back(File(3, "2013-05-07T10:00:00", "2013-05-07T11:00:00"));
  cam.files.push_back(File(1, "2013-05-06T10:00:00", "2013-05-06T11:00:00"));
  cam.files.push_back(File(2, "2013-05-07T01:00:00", "2013-05-07T02:00:00"));
  const auto got =
      FilesInWindow(cam, At("2013-05-07T00:00:00"), At("2013-05-08T00:00:00"));
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0]->id, 3u);
  EXPECT_EQ(got[1]->id, 2u);
}

TEST(MotionsInWindow, NarrowWindowSelectsOnlyOverlappingMotions) {
  SimCamera cam;
  SimMotion a;
  a.start = At("2013-05-07T08:10:00");
  a.end = At("2013-05-07T08:20:00");
  SimMotion b = a;
  b.start = At("2013-05-07T09:00:00");
  b.end = At("2013-05-07T09:01:00");
  cam.motions = {a, b};
  EXPECT_EQ(MotionsInWindow(cam, At("2013-05-07T08:19:59"), At("2013-05-07T09:00:00")).size(),
            1u);
  EXPECT_EQ(MotionsInWindow(cam, At("2013-05-07T08:20:01"), At("2013-05-07T09:00:00")).size(),
            0u);
}

// The rows of a reply, walked as a client does: DataSet / diffgr:diffgram /
// NewDataSet / children.
std::vector<const TiXmlElement*> Rows(const TiXmlDocument& doc) {
  std::vector<const TiXmlElement*> rows;
  TiXmlHandle h(const_cast<TiXmlDocument*>(&doc));
  const TiXmlElement* nds =
      h.FirstChild("DataSet").FirstChild("diffgr:diffgram").FirstChild("NewDataSet").ToElement();
  if (!nds) return rows;
  for (const TiXmlElement* r = nds->FirstChildElement(); r; r = r->NextSiblingElement()) {
    rows.push_back(r);
  }
  return rows;
}

std::string Field(const TiXmlElement* row, const char* name) {
  const TiXmlElement* e = row->FirstChildElement(name);
  return e && e->GetText() ? e->GetText() : "";
}

TEST(RecordingInfoDocument, RowsCarryEveryFieldAndEscapedName) {
  const SimFile f1 = File(7, "2013-05-07T08:00:12-04:00", "2013-05-07T08:59:40-04:00",
                          "C:\\rec\\a&b <\"x'>.vid");
  const SimFile f2 = File(8, "2013-05-07T09:00:00-04:00", "2013-05-07T09:10:00-04:00", "");
  const std::string text = RecordingInfoDocument(12, {&f1, &f2});
  EXPECT_EQ(text.find("a&b"), std::string::npos) << "name not escaped";
  TiXmlDocument doc;
  doc.Parse(text.c_str());
  ASSERT_FALSE(doc.Error()) << doc.ErrorDesc();
  const auto rows = Rows(doc);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_STREQ(rows[0]->Attribute("diffgr:id"), "Table1");
  EXPECT_STREQ(rows[1]->Attribute("msdata:rowOrder"), "1");
  EXPECT_EQ(Field(rows[0], "CameraID"), "12");
  EXPECT_EQ(Field(rows[0], "FileID"), "7");
  EXPECT_EQ(Field(rows[0], "FileName"), "C:\\rec\\a&b <\"x'>.vid");
  EXPECT_EQ(Field(rows[0], "StartTime"), "2013-05-07T08:00:12-04:00");
  EXPECT_EQ(Field(rows[0], "EndTime"), "2013-05-07T08:59:40-04:00");
  EXPECT_EQ(Field(rows[0], "RecordingType"), "1");
  EXPECT_EQ(Field(rows[0], "TotalFrames"), "300");
  EXPECT_EQ(Field(rows[1], "FileName"), "");
}

TEST(MotionInfoDocument, RowsUseTheMotionFieldNames) {
  SimMotion m;
  m.file_id = 4;
  m.start_text = "2013-05-07T08:10:00-04:00";
  m.end_text = "2013-05-07T08:20:00-04:00";
  TiXmlDocument doc;
  doc.Parse(MotionInfoDocument(12, {&m}).c_str());
  ASSERT_FALSE(doc.Error());
  const auto rows = Rows(doc);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(Field(rows[0], "oCameraID"), "12");
  EXPECT_EQ(Field(rows[0], "FileID"), "4");
  EXPECT_EQ(Field(rows[0], "StartTime"), "2013-05-07T08:10:00-04:00");
  EXPECT_EQ(Field(rows[0], "EndTime"), "2013-05-07T08:20:00-04:00");
  EXPECT_EQ(rows[0]->FirstChildElement("CameraID"), nullptr);
}

TEST(RecordingInfoDocument, NoRowsGivesAnEmptyNewDataSet) {
  const std::string text = RecordingInfoDocument(12, {});
  EXPECT_NE(text.find("<NewDataSet></NewDataSet>"), std::string::npos) << text;
  TiXmlDocument doc;
  doc.Parse(text.c_str());
  ASSERT_FALSE(doc.Error());
  EXPECT_TRUE(Rows(doc).empty());
}

TEST(XmlEscape, EscapesAllFiveSpecialCharacters) {
  EXPECT_EQ(XmlEscape("<a href='x'>&\"</a>"),
            "&lt;a href=&apos;x&apos;&gt;&amp;&quot;&lt;/a&gt;");
  EXPECT_EQ(XmlEscape("plain \xC3\xA9"), "plain \xC3\xA9");
}

}  // namespace
}  // namespace qmsim
