// The command catalogue: per builder, the code, client type byte and six
// parameters found in the produced frame, plus the camera-stream body.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "protocol/qmreqpkt.h"
#include "reqpkt_test_util.h"

namespace {

using qmtest::CommandCode;
using qmtest::FrameLength;
using qmtest::FrameText;
using qmtest::IntParam;
using qmtest::StrParam;

struct CatalogueCase {
  const char* name;
  std::function<char*(QM::ReqPkt&, unsigned int*)> build;
  const char* code;
  int client_type;
  const char* int1;
  const char* int2;
  const char* int3;
  std::string str1;  // "" means the empty form
  std::string str2;
  std::string str3;
};

const char kQueryA[] =
    "SELECT * FROM dbo.videofiles WHERE CameraID = (SELECT CameraID FROM "
    "dbo.VideoFiles WHERE FileName = &apos;first.avi&apos;) AND FileID &gt;= "
    "(SELECT FileID FROM dbo.VideoFiles WHERE FileName = &apos;first.avi&apos;) "
    "AND FileID &lt;= (SELECT FileID FROM dbo.VideoFiles WHERE FileName = "
    "&apos;last.avi&apos;) ORDER BY StartTime";
const char kQueryB[] =
    "SELECT StartTime, EndTime, TotalFrames, FileName, RecordingType, Flag, "
    "FileManipulationStatus FROM dbo.VideoFiles WHERE CameraID=4 AND "
    "StartTime &gt;= (SELECT StartTime FROM dbo.VideoFiles WHERE "
    "FileName=&apos;f1.avi&apos;) INTERSECT SELECT StartTime, EndTime, "
    "TotalFrames, FileName, RecordingType, Flag, FileManipulationStatus FROM "
    "dbo.VideoFiles WHERE CameraID=4 AND EndTime &lt;= (SELECT EndTime FROM "
    "dbo.VideoFiles WHERE FileName=&apos;f2.avi&apos;)";

std::vector<CatalogueCase> Cases() {
  using P = QM::ReqPkt;
  return {
      {"GetDateTimeTracker",
       [](P& p, unsigned* c) { return p.GetDateTimeTracker(5, L"05.07.2013", c); },
       "324", 6, "5", "0", "0", "05.07.2013", "", ""},
      {"GetRecordingInfo",
       [](P& p, unsigned* c) { return p.GetRecordingInfo(12, L"S", L"E", c); },
       "715", 6, "12", "0", "0", "S", "E", ""},
      {"GetMotionInfo",
       [](P& p, unsigned* c) { return p.GetMotionInfo(3, L"S", L"E", c); },
       "716", 6, "3", "0", "0", "S", "E", ""},
      {"GetPlaybackStream",
       [](P& p, unsigned* c) { return p.GetPlaybackStream(11, 22, c); },
       "50012", 7, "11", "22", "0", "", "", "original"},
      {"GetVideoFiles",
       [](P& p, unsigned* c) {
         return p.GetVideoFiles(L"first.avi", L"last.avi", c);
       },
       "50014", 6, "0", "0", "0", kQueryA, "", ""},
      {"GetVideoSpan ticks in full",
       [](P& p, unsigned* c) {
         return p.GetVideoSpan(1, 2, 634722354150000000ULL,
                               18446744073709551615ULL, c);
       },
       "30003", 2, "1", "2", "0", "634722354150000000",
       "18446744073709551615", ""},
      {"GetMediaFileAVStreamingHeaderInfo",
       [](P& p, unsigned* c) {
         return p.GetMediaFileAVStreamingHeaderInfo(L"clip.avi", 9, c);
       },
       "321", 2, "9", "0", "0", "clip.avi", "", ""},
      {"GetPTZPresets", [](P& p, unsigned* c) { return p.GetPTZPresets(4, c); },
       "50009", 6, "4", "0", "0", "", "", ""},
      {"RecallPTZPreset preset unsigned",
       [](P& p, unsigned* c) {
         return p.RecallPTZPreset(4, 4294967295u, L"door", c);
       },
       "1", 2, "4", "0", "0", "RecallPreset", "4294967295", "door"},
      {"DeletePTZPreset",
       [](P& p, unsigned* c) { return p.DeletePTZPreset(4, 2, L"gate", c); },
       "1", 2, "4", "0", "0", "DeletePreset", "2", "gate"},
      {"SetPTZPreset empty name",
       [](P& p, unsigned* c) { return p.SetPTZPreset(4, 0, L"", c); },
       "1", 2, "4", "0", "0", "SetPreset", "0", ""},
      {"GetROIThumbnail values signed",
       [](P& p, unsigned* c) {
         return p.GetROIThumbnail(L"x.jpg", 3, 10, 20, 4294967295u, 40, c);
       },
       "635", 2, "3", "0", "0", "x.jpg", "10,20,-1,40", ""},
      {"GetServerStatus", [](P& p, unsigned* c) { return p.GetServerStatus(c); },
       "414", 6, "0", "0", "0", "", "", ""},
      {"GetCameraMetadata",
       [](P& p, unsigned* c) { return p.GetCameraMetadata(8, c); },
       "50001", 6, "8", "0", "0", "", "", ""},
      {"GetServerMetadata",
       [](P& p, unsigned* c) { return p.GetServerMetadata(c); },
       "50002", 6, "0", "0", "0", "", "", ""},
      {"GetCameraVideoFiles",
       [](P& p, unsigned* c) {
         return p.GetCameraVideoFiles(4, c, L"f1.avi", L"f2.avi");
       },
       "50014", 6, "0", "0", "0", kQueryB, "", ""},
      {"GetServerMetadataEx",
       [](P& p, unsigned* c) { return p.GetServerMetadataEx(9, c); },
       "50014", 6, "0", "0", "0", "SELECT * FROM dbo.Servers WHERE serverID=9",
       "", ""},
      {"GetMediaFileAVStreaming camera id as text",
       [](P& p, unsigned* c) {
         return p.GetMediaFileAVStreaming(L"f.avi", 8, 1, 2, c, -3, L"mode");
       },
       "302", 2, "1", "2", "-3", "f.avi", "mode", "8"},
      {"GetDirectoryInfo flag false",
       [](P& p, unsigned* c) { return p.GetDirectoryInfo(5, L"/d", false, c); },
       "413", 2, "0", "5", "0", "/d", "", ""},
      {"GetDirectoryInfo flag true",
       [](P& p, unsigned* c) { return p.GetDirectoryInfo(5, L"/d", true, c); },
       "413", 2, "1", "5", "0", "/d", "", ""},
      {"GetCamerasMetadataEx sends no parameter",
       [](P& p, unsigned* c) { return p.GetCamerasMetadataEx(9, c); },
       "50003", 6, "0", "0", "0", "", "", ""},
      {"GetCamerasMetadata",
       [](P& p, unsigned* c) { return p.GetCamerasMetadata(9, c); },
       "50014", 6, "0", "0", "0",
       "SELECT cameraID, cameraName, IPAddress FROM dbo.Cameras WHERE "
       "serverID=9",
       "", ""},
  };
}

// All builders run on one packet in turn, so a parameter or client type
// left over from the previous request shows up as a mismatch.
TEST(ReqPktCatalogue, EachBuilderSendsItsCodeTypeAndParameters) {
  QM::ReqPkt pkt;
  pkt.SetUser(L"u");
  for (const CatalogueCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    unsigned int count = 12345;
    const char* frame = c.build(pkt, &count);
    ASSERT_EQ(frame, pkt.Frame());
    ASSERT_GT(count, 5u);
    EXPECT_EQ(static_cast<unsigned char>(frame[0]), c.client_type);
    EXPECT_EQ(FrameLength(frame), count - 1);
    const std::string text = FrameText(frame, count);
    EXPECT_EQ(CommandCode(text), c.code);
    EXPECT_EQ(IntParam(text, 1), c.int1);
    EXPECT_EQ(IntParam(text, 2), c.int2);
    EXPECT_EQ(IntParam(text, 3), c.int3);
    EXPECT_EQ(StrParam(text, 1), c.str1);
    EXPECT_EQ(StrParam(text, 2), c.str2);
    EXPECT_EQ(StrParam(text, 3), c.str3);
    EXPECT_EQ(text.substr(text.size() - 22), "</SOAP-ENV:Envelope>\r\n");
  }
}

// Lines 10 onwards of a camera-stream request.
std::string CameraStreamBody(const std::string& items, int count) {
  return std::string(
             "</a1:ClientRequestHeader>\r\n"
             "<a1:DataRequestHeader id=\"ref-4\" xmlns:a1=\""
             "http://schemas.microsoft.com/clr/nsassem/Quillmark.LIB/"
             "Quillmark.LIB%2C%20Version%3D4.0.0.0%2C%20Culture%3Dneutral%2C%20"
             "PublicKeyToken%3Dnull\">\r\n"
             "<CameraList href=\"#ref-5\" />\r\n"
             "<StreamingMode>Automatic</StreamingMode>\r\n"
             "</a1:DataRequestHeader>\r\n"
             "<SOAP-ENV:Array id=\"ref-5\" SOAP-ENV:arrayType=\"xsd:int[") +
         std::to_string(count) + "]\">" + items +
         "\r\n"
         "</SOAP-ENV:Array>\r\n"
         "</SOAP-ENV:Body>\r\n"
         "</SOAP-ENV:Envelope>\r\n";
}

void ExpectCameraStream(const char* frame, unsigned int count,
                        const std::string& items, int item_count) {
  ASSERT_GT(count, 5u);
  EXPECT_EQ(static_cast<unsigned char>(frame[0]), 2);
  const std::string text = FrameText(frame, count);
  EXPECT_EQ(CommandCode(text), "2");
  EXPECT_EQ(text.find("CommonCMDHeader"), std::string::npos);
  const std::string body = CameraStreamBody(items, item_count);
  ASSERT_GE(text.size(), body.size());
  EXPECT_EQ(text.substr(text.size() - body.size()), body);
}

TEST(ReqPktCatalogue, CameraStreamListsIdsAscendingWithCount) {
  QM::ReqPkt pkt;
  // A type left from an earlier request must not survive: the stream
  // request keeps the default type 2.
  unsigned int count = 0;
  pkt.GetPlaybackStream(1, 2, &count);

  QM::CameraMap cameras;
  cameras[7];
  cameras[3];
  cameras[12];
  const char* frame = pkt.GetCameraStream(cameras, &count);
  ExpectCameraStream(frame, count, "<item>3</item><item>7</item><item>12</item>",
                     3);
}

TEST(ReqPktCatalogue, CameraStreamEmptyMapHasZeroItems) {
  QM::ReqPkt pkt;
  unsigned int count = 0;
  const char* frame = pkt.GetCameraStream(QM::CameraMap(), &count);
  ExpectCameraStream(frame, count, "", 0);
}

TEST(ReqPktCatalogue, CameraStreamSingleIdIsTheOneItemMap) {
  QM::ReqPkt pkt;
  unsigned int count = 0;
  const char* frame = pkt.GetCameraStream(4294967295u, &count);
  ExpectCameraStream(frame, count, "<item>4294967295</item>", 1);
}

}  // namespace
