// PTZ actions: the table's command texts and the start and stop requests as
// sent; an action without a table entry is refused, never read out of the
// table (the suite also runs under the sanitizers).
#include <gtest/gtest.h>

#include "protocol/text_convert.h"
#include "tests/services/ptz_stream_test_util.h"

namespace {

using namespace qm_svc_test;

TEST(PTZ, TableIndexedByActionAndRequestsCarryTextValueCameraOrAreRefused) {
  std::string texts;
  for (int a = 0; a < 14; ++a) {
    const QM::PTZ_COMMAND* c = QM::FindPTZCommand(static_cast<QM::PTZ_ACTION>(a));
    ASSERT_TRUE(c == &QM::ptz_commands[a] && c->action == a);
    texts += wstring_to_string(c->text) + " ";
  }
  EXPECT_EQ(texts, "cmdLeftUp cmdPanLeft cmdDownLeft cmdTiltUp cmdTiltDown cmdRightUp "
                   "cmdPanRight cmdDownRight cmdZoomIn cmdZoomOut cmdFocusNear cmdFocusFar "
                   "cmdShutterOpen cmdShutterClose ");
  const struct { int action; bool stop; unsigned int value; std::string want; } cases[] = {
      {9, true, 0, Lines("2/1", 5, 0, "PTZAction", "cmdZoomOutStop", "")},
      {0, true, 0, Lines("2/1", 5, 0, "PTZAction", "cmdLeftUpStop", "")},
      {13, false, 7, Lines("2/1", 5, 7, "PTZAction", "cmdShutterClose", "")},
      {8, false, 4294967295u, Lines("2/1", 5, -1, "PTZAction", "cmdZoomIn", "")},
      {14, true, 0, "<refused>"}, {14, false, 1, "<refused>"},
      {-1, true, 0, "<refused>"}, {255, false, 1, "<refused>"},
  };
  QM::Server server(L"h", 1, L"u", L"p", 0, 3);
  for (const auto& c : cases) {
    const auto action = static_cast<QM::PTZ_ACTION>(c.action);
    EXPECT_EQ(Params(c.stop ? server.ReqPkt_StopPTZAction(5, action)
                            : server.ReqPkt_StartPTZAction(5, action, c.value)),
              c.want) << c.action << (c.stop ? " stop" : " start");
  }
}

}  // namespace
