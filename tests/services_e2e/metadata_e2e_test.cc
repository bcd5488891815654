// Server description, server table, health status, camera directory (both
// sides of the version gate) and one camera's metadata, against qmsim.
#include "tests/services_e2e/services_e2e_util.h"

namespace services_e2e {
namespace {

const std::string kCameras =
    "<camera id='5' name='Gate PTZ' address='192.0.2.15' user='viewer' password='cam-5' "
    "description='Dome' fourcc='H264' width='1920' height='1080' fps='25' bandwidth='4096' "
    "ptz='true' last-received='2013-05-07T23:59:58-04:00' http-port='8080' rtsp-port='554' "
    "rtp-port='6970' rtcp-port='6971'/>"
    "<camera id='9' name='Lobby' address='192.0.2.19' disabled='true' active='false'/>";

std::string Server(const std::string& version) {
  return "<server id='3' name='Harbour NVR' version='" + version +
         "' time-zone='AST' data-path='D:\\VideoStore'/>";
}

// The version stored from the description chooses the directory command:
// the native list from 6.2.18.2 on (all fields), the camera table below it
// or without a version (lower-case columns: ID, name and address only).
TEST(ServerAndCameraMetadata, VersionGateChoosesNativeListOrCameraTableAndBothFillTheMap) {
  const struct { const char* version; bool native; } cases[] = {
      {"6.2.18.2", true}, {"7.0.0.0", true}, {"6.2.9.0", false}, {"", false}};
  for (const auto& c : cases) {
    Sim sim(Server(c.version) + kCameras);
    auto server = sim.Connect();
    ASSERT_TRUE(server->GetServerAndCameraMetadata()) << c.version << sim.Log();
    ASSERT_EQ(sim.Requests(), 2) << sim.Log();
    EXPECT_EQ(sim.Request(1), Frame(6, 50002, {}));
    EXPECT_EQ(sim.Request(2), c.native ? Frame(6, 50003, {})
                                       : Frame(6, 50014, {0, 0, 0, "SELECT cameraID, cameraName, "
                                                        "IPAddress FROM dbo.Cameras WHERE serverID=3"}))
        << c.version;
    EXPECT_EQ(server->GetServerID(), 3u);
    EXPECT_EQ(std::wstring(server->GetName()), L"Harbour NVR");
    EXPECT_EQ(std::wstring(server->GetVersion()), W(c.version));
    EXPECT_EQ(server->GetLivePort(), sim.LivePort());
    EXPECT_EQ(std::wstring(server->GetTimeZoneInfo()), L"AST");
    const QM::CameraMap cameras = server->GetCameras();
    ASSERT_EQ(cameras.size(), 2u) << c.version;
    const QM::Camera& gate = *cameras.at(5);
    EXPECT_EQ(gate.ID(), 5u);
    EXPECT_EQ(gate.Name + L"|" + gate.IPAddress, L"Gate PTZ|192.0.2.15");
    EXPECT_EQ(std::make_tuple(gate.FrameWidth, gate.FrameHeight, gate.FrameRate, gate.IsPTZ),
              c.native ? std::make_tuple(1920u, 1080u, 25u, true) : std::make_tuple(0u, 0u, 0u, false));
    if (c.native) {
      EXPECT_EQ(gate.FourCC + L"|" + gate.Description + L"|" + gate.UserName + L"|" + gate.Password,
                L"H264|Dome|viewer|cam-5");
      EXPECT_EQ(std::make_tuple(gate.HTTPPort, gate.RTSPPort, gate.RTPPort, gate.RTCPPort, gate.Active),
                std::make_tuple(8080, 554, 6970, 6971, true));
      EXPECT_TRUE(cameras.at(9)->Disabled && !cameras.at(9)->Active);
    }
  }
}

// A refused login: the description is not taken (the version stays empty),
// so the directory request is the camera table, also refused: an empty
// directory, yet true. The status exchange answers true with an empty map.
TEST(ServerAndCameraMetadata, RefusedLoginStillSendsTheTableQueryAndStatusGivesAnEmptyMap) {
  Sim sim(Server("6.2.18.2") + kCameras);
  auto server = sim.Connect("wrong");
  EXPECT_TRUE(server->GetServerAndCameraMetadata());
  EXPECT_EQ(server->GetServerID(), 0u);
  EXPECT_TRUE(server->GetCameras().empty());
  QM::CameraMap status{{1, boost::make_shared<QM::Camera>()}};
  EXPECT_TRUE(server->GetAliveMonInfo(status));
  EXPECT_TRUE(status.empty());
  EXPECT_TRUE(sim.AwaitLog("#3 414 server-status: login-refused for user \"operator\"")) << sim.Log();
  EXPECT_NE(sim.Log().find("#2 50014 server-query camera-table server=0"), std::string::npos);
}

TEST(GetAliveMonInfo, EveryCameraWithItsHealthFieldsAndNoServerReference) {
  Sim sim(kCameras);
  auto server = sim.Connect();
  QM::CameraMap cameras;
  ASSERT_TRUE(server->GetAliveMonInfo(cameras));
  EXPECT_EQ(sim.Request(1), Frame(6, 414, {}));
  ASSERT_EQ(cameras.size(), 2u);
  const QM::Camera& gate = *cameras.at(5);
  EXPECT_EQ(gate.Name + L"|" + gate.FourCC + L"|" + gate.LastRecievedTime,
            L"Gate PTZ|H264|2013-05-07T23:59:58-04:00");
  EXPECT_EQ(std::make_tuple(gate.FrameWidth, gate.FrameHeight, gate.FrameRate, gate.NetworkBandwidth),
            std::make_tuple(1920u, 1080u, 25u, 4096u));
  EXPECT_TRUE(!gate.Disabled && cameras.at(9)->Disabled && cameras.at(9)->LastRecievedTime.empty());
  EXPECT_FALSE(gate.GetServer());
}

// The server table gives the data path; one camera's metadata fills the
// fields that reply carries and keeps the rest; an unknown camera (a nil
// CameraInformation) zeroes them.
TEST(ServerTableAndCameraMetadata, DataPathAndOneCameraAgainstQmsim) {
  Sim sim(kCameras);
  auto server = sim.Connect();
  server->SetID(3);
  const QM::ByteVector table = Exchange(*server, server->ReqPkt_GetServerMetadataEx());
  server->RspPkt_ParseServerMetadataEx(table.data(), table.size());
  EXPECT_EQ(std::wstring(server->GetLocalDataPath()), L"D:\\VideoStore");
  EXPECT_EQ(sim.Request(1), Frame(6, 50014, {0, 0, 0, "SELECT * FROM dbo.Servers WHERE serverID=3"}));
  for (unsigned id : {5u, 6u}) {
    auto camera = server->AddCamera(id);
    camera->Name = L"kept";
    camera->FrameWidth = 1;
    const QM::ByteVector reply = Exchange(*server, server->ReqPkt_GetCameraMetadata(camera));
    server->RspPkt_ParseCameraMetadata(reply.data(), reply.size(), camera);
    EXPECT_EQ(sim.Request(id == 5 ? 2 : 3), Frame(6, 50001, {int(id)}));
    EXPECT_EQ(camera->Name, L"kept");
    EXPECT_EQ(camera->FrameWidth, id == 5 ? 1920u : 0u);
    EXPECT_EQ(camera->Description, id == 5 ? L"Dome" : L"");
  }
}

}  // namespace
}  // namespace services_e2e
