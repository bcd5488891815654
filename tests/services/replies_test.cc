// The XML reply parsers of the services on literal replies.
#include "tests/services/services_test_util.h"

namespace {

using namespace qm_services_test;
using QM::Server;

TEST(Replies, DescriptionRewritesAllFiveOnlyWhenFoundLivePortKeepsLow16Bits) {
  const struct { const char* name; std::string reply; bool ok; std::wstring text; } cases[] = {
      {"AllFive", Record("ServerInformation", {{"ID", "7"}, {"Name", "N &amp; co"},
       {"Version", "6.2.18.2"}, {"LivePort", "70000"}, {"TimeZoneInfo", "AST4"}}), true,
       L"7 N & co 6.2.18.2 4464 AST4"},
      {"MissingFieldsClear", Record("ServerInformation", "<Name>n</Name><TimeZoneInfo />"), true,
       L"0 n  0 "},
      {"LoginError", kLoginError, false, L"3 old 5.0.0.0 1 old"},
      {"NoServerInformation", Record("Other", {{"ID", "9"}}), false, L"3 old 5.0.0.0 1 old"},
      {"NotXml", "<ServerInformation><ID>9</ID>", false, L"3 old 5.0.0.0 1 old"},
      {"Empty", "", false, L"3 old 5.0.0.0 1 old"},
  };
  for (const auto& c : cases) {
    FakeServer s;
    const std::string before = Record("ServerInformation", {{"ID", "3"}, {"Name", "old"},
        {"Version", "5.0.0.0"}, {"LivePort", "1"}, {"TimeZoneInfo", "old"}});
    ASSERT_TRUE(s.RspPkt_ParseServerMetadata(before.data(), before.size()));
    EXPECT_EQ(c.ok, Exact(c.reply, [&](const void* r, unsigned n) {
                return s.RspPkt_ParseServerMetadata(r, n); })) << c.name;
    EXPECT_EQ(c.text, std::to_wstring(s.GetServerID()) + L" " + s.GetName() + L" " +
                          s.GetVersion() + L" " + std::to_wstring(s.GetLivePort()) + L" " +
                          s.GetTimeZoneInfo()) << c.name;
  }
  // The server table: the data path of the first row; no row changes nothing.
  FakeServer s;
  const Fields first = {{"LocalDataPath", "D:\\"}}, second = {{"LocalDataPath", "E:"}};
  for (const std::string& reply :
       {DataSet({first, second}), DataSet({}), std::string("<DataSet")}) {
    s.RspPkt_ParseServerMetadataEx(reply.data(), reply.size());
    EXPECT_STREQ(L"D:\\", s.GetLocalDataPath());
  }
}

// Each camera as "ID Name IP User Password Width Height Rate FourCC PTZ Disabled Active
// HTTP RTSP Bandwidth LastReceived", to compare whole maps.
std::vector<std::wstring> Cameras(const QM::CameraMap& map) {
  std::vector<std::wstring> out;
  for (const auto& e : map) {
    const QM::Camera& c = *e.second;
    wchar_t s[512];
    swprintf(s, 512, L"%u %ls %ls %ls %ls %u %u %u %ls %d %d %d %u %u %u %ls", c.ID(),
             c.Name.c_str(), c.IPAddress.c_str(), c.UserName.c_str(), c.Password.c_str(), c.FrameWidth,
             c.FrameHeight, c.FrameRate, c.FourCC.c_str(), c.IsPTZ, c.Disabled, c.Active,
             unsigned(c.HTTPPort), unsigned(c.RTSPPort), c.NetworkBandwidth,
             c.LastRecievedTime.c_str());
    out.push_back(s);
    EXPECT_TRUE(e.first == c.ID() && !c.GetServer());
  }
  return out;
}

const std::string kLowerTable =
    DataSet({{{"cameraID", "3"}, {"cameraName", "Lobby"}, {"IPAddress", "10.0.0.3"}},
             {{"CameraID", "8"}, {"cameraName", "Late"}}});
const std::string kArray = Record("ArrayOfCameraInformation", R"(
  <CameraInformation><ID>2</ID><Name>Yard</Name><Password>pw</Password></CameraInformation>
  <CameraInformation><ID>6</ID><Name>Hall</Name><IsPTZ>True</IsPTZ><FrameRate>25</FrameRate>
    <UserName>u</UserName><Active>true</Active><HTTPPort>65536</HTTPPort><RTSPPort>554</RTSPPort>
  </CameraInformation>
  <CameraInformation><ID>2</ID><Name>Yard 2</Name><IsPTZ>true</IsPTZ><FourCC>H264</FourCC>
  </CameraInformation>)");

TEST(Replies, DirectorySpellingByFirstRowEmptyTableFallsToArrayRepeatedIdKeepsLaterValues) {
  const struct { const char* name; std::string reply; std::vector<std::wstring> want; } cases[] = {
      // A later row with only CameraID lands under ID 0.
      {"LowerCaseTable", kLowerTable, {L"0 Late    0 0 0  0 0 0 0 0 0 ",
                                       L"3 Lobby 10.0.0.3   0 0 0  0 0 0 0 0 0 "}},
      {"UpperCaseTable",
       DataSet({{{"CameraID", "4"}, {"CameraName", "Dock"}, {"IPUserName", "op"}}}),
       {L"4 Dock  op  0 0 0  0 0 0 0 0 0 "}},
      {"Array", kArray, {L"2 Yard 2    0 0 0 H264 1 0 0 0 0 0 ",
                         L"6 Hall  u  0 0 25  0 0 1 0 554 0 "}},
      {"EmptyTableThenArray", DataSet({}) + "<ArrayOfCameraInformation><CameraInformation>"
       "<ID>1</ID></CameraInformation></ArrayOfCameraInformation>", {L"1     0 0 0  0 0 0 0 0 0 "}},
      {"EmptyTable", DataSet({}), {}},
      {"LoginError", kLoginError, {}},
      {"NotXml", "<DataSet", {}},
  };
  for (const auto& c : cases) {
    FakeServer s;
    s.AddCamera(77);
    Exact(c.reply, [&](const void* r, unsigned n) {
      s.RspPkt_ParseCamerasMetadata(r, n);
      return 0;
    });
    EXPECT_EQ(c.want, Cameras(s.GetCameras())) << c.name;
  }
  // One camera's metadata: format fields only; ID, name and ports are kept.
  FakeServer s;
  const QM::CameraPtr camera = s.AddCamera(6);
  camera->HTTPPort = 80;
  const std::string one = Record("CameraInformation", {{"ID", "99"}, {"Name", "x"},
      {"FrameWidth", "704"}, {"FourCC", "MJPG"}, {"Disabled", "true"}, {"HTTPPort", "81"}});
  s.RspPkt_ParseCameraMetadata(one.data(), one.size(), camera);
  s.RspPkt_ParseCameraMetadata(one.data(), one.size(), nullptr);
  EXPECT_EQ(std::vector<std::wstring>{L"6     704 0 0 MJPG 0 1 0 80 0 0 "},
            Cameras(s.GetCameras()));
}

TEST(Replies, StatusSkipsEntriesWithoutIdRepeatedIdTakesLaterEntryLoginErrorEmpties) {
  const std::string status = Record("HealthMonitorStatus", R"(
  <Cameras>
    <CameraStatus><ID>4</ID><CameraName>Gate</CameraName><FrameWidth>640</FrameWidth>
      <Disabled>true</Disabled><NetworkBandwidth>900</NetworkBandwidth></CameraStatus>
    <CameraStatus><CameraName>no id</CameraName></CameraStatus>
    <CameraStatus><ID /><CameraName>empty id</CameraName></CameraStatus>
    <CameraStatus><ID>2</ID><Disabled>True</Disabled><LastRecievedTime>t</LastRecievedTime>
      <FrameHeight>480</FrameHeight><FourCC>H264</FourCC></CameraStatus>
    <CameraStatus><ID>4</ID><CameraName>Gate 2</CameraName><NetworkBandwidth>7</NetworkBandwidth>
    </CameraStatus>
  </Cameras>)");
  EXPECT_EQ((std::vector<std::wstring>{L"2     0 480 0 H264 0 0 0 0 0 0 t",
                                       L"4 Gate 2    0 0 0  0 0 0 0 0 7 "}),
            Cameras(Exact(status, Server::RspPkt_ParseCamerasStatus)));
  EXPECT_TRUE(Exact(kLoginError, Server::RspPkt_ParseCamerasStatus).empty());
}

TEST(Replies, FileListRowsInOrderEvenWithoutNameTimesAsTicksBadNumbersZero) {
  const std::string reply = DataSet({
      {{"FileName", "b.dat"}, {"StartTime", "2012-05-10T08:30:15.250Z"}, {"TotalFrames", "900"},
       {"FileID", "12"}, {"Flag", "3"}, {"FileManipulationStatus", "x"}, {"RecordingType", "1"}},
      {{"StartTime", "2012-05-10T08:30:15"}, {"EndTime", "2012-05-10T08:30:15.5-04:00"}}});
  const QM::VideoFileList files = Exact(reply, Server::RspPkt_ParseVideoFilesMetadata);
  ASSERT_EQ(2u, files->size());
  const QM::VideoFile &b = *files->at(0), &unnamed = *files->at(1);
  EXPECT_EQ(std::make_tuple(std::wstring(L"b.dat"), 634722354152500000ULL, 0ULL, 900u, 12u, 3u,
                            0u, 1u),
            std::make_tuple(b.FileName, b.StartTime, b.EndTime, b.TotalFrames, b.FileID, b.Flag,
                            b.FileManipulationStatus, b.RecordingType));
  EXPECT_EQ(std::make_tuple(std::wstring(), 0ULL, 634722354150050000ULL),
            std::make_tuple(unnamed.FileName, unnamed.StartTime, unnamed.EndTime));
  EXPECT_TRUE(QM::compVideoStartTimes(files->at(1), files->at(0)));
  EXPECT_FALSE(QM::compVideoStartTimes(files->at(0), files->at(1)));
  EXPECT_FALSE(QM::compVideoStartTimes(files->at(0), files->at(0)));
  for (const std::string& none : {DataSet({}), kLoginError, std::string("<x")})
    EXPECT_TRUE(Exact(none, Server::RspPkt_ParseVideoFilesMetadata)->empty());
}

TEST(Replies, SpanTimesCutAtTDashAndColonFractionDroppedBadShapesLeaveZeros) {
  // Frames, then year, month, day, hour, minute, second of each end.
  const struct { std::string start, end; std::vector<int> want; } cases[] = {
      {"2013-05-06T08:00:05.250-04:00", "2013-05-06T23:59:59.999",
       {7, 2013, 5, 6, 8, 0, 5, 90, 2013, 5, 6, 23, 59, 59}},
      {"2013-05-06 08:00:05", "2013-05-06T23:59", {7, 0, 0, 0, 0, 0, 0, 90, 2013, 5, 6, 0, 0, 0}},
      {"2013-05T08:00:05", "x-1-2Ty:3:4", {7, 0, 0, 0, 8, 0, 5, 90, 0, 1, 2, 0, 3, 4}},
  };
  for (const auto& c : cases) {
    const QM::VideoSpanPtr p = Exact(Record("VideoSpan", {{"StartingFile", "a.dat"},
        {"StartingTime", c.start}, {"StartingFrame", "7"}, {"EndingFile", "b.dat"},
        {"EndingTime", c.end}, {"EndingFrame", "90"}}), Server::RspPkt_ParseGetVideoSpan);
    ASSERT_TRUE(p);
    const QM::VideoSpan& s = *p;
    EXPECT_EQ(c.want, (std::vector<int>{s.StartingFrame, s.StartingYear, s.StartingMonth,
        s.StartingDay, s.StartingHour, s.StartingMinute, s.StartingSecond, s.EndingFrame,
        s.EndingYear, s.EndingMonth, s.EndingDay, s.EndingHour, s.EndingMinute, s.EndingSecond}))
        << c.start;
    EXPECT_TRUE(s.StartingFile == L"a.dat" && s.EndingFile == L"b.dat" && !s.StartingExtra);
  }
  const QM::VideoSpanPtr none = Exact(Record("Other", ""), Server::RspPkt_ParseGetVideoSpan);
  EXPECT_TRUE(none && none->StartingFile.empty() && none->EndingYear == 0);
  EXPECT_FALSE(Exact("<VideoSpan>", Server::RspPkt_ParseGetVideoSpan));
}

}  // namespace
