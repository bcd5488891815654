// Service replies of the stand-in, request in, reply bytes out: the .NET
// document forms, the binary file header of every kind, directory listings,
// spans, query recognition, presets kept for the run, and scenario mistakes
// in the new elements named by line.
#include <gtest/gtest.h>

#include "faults.h"
#include "file_frames.h"
#include "file_replies.h"
#include "request_handler.h"
#include "service_handler.h"
#include "sim_state.h"
#include "sql_query.h"

using namespace qmsim;

namespace {

const char kScenario[] =
    "<scenario><server id='3' name='N&amp;R' version='6.2.18.2' data-path='D:\\V'/>"
    "<camera id='5' name='Gate' address='192.0.2.15' ptz='true' width='640' height='480' fps='5'>"
    "<file id='1' name='a.vid' start='2013-05-07T06:00:00-04:00' end='2013-05-07T06:00:02-04:00' "
    "frames='3' kind='1' extension='2'/>"
    "<file id='2' name='b.vid' start='2013-05-07T07:00:00Z' end='2013-05-07T07:00:01Z' frames='5'/>"
    "<preset id='1' name='Door'/></camera><camera id='7'/></scenario>";

SimRequest Req(std::uint32_t code, std::int32_t i1 = 0, std::int32_t i2 = 0, const std::string& s1 = "",
               const std::string& s2 = "", const std::string& s3 = "") {
  SimRequest r;
  r.command = code, r.uid = r.pwd = "pw";
  r.camera_valid = r.int2_valid = r.int3_valid = true;
  r.camera = i1, r.int2 = i2, r.str1 = s1, r.str2 = s2, r.str3 = s3;
  return r;
}

struct Fixture : qmtest::SimState {
  explicit Fixture(const std::string& text = kScenario) : SimState(text) {}
  SimReply Answer(const SimRequest& r) { return AnswerRequest(r, state, {"pw", "pw"}); }
};

std::string LE32(std::uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string LE16(std::uint32_t v) { return {char(v), char(v >> 8)}; }

const char kDecl[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n";
const char kNs[] = " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                   "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" xmlns=\"http://tempuri.org/\"";

TEST(ServiceReplies, DocumentsAsTheDotNetServerWritesThem) {
  Fixture f;
  const struct { SimRequest request; std::string reply, outcome; } cases[] = {
      {Req(50002), std::string(kDecl) + "<ServerInformation" + kNs + ">\r\n  <ID>3</ID>\r\n  <Name>N&amp;R"
       "</Name>\r\n  <Version>6.2.18.2</Version>\r\n  <LivePort>4012</LivePort>\r\n  <TimeZoneInfo />"
       "\r\n</ServerInformation>\r\n", "ok version 6.2.18.2, live port 4012"},
      {Req(50001, 9), std::string(kDecl) + "<CameraInformation" + kNs + " xsi:nil=\"true\" />\r\n",
       "unknown-camera"},
      {Req(1, 7, 0, "PTZAction", "cmdPanLeft"), std::string(kDecl) +
       "<boolean xmlns=\"http://tempuri.org/\">false</boolean>\r\n", "not-ptz"},
      {Req(50009, 5), std::string(kDecl) + "<ArrayOfIPCPreset" + kNs + ">\r\n  <IPCPreset>\r\n    "
       "<PresetID>1</PresetID>\r\n    <PresetName>Door</PresetName>\r\n  </IPCPreset>\r\n"
       "</ArrayOfIPCPreset>\r\n", "ok 1 presets"},
  };
  for (const auto& c : cases) {
    const SimReply reply = f.Answer(c.request);
    EXPECT_EQ(reply.bytes, c.reply) << c.request.command;
    EXPECT_EQ(reply.outcome, c.outcome) << c.request.command;
  }
}

// A DataSet always carries its schema; an empty table is a self-closing
// diffgram without NewDataSet. Rows appear in the query's order and spelling.
TEST(ServiceReplies, QueryTablesSchemaAlwaysRowsOnlyForThisServerOrKnownNames) {
  Fixture f;
  const std::string range = "SELECT * FROM dbo.videofiles WHERE CameraID = (SELECT CameraID FROM "
      "dbo.VideoFiles WHERE FileName = '%') AND FileID >= (SELECT FileID FROM dbo.VideoFiles WHERE "
      "FileName = '%') AND FileID <= (SELECT FileID FROM dbo.VideoFiles WHERE FileName = '@') ORDER BY StartTime";
  auto Range = [&](const std::string& first, const std::string& last) {
    std::string q = range;
    for (std::size_t p; (p = q.find('%')) != std::string::npos;) q.replace(p, 1, first);
    return q.replace(q.find('@'), 1, last);
  };
  const struct { std::string query, outcome; std::vector<std::string> has, lacks; } cases[] = {
      {"SELECT * FROM dbo.Servers WHERE serverID=3", "ok 1 rows", {"<LocalDataPath>D:\\V<"}, {}},
      {"SELECT * FROM dbo.Servers WHERE serverID=4", "unknown-server 0 rows",
       {"name=\"LocalDataPath\"", "xml-diffgram-v1\" />\r\n</DataSet>"}, {"NewDataSet xmlns"}},
      {"SELECT cameraID, cameraName, IPAddress FROM dbo.Cameras WHERE serverID=3", "ok 2 rows",
       {"<cameraID>5</cameraID>\r\n        <cameraName>Gate</cameraName>", "<cameraID>7</cameraID>"},
       {"<CameraID>"}},
      {Range("b.vid", "a.vid"), "ok 0 rows", {}, {"<FileID>"}},  // FileID 2 up to 1
      {Range("a.vid", "b.vid"), "ok 2 rows", {"<FileID>1</FileID>", "<FileID>2</FileID>"}, {}},
      {Range("a.vid", "x.vid"), "unknown-file 0 rows", {}, {"<FileID>"}},
      {"SELECT 1", "unknown-query 0 rows", {"xml-diffgram-v1\" />"}, {}},
  };
  for (const auto& c : cases) {
    const SimReply reply = f.Answer(Req(50014, 0, 0, c.query));
    EXPECT_EQ(reply.outcome, c.outcome) << c.query;
    EXPECT_TRUE(reply.is_dataset);
    EXPECT_LT(reply.bytes.find("<xs:schema id=\"NewDataSet\""), reply.bytes.find("<diffgr:diffgram"))
        << c.query;
    for (const std::string& part : c.has) EXPECT_NE(reply.bytes.find(part), std::string::npos) << part;
    for (const std::string& part : c.lacks) EXPECT_EQ(reply.bytes.find(part), std::string::npos) << part;
  }
}

// The pad fault puts its comment right after the DataSet tag, behind the
// XML declaration, so the padded reply stays a readable DataSet.
TEST(ServiceReplies, PadFaultLandsAfterTheDataSetTagOfADeclaredDocument) {
  Fixture f;
  SimReply reply = f.Answer(Req(50014, 0, 0, "SELECT * FROM dbo.Servers WHERE serverID=3"));
  const std::string before = reply.bytes;
  ApplyContentFault(FaultMode::kPad, &reply);
  const std::size_t tag_end = before.find("<DataSet xmlns=\"http://tempuri.org/\">") + 37;
  EXPECT_EQ(reply.bytes.substr(0, tag_end + 4), before.substr(0, tag_end) + "<!--");
  EXPECT_EQ(reply.bytes.substr(tag_end + kPadBytes), before.substr(tag_end));
  EXPECT_EQ(reply.outcome, "ok 1 rows, fault=pad");
}

TEST(RecognizeQuery, TheFourClientTextsWithTheirValuesAnythingElseUnknown) {
  const struct { std::string text; QueryKind kind; std::int64_t number; std::string first, last; } cases[] = {
      {"SELECT * FROM dbo.Servers WHERE serverID=-2", QueryKind::kServer, -2, "", ""},
      {"SELECT * FROM dbo.Servers WHERE serverID=3 ", QueryKind::kUnknown, 0, "", ""},
      {"SELECT * FROM dbo.Servers WHERE serverID=12345678901", QueryKind::kUnknown, 0, "", ""},
      {"SELECT StartTime, EndTime, TotalFrames, FileName, RecordingType, Flag, FileManipulationStatus "
       "FROM dbo.VideoFiles WHERE CameraID=5 AND StartTime >= (SELECT StartTime FROM dbo.VideoFiles "
       "WHERE FileName='it's.vid') INTERSECT SELECT StartTime, EndTime, TotalFrames, FileName, "
       "RecordingType, Flag, FileManipulationStatus FROM dbo.VideoFiles WHERE CameraID=5 AND EndTime "
       "<= (SELECT EndTime FROM dbo.VideoFiles WHERE FileName='')", QueryKind::kCameraFiles, 5,
       "it's.vid", ""},
  };
  for (const auto& c : cases) {
    const SqlQuery q = RecognizeQuery(c.text);
    EXPECT_EQ(q.kind, c.kind) << c.text;
    EXPECT_EQ(q.number, c.number) << c.text;
    EXPECT_EQ(q.first + "|" + q.last, c.first + "|" + c.last) << c.text;
  }
}

// Offsets 0-23 fixed, then the kind's values, the extension word and block,
// then the frame table: base ticks and one offset per further frame.
TEST(FileHeader, KindFieldsByKindAndVersionExtensionBlockThenTheFrameTable) {
  const struct { const char* version; const char* file; std::string kind_part; } cases[] = {
      {"6.2.18.2", "kind='0'", ""},
      {"5.5.24.2", "kind='1'", LE32(640) + LE32(480) + LE32(5)},
      {"5.5.24.3", "kind='1'", LE32(640) + LE32(480) + LE32(5) + LE32(5)},
      {"5.10", "kind='1'", LE32(640) + LE32(480) + LE32(5) + LE32(5)},  // numbers, not text
      {"", "kind='1'", LE32(640) + LE32(480) + LE32(5)},
      {"6.2.18.2", "kind='2' type='9'", LE32(5) + LE32(9)},
      {"6.2.18.2", "kind='7'", LE32(5)},
      {"6.2.18.2", "kind='8'", ""},
      {"6.2.18.2", "kind='0' extension='3'", ""},
  };
  for (const auto& c : cases) {
    Fixture f(std::string("<scenario><server version='") + c.version + "'/><camera id='5' width='640' "
              "height='480' fps='5'><file id='4' name='f' start='2013-05-07T00:00:00' "
              "end='2013-05-07T00:00:01' frames='3' format='258' " + c.file + "/></camera></scenario>");
    const SimReply reply = f.Answer(Req(321, 5, 0, "f"));
    const std::uint32_t kind = c.file[6] - '0';
    std::string want = LE32(1) + LE32(4) + LE32(2000) + LE32(3) + LE32(5) + LE32(kind << 24 | 258) +
                       c.kind_part;
    const bool ext = std::string(c.file).find("extension") != std::string::npos;
    want += LE16(ext ? 3 : 0);
    if (ext) {
      want += LE16(0x1101) + LE16(0x1102) + LE16(0x1103) + LE16(0x1104) + LE16(0x1105) + LE32(0x22000001) +
              LE32(0x22000002) + LE32(0x22000003) + LE32(0x22000004) + LE16(0x3300);
    }
    const std::uint64_t base = 635034816000000000ull;
    want += LE32(std::uint32_t(base)) + LE32(std::uint32_t(base >> 32)) + LE32(500) + LE32(1000);
    EXPECT_EQ(reply.bytes, want) << c.version << " " << c.file;
  }
  Fixture f;
  EXPECT_EQ(f.Answer(Req(321, 7, 0, "a.vid")).bytes, LE32(0)) << "file of another camera";
}

// Frames spread evenly from start to end; a span takes the first frame at or
// after its start and the last at or before its end, times with the .NET
// fraction and the file's zone.
TEST(VideoSpan, FirstFrameFromTheStartLastFrameToTheEndAcrossFilesOrNone) {
  Fixture f;
  const std::uint64_t six = 635034816000000000ull + 6 * 3600 * kTicksPerSecond;
  auto Span = [&](std::int32_t server, std::uint64_t from, std::uint64_t to) {
    return f.Answer(Req(30003, server, 5, std::to_string(from), std::to_string(to)));
  };
  const struct { SimReply reply; std::vector<std::string> has; } cases[] = {
      {Span(3, six + 1, six + 3600 * kTicksPerSecond + 1),
       {"<StartingFile>a.vid<", "<StartingFrame>1<", "<StartingTime>2013-05-07T06:00:01-04:00<",
        "<EndingFile>b.vid<", "<EndingFrame>0<", "<EndingTime>2013-05-07T07:00:00Z<"}},
      {Span(3, six + 3600 * kTicksPerSecond + 3000000, six + 3600 * kTicksPerSecond + 3000000),
       {"<StartingFrame>2<", "<StartingTime>2013-05-07T07:00:00.5Z<", "<EndingFrame>1<",
        "<EndingTime>2013-05-07T07:00:00.25Z<"}},
      {Span(3, six + 3 * kTicksPerSecond, six + 4 * kTicksPerSecond),
       {"<StartingFile />", "<StartingTime>0001-01-01T00:00:00<"}},
      {Span(4, six, six + kTicksPerSecond), {"<EndingFile />", "<EndingFrame>0<"}},
  };
  for (const auto& c : cases) {
    for (const std::string& part : c.has) EXPECT_NE(c.reply.bytes.find(part), std::string::npos) << part;
  }
  EXPECT_EQ(cases[2].reply.outcome, "no-files");
  EXPECT_EQ(cases[3].reply.outcome, "unknown-server");
}

TEST(FormatWallClock, LeapDaysYearEndsAndTheClampedRange) {
  const struct { CivilDate d; int second; const char* text; } cases[] = {
      {{2000, 2, 29}, 86399, "2000-02-29T23:59:59"}, {{2013, 12, 31}, 0, "2013-12-31T00:00:00"},
      {{2014, 1, 1}, 61, "2014-01-01T00:01:01"}, {{1, 1, 1}, 0, "0001-01-01T00:00:00"},
      {{9999, 12, 31}, 86399 + 5, "9999-12-31T23:59:59"}};
  for (const auto& c : cases) EXPECT_EQ(FormatWallClock(DayNumber(c.d) * 86400 + c.second), c.text);
  EXPECT_EQ(FormatWallClock(-5), "0001-01-01T00:00:00");
}

// Presets live for the run: a set renames or appends, a recall or delete
// needs the ID, a delete removes only the first of a shared ID.
TEST(PtzCommand, PresetChangesSeenByTheListAndActionsCheckedAgainstTheTable) {
  Fixture f;
  const struct { SimRequest request; std::string outcome; } steps[] = {
      {Req(1, 5, 0, "SetPreset", "2", "Yard"), "ok preset 2 \"Yard\" set (2 presets)"},
      {Req(1, 5, 0, "SetPreset", "1", "Gate"), "ok preset 1 \"Gate\" set (2 presets)"},
      {Req(1, 5, 0, "RecallPreset", "1", "Door"), "ok preset 1 \"Gate\" recalled (request names \"Door\")"},
      {Req(1, 5, 0, "DeletePreset", "2", "Yard"), "ok preset 2 \"Yard\" deleted"},
      {Req(1, 5, 0, "RecallPreset", "2", "Yard"), "unknown-preset 2"},
      {Req(1, 5, 0, "SetPreset", "-1", "x"), "bad-preset-number \"-1\""},
      {Req(1, 5, 7, "PTZAction", "cmdShutterCloseStop"), "ok cmdShutterCloseStop value=7"},
      {Req(1, 5, 7, "PTZAction", "cmdShutterStop"), "unknown-action \"cmdShutterStop\""},
      {Req(1, 5, 0, "Reboot"), "unknown-subcommand \"Reboot\""},
      {Req(1, 9, 0, "PTZAction", "cmdZoomIn"), "unknown-camera"},
  };
  for (const auto& s : steps) {
    const SimReply reply = f.Answer(s.request);
    EXPECT_EQ(reply.outcome, s.outcome);
    EXPECT_NE(reply.bytes.find(s.outcome.compare(0, 3, "ok ") == 0 ? ">true<" : ">false<"), std::string::npos);
  }
  const SimReply list = f.Answer(Req(50009, 5));
  EXPECT_EQ(list.outcome, "ok 1 presets");
  EXPECT_NE(list.bytes.find("<PresetName>Gate</PresetName>"), std::string::npos);
}

TEST(DirectoryListing, FoldersOfTheCameraPathOrNoEntry) {
  Fixture f("<scenario><server data-path='D:\\V'/><camera id='5' address='h'><folder name='x'/>"
            "<folder name='" + std::string(255, 'n') + "'/></camera><camera id='6' address='h'>"
            "<file id='1' start='2013-05-08T00:00:00' end='2013-05-08T00:00:00'/><file id='2' "
            "start='2013-05-07T00:00:00' end='2013-05-07T00:00:00'/></camera></scenario>");
  const std::string head(22, '\0');
  const std::string entry = std::string(1, '\x10') + std::string(4, '\0');
  EXPECT_EQ(f.Answer(Req(413, 1, 5, "D:\\V\\h-5")).bytes,
            head + LE32(2) + entry + "\x01x" + entry + "\xff" + std::string(255, 'n'));
  EXPECT_EQ(f.Answer(Req(413, 1, 6, "D:\\V\\h-6")).bytes,
            head + LE32(2) + entry + "\x0a" "2013-05-07" + entry + "\x0a" "2013-05-08");
  EXPECT_EQ(f.Answer(Req(413, 1, 5, "D:\\V\\h-6")).bytes, head + LE32(0));
}

TEST(ParseScenarioText, ServiceElementMistakesNamedByLine) {
  const struct { std::string text; const char* error; } cases[] = {
      {"<scenario>\n<server/>\n<server/></scenario>", "line 3: second <server> (the first is on line 2)"},
      {"<scenario>\n<camera id='1' ptz='yes'/></scenario>", "line 2: attribute \"ptz\" of <camera> must be true"},
      {"<scenario>\n<camera id='1'>\n<preset id='1'/></camera></scenario>", "line 3: camera 1 has a preset but"},
      {"<scenario><camera id='1'>\n<file id='1' kind='256' start='2013-05-07T00:00:00' "
       "end='2013-05-07T00:00:00'/></camera></scenario>", "line 2: attribute \"kind\" of <file> is above 255"},
      {"<scenario><camera id='1'>\n<file id='1' frames='4194305' start='2013-05-07T00:00:00' "
       "end='2013-05-07T00:00:00'/></camera></scenario>", "is above 4194304"},
      {"<scenario><camera id='1'><stream/>\n<stream/></camera></scenario>", "line 2: second <stream>"},
      {"<scenario><camera id='1'><stream key-interval='0'/></camera></scenario>", "must be at least 1"},
      {"<scenario><camera id='1'><stream>\n<frame hex='0g'/></stream></camera></scenario>",
       "line 2: attribute \"hex\" of <frame> holds \"g\""},
      {"<scenario><camera id='1'><stream><frame hex='012'/></stream></camera></scenario>", "odd hex digit"},
      {"<scenario><camera id='1'><stream><frame hex='01' text='a'/></stream></camera></scenario>", "not both"},
      {"<scenario><camera id='1'><folder name=''/></camera></scenario>", "<folder> needs a \"name\""},
      {"<scenario><camera id='1' name='" + std::string(256, 'n') + "'/></scenario>", "longer than 255"},
  };
  for (const auto& c : cases) {
    Scenario s;
    std::string error;
    EXPECT_FALSE(ParseScenarioText(c.text, &s, &error)) << c.text;
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
  }
  Scenario s;
  std::string error;
  ASSERT_TRUE(ParseScenarioText("<scenario><camera id='12'/></scenario>", &s, &error)) << error;
  EXPECT_EQ(s.server.id + s.cameras.at(12).stream.live_frames, 11u);
  EXPECT_EQ(s.server.version + "|" + s.cameras.at(12).info.name, "6.2.18.2|Camera 12");
}

}  // namespace
