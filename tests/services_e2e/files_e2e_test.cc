// Video files against qmsim: the span-driven chain (span, file list, one
// header per file in list order), headers of every format kind on both
// sides of the kind-1 version rule, the camera's file query, the directory
// listing and the media-streaming walker.
#include "tests/services_e2e/services_e2e_util.h"

namespace services_e2e {
namespace {

const unsigned long long kDay = 635034816000000000ull;  // 2013-05-07T00:00:00 in ticks
const unsigned long long kSecond = 10000000ull;

std::string Name(int id) { return "D:\\VideoStore\\192.0.2.15-5\\5_" + std::to_string(id) + ".vid"; }

// Camera 5: files 501-506 of three or four frames, one second apart, from
// 00:00, 01:00, ... (file 506 has no header); camera 7 one file in between.
std::string Files() {
  const char* headers[] = {"kind='0'", "kind='1' extension='1'", "kind='2' format='2'",
                           "kind='3' extension='7'", "kind='1'", "header='0'"};
  std::string xml = "<camera id='5' address='192.0.2.15' width='1920' height='1080' fps='25'>";
  for (int i = 0; i < 6; ++i) {
    const std::string hour = "0" + std::to_string(i);
    xml += "<file id='" + std::to_string(501 + i) + "' name='" + Name(501 + i) + "' start='2013-05-07T" +
           hour + ":00:00-04:00' end='2013-05-07T" + hour + ":00:0" + (i == 0 ? "3" : "2") +
           "-04:00' frames='" + (i == 0 ? "4" : "3") + "' type='" + std::to_string(i) + "' " +
           headers[i] + "/>";
  }
  return xml + "</camera><camera id='7'><file id='701' name='D:\\7.vid' start="
               "'2013-05-07T02:30:00-04:00' end='2013-05-07T02:30:09-04:00' frames='10'/></camera>";
}

// Span over the whole day, the list from its first to its last file, then
// one header exchange per listed file, for camera 5, in list order. (The
// description comes first: the server ID is in the span request, and kind-1
// headers are read by the server's version.)
TEST(GetVideoFilesMetadata, SpanThenFileListThenOneHeaderPerFileInListOrder) {
  Sim sim(Files());
  auto server = sim.Connect();
  ASSERT_TRUE(server->GetServerAndCameraMetadata());
  boost::shared_ptr<QM::VideoSpan> span;
  QM::VideoFileList files;
  ASSERT_TRUE(server->GetVideoFilesMetadata(5, 2013, 5, 7, 0, 0, 0, 2013, 5, 7, 23, 59, 59, span, files))
      << sim.Log();
  EXPECT_EQ(sim.Request(3), Frame(2, 30003, {3, 5, 0, std::to_string(kDay),
                                             std::to_string(kDay + 86399 * kSecond)}));
  ASSERT_TRUE(span);
  EXPECT_EQ(span->StartingFile + L"|" + span->EndingFile, W(Name(501) + "|" + Name(506)));
  EXPECT_EQ(std::make_tuple(span->StartingFrame, span->EndingFrame, span->EndingHour,
                            span->EndingSecond), std::make_tuple(0, 2, 5, 2));
  const std::string first = Name(501), last = Name(506);
  EXPECT_EQ(sim.Request(4), Frame(6, 50014, {0, 0, 0,
      "SELECT * FROM dbo.videofiles WHERE CameraID = (SELECT CameraID FROM dbo.VideoFiles WHERE "
      "FileName = &apos;" + first + "&apos;) AND FileID &gt;= (SELECT FileID FROM dbo.VideoFiles "
      "WHERE FileName = &apos;" + first + "&apos;) AND FileID &lt;= (SELECT FileID FROM "
      "dbo.VideoFiles WHERE FileName = &apos;" + last + "&apos;) ORDER BY StartTime"}));
  ASSERT_EQ(files->size(), 6u);
  ASSERT_EQ(sim.Requests(), 10);
  for (int i = 0; i < 6; ++i) {
    const QM::VideoFile& f = *(*files)[i];
    EXPECT_EQ(sim.Request(5 + i), Frame(2, 321, {5, 0, 0, Name(501 + i)})) << i;
    EXPECT_EQ(f.FileName, W(Name(501 + i)));
    EXPECT_EQ(std::make_tuple(f.FileID, f.RecordingType, f.StartTime),
              std::make_tuple(501u + i, unsigned(i), kDay + i * 3600 * kSecond));
    EXPECT_EQ(f.HeaderTag, i == 5 ? 0u : 1u) << i;
  }
}

// The same header bytes mean different layouts for kind 1 by the server's
// version; qmsim writes D1 above 5.5.24.2 and the client reads it by the
// version it stored, so the frame table lines up on both sides. Every kind
// and both extension-word cases end in a frame table of the file's times.
TEST(RspPkt_ParseVideoFileMetadata, EveryKindAndExtensionWordLinesUpTheFrameTableOnBothVersionSides) {
  for (const char* version : {"5.5.24.2", "5.5.24.3"}) {
    const bool d1 = std::string(version) == "5.5.24.3";
    Sim sim("<server id='3' version='" + std::string(version) + "'/>" + Files());
    auto server = sim.Connect();
    server->GetServerAndCameraMetadata();
    const struct { unsigned kind, ext, a, d1, d2; } want[] = {
        {0, 0, 0, 0, 0}, {1, 1, 1920, d1 ? 5u : 0u, 0}, {2, 0, 0, 5, 2}, {3, 7, 0, 5, 0},
        {1, 0, 1920, d1 ? 5u : 0u, 0}};
    for (int i = 0; i < 5; ++i) {
      auto file = boost::make_shared<QM::VideoFile>(W(Name(501 + i)));
      const QM::ByteVector reply = Exchange(*server, server->ReqPkt_GetVideoFileMetadata(file->FileName, 5));
      server->RspPkt_ParseVideoFileMetadata(reply.data(), reply.size(), file);
      const unsigned frames = i == 0 ? 4 : 3;
      const unsigned long long start = kDay + i * 3600 * kSecond;
      EXPECT_EQ(std::make_tuple(file->FormatKind, unsigned(file->ExtensionWord), file->ValueA,
                                file->ValueD1, file->ValueD2, file->HeaderValue4, file->TotalFrames),
                std::make_tuple(want[i].kind, want[i].ext, want[i].a, want[i].d1, want[i].d2,
                                501u + i, frames)) << version << " file " << 501 + i;
      EXPECT_EQ(file->ValueG, want[i].ext ? 0x3300 : 0) << i;
      EXPECT_EQ(file->timestamp(0), start) << i;
      EXPECT_EQ(file->timestamp(frames - 1), start + (frames - 1) * kSecond) << version << " " << i;
      EXPECT_DOUBLE_EQ(file->Rate, 1.0);
    }
  }
}

// The camera's file query: files inside the first file's start and the last
// file's end; the one-camera form (empty names) lists none, as a database
// would. The directory listing names the date folder of the files.
TEST(CameraFilesAndDirectories, FileQueryBetweenTwoNamesAndTheDateFolderListing) {
  Sim sim(Files());
  auto server = sim.Connect();
  server->GetServerAndCameraMetadata();
  const QM::ByteVector reply =
      Exchange(*server, server->ReqPkt_GetVideoFilesMetadata(5, W(Name(502)), W(Name(504))));
  const QM::VideoFileList files = QM::Server::RspPkt_ParseVideoFilesMetadata(reply.data(), reply.size());
  ASSERT_EQ(files->size(), 3u) << sim.Log();
  EXPECT_EQ((*files)[2]->FileName, W(Name(504)));
  EXPECT_NE(sim.Request(3).find("WHERE CameraID=5 AND StartTime &gt;= (SELECT StartTime FROM "
                                "dbo.VideoFiles WHERE FileName=&apos;" + Name(502) + "&apos;)"),
            std::string::npos);
  const QM::ByteVector none = Exchange(*server, server->ReqPkt_GetVideoFilesMetadata(server->FindCamera(5)));
  EXPECT_TRUE(QM::Server::RspPkt_ParseVideoFilesMetadata(none.data(), none.size())->empty());
  server->SetID(3);
  const QM::ByteVector table = Exchange(*server, server->ReqPkt_GetServerMetadataEx());
  server->RspPkt_ParseServerMetadataEx(table.data(), table.size());
  const QM::ByteVector listing = Exchange(*server, server->ReqPkt_GetCameraVideoFileDirectories(server->FindCamera(5)));
  EXPECT_EQ(sim.Request(6), Frame(2, 413, {1, 5, 0, "D:\\VideoStore\\192.0.2.15-5"}));
  EXPECT_EQ(QM::Server::RspPkt_ParseCameraVideoFileDirectories(listing.data(), listing.size()),
            std::vector<std::wstring>{L"2013-05-07"});
}

// The media-streaming reply: the walker returns the last record's number.
TEST(RspPkt_ParseMediaFileAVStreaming, LastFrameNumberOfTheRecordsQmsimSent) {
  Sim sim(Files());
  auto server = sim.Connect();
  const struct { unsigned count, from, last; } cases[] = {{2, 5, 6}, {0, 3, 9}, {1, 10, 0}};
  for (const auto& c : cases) {
    const QM::ByteVector reply =
        Exchange(*server, server->ReqPkt_GetVideoFileFrames(L"D:\\7.vid", 7, c.count, c.from, -1, L"x"));
    EXPECT_EQ(QM::Server::RspPkt_ParseMediaFileAVStreaming(reply.data(), reply.size(), {}), c.last)
        << c.count << " from " << c.from;
  }
  EXPECT_EQ(sim.Request(1), Frame(2, 302, {2, 5, -1, "D:\\7.vid", "x", "7"}));
}

}  // namespace
}  // namespace services_e2e
