// PTZ actions and presets against qmsim: the request bytes of each
// operation, and the presets qmsim keeps for the run seen through the list.
#include "tests/services_e2e/services_e2e_util.h"

namespace services_e2e {
namespace {

const std::string kDome =
    "<camera id='5' ptz='true'><preset id='1' name='Gate'/><preset id='2' name='Parking'/>"
    "<preset id='1' name='Gate again'/></camera><camera id='7'/>";

// The camera's presets as "id:name" items, through the library's parser.
std::string Presets(QMLinux& server, unsigned camera) {
  const QM::ByteVector reply = Exchange(server, server.ReqPkt_GetPTZPresets(camera));
  const QM::PresetList presets = QM::Server::RspPkt_ParsePresets(reply.data(), reply.size());
  std::string out;
  for (const auto& p : *presets) {
    out += (out.empty() ? "" : " ") + std::to_string(p->ID) + ":" +
           std::string(p->Name.begin(), p->Name.end());
  }
  return out;
}

// Each operation's request, byte for byte, and its effect on the list.
TEST(Presets, SetRecallDeleteAndExecutePresetFoundOrNotAgainstTheRunsState) {
  Sim sim(kDome);
  auto server = sim.Connect();
  EXPECT_EQ(Presets(*server, 5), "1:Gate 2:Parking 1:Gate again");
  EXPECT_EQ(sim.Request(1), Frame(6, 50009, {5}));
  EXPECT_TRUE(server->RegistPreset(5, 12));
  EXPECT_EQ(sim.Request(2), Frame(2, 1, {5, 0, 0, "SetPreset", "12", "Preset 12"}));
  EXPECT_EQ(Presets(*server, 5), "1:Gate 2:Parking 1:Gate again 12:Preset 12");
  // A shared ID recalls the first preset in list order, with its name.
  EXPECT_TRUE(server->ExecutePreset(5, 1));
  EXPECT_EQ(sim.Request(4), Frame(6, 50009, {5}));
  EXPECT_EQ(sim.Request(5), Frame(2, 1, {5, 0, 0, "RecallPreset", "1", "Gate"}));
  EXPECT_TRUE(sim.AwaitLog("#5 1 ptz: ok preset 1 \"Gate\" recalled;")) << sim.Log();
  EXPECT_FALSE(server->ExecutePreset(5, 99));
  EXPECT_FALSE(server->ExecutePreset(7, 1));  // a camera without presets: an empty list
  EXPECT_EQ(sim.Requests(), 7) << "a recall was sent for a preset not in the list";
  Exchange(*server, server->ReqPkt_DeletePTZPreset(5, 2, L"Parking"));
  EXPECT_EQ(sim.Request(8), Frame(2, 1, {5, 0, 0, "DeletePreset", "2", "Parking"}));
  EXPECT_EQ(Presets(*server, 5), "1:Gate 1:Gate again 12:Preset 12");
  Exchange(*server, server->ReqPkt_RecallPTZPreset(5, 12, L"Preset 12"));
  EXPECT_EQ(sim.Request(10), Frame(2, 1, {5, 0, 0, "RecallPreset", "12", "Preset 12"}));
}

// Start sends the action's text and the value, stop the text with "Stop";
// qmsim logs each and refuses a camera that is not PTZ.
TEST(PtzActions, StartAndStopRequestBytesAndTheActionsQmsimLogged) {
  Sim sim(kDome);
  auto server = sim.Connect();
  const struct { QM::PTZ_ACTION action; const char* text; } cases[] = {
      {QM::PTZ_LEFT_UP, "cmdLeftUp"}, {QM::PTZ_ZOOM_OUT, "cmdZoomOut"},
      {QM::PTZ_SHUTTER_CLOSE, "cmdShutterClose"}};
  int n = 0;
  for (const auto& c : cases) {
    const QM::ByteVector start = Exchange(*server, server->ReqPkt_StartPTZAction(5, c.action, 3));
    const QM::ByteVector stop = Exchange(*server, server->ReqPkt_StopPTZAction(5, c.action));
    EXPECT_EQ(sim.Request(++n), Frame(2, 1, {5, 3, 0, "PTZAction", c.text}));
    EXPECT_EQ(sim.Request(++n), Frame(2, 1, {5, 0, 0, "PTZAction", std::string(c.text) + "Stop"}));
    EXPECT_NE(std::string(stop.begin(), stop.end()).find(">true</boolean>"), std::string::npos);
    EXPECT_TRUE(sim.AwaitLog("#" + std::to_string(n) + " 1 ptz: ok " + c.text + "Stop value=0;"))
        << sim.Log();
  }
  const QM::ByteVector refused = Exchange(*server, server->ReqPkt_StartPTZAction(7, QM::PTZ_PAN_LEFT, 1));
  EXPECT_NE(std::string(refused.begin(), refused.end()).find(">false</boolean>"), std::string::npos);
  EXPECT_TRUE(server->ReqPkt_StartPTZAction(5, static_cast<QM::PTZ_ACTION>(14), 1).empty());
}

}  // namespace
}  // namespace services_e2e
