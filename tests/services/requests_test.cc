// The request wrappers that the exchanges against qmsim do not send:
// command, client type and parameters, the version gate of the directory,
// and the requests that cannot be built from the records they are given.
#include "tests/services/services_test_util.h"

namespace {

using namespace qm_services_test;
using QM::CameraPtr;

TEST(Requests, WrappersSendTheirCommandAndParametersAndRefuseRecordsTheyCannotUse) {
  const auto server = boost::make_shared<FakeServer>();
  server->Describe("9", "6.2.9.0");
  const std::string path = DataSet({{{"LocalDataPath", "D:\\Data"}}});
  server->RspPkt_ParseServerMetadataEx(path.data(), path.size());
  const CameraPtr listed = server->AddCamera(30);  // no server reference
  listed->IPAddress = L"10.0.0.3";
  CameraPtr owned = boost::make_shared<QM::Camera>(12, server);
  auto file = boost::make_shared<QM::VideoFile>(L"c12_0001.dat");
  file->SetCamera(owned);
  // Camera 30's file query straight from the builder.
  const auto QueryB = [](const wchar_t* first, const wchar_t* last) {
    QM::ReqPkt pkt;
    unsigned int n = 0;
    const char* frame = pkt.GetCameraVideoFiles(30, &n, first, last);
    return Params(ByteVector(frame, frame + n - 1));
  };
  server->SetUser(L"op2");  // every wrapper sends the credentials valid now
  const struct { const char* name; ByteVector frame; Texts want; } cases[] = {
      {"FileFramesOfRecord", server->ReqPkt_GetVideoFileFrames(file, 1, 2, -3, L"x"),
       {"2", "302", "1", "2", "-3", "c12_0001.dat", "x", "12"}},
      {"ThumbnailOfRecord", server->ReqPkt_GetROIThumbnail(file, 3, 10, 20, 30, 40),
       {"2", "635", "3", "0", "0", "c12_0001.dat", "10,20,30,40", ""}},
      {"NoThumbnailFile", server->ReqPkt_GetROIThumbnail(nullptr, 3, 1, 2, 3, 4), {}},
      {"AllFilesOfCamera", server->ReqPkt_GetVideoFilesMetadata(listed), QueryB(L"", L"")},
      {"FilesOfCamera", server->ReqPkt_GetVideoFilesMetadata(listed, L"a", L"b"),
       QueryB(L"a", L"b")},
      {"FilesOfId", server->ReqPkt_GetVideoFilesMetadata(30, L"b", L"a"), QueryB(L"b", L"a")},
      {"Folders", server->ReqPkt_GetCameraVideoFileDirectories(listed),
       {"2", "413", "1", "30", "0", "D:\\Data\\10.0.0.3-30", "", ""}},
      // The span's camera form takes the ID of the camera's own server.
      {"SpanOfCamera", server->ReqPkt_GetVideoSpan(owned, 1, 634722354160000000ULL),
       {"2", "30003", "9", "12", "0", "1", "634722354160000000", ""}},
      {"SpanOfId", server->ReqPkt_GetVideoSpan(12, 2012, 5, 10, 8, 30, 15, 2012, 5, 10, 8, 30, 16),
       {"2", "30003", "9", "12", "0", "634722354150000000", "634722354160000000", ""}},
      // Decision: a camera without server reference gets no span request.
      {"SpanOfCameraWithoutServer", server->ReqPkt_GetVideoSpan(listed, 1, 2), {}},
      {"SpanOfNoCamera", server->ReqPkt_GetVideoSpan(CameraPtr(), 1, 2), {}},
      {"NoCamera", server->ReqPkt_GetCameraMetadata(nullptr), {}},
      {"NoCameraFiles", server->ReqPkt_GetVideoFilesMetadata(CameraPtr()), {}},
      {"NoCameraFolders", server->ReqPkt_GetCameraVideoFileDirectories(nullptr), {}},
      {"NoFile", server->ReqPkt_GetVideoFileMetadata(nullptr), {}},
      {"FileWithoutCamera", server->ReqPkt_GetVideoFileFrames(
           boost::make_shared<QM::VideoFile>(L"a"), 1, 2, 3, L""), {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.want, Params(c.frame)) << c.name;
    const std::string text(c.frame.begin(), c.frame.end());
    EXPECT_EQ(!c.frame.empty(), text.find("<UID id=\"ref-3\">op2</UID>") != std::string::npos);
  }

  // Once the camera or its server is gone, the records give no request.
  owned.reset();
  EXPECT_TRUE(server->ReqPkt_GetVideoFileMetadata(file).empty());
  owned = boost::make_shared<QM::Camera>(12, boost::make_shared<FakeServer>());
  EXPECT_FALSE(owned->GetServer());
  EXPECT_TRUE(server->ReqPkt_GetVideoSpan(owned, 1, 2).empty());
}

TEST(Requests, VersionGateSendsNativeDirectoryCommandFrom6_2_18_2On) {
  const Texts kTable = {"6", "50014", "0", "0", "0",
      "SELECT cameraID, cameraName, IPAddress FROM dbo.Cameras WHERE serverID=5", "", ""};
  const Texts kNative = {"6", "50003", "0", "0", "0", "", "", ""};
  const struct { std::string version; const Texts& want; } cases[] = {
      {"6.2.18.2", kNative}, {"6.2.9.0", kTable}, {"", kTable}, {"7.0.0.0", kNative},
      {"6.2.18.10", kNative}, {"6.2.18.1", kTable}, {"6.2.18", kTable},
  };
  for (const auto& c : cases) {
    FakeServer server;
    server.Describe("5", c.version);
    EXPECT_EQ(c.want, Params(server.ReqPkt_GetCamerasMetadata())) << c.version;
  }
}

TEST(Requests, VersionsCompareNumericallyPerNumberMissingNumbersCountAsZero) {
  const struct { const wchar_t *a, *b; int want; } cases[] = {
      {L"6.2.18.10", L"6.2.18.2", 1}, {L"6.10.0.0", L"6.9.99.99", 1}, {L"6.2.18.2", L"6.2.18.2", 0},
      {L"-1.0.0.0", L"0", -1}, {L"6.2", L"6.2.0.0", 0}, {L"", L"0.0.0.0", 0},
      {L"6.2.x.5", L"6.2", 0}, {L"6.2.18", L"6.2.18.1", -1}, {L"99999999999.0", L"2147483647", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.want, QM::Server::CompareVersion(c.a, c.b)) << c.a << " vs " << c.b;
    EXPECT_EQ(-c.want, QM::Server::CompareVersion(c.b, c.a)) << c.b << " vs " << c.a;
  }
}

}  // namespace
