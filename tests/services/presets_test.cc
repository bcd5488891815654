// Presets: the preset-list reply, and RegistPreset and ExecutePreset against
// a fake server that records every request and answers canned replies.
#include <climits>

#include <gtest/gtest.h>

#include "protocol/text_convert.h"
#include "tests/services/ptz_stream_test_util.h"

namespace {

using namespace qm_svc_test;

std::string Entry(const std::string& inner) { return "<IPCPreset>" + inner + "</IPCPreset>"; }
std::string List(const std::string& entries) {
  return "<?xml version=\"1.0\"?><ArrayOfIPCPreset>" + entries + "</ArrayOfIPCPreset>";
}

TEST(PresetList, EntriesInReplyOrderSkippingThoseWithoutPresetID) {
  const struct { const char* fault; std::string reply, want; } cases[] = {
      {"entries lost or reordered",
       List(Entry("<PresetID>3</PresetID><PresetName>Door</PresetName>") +
            Entry("<PresetName>none</PresetName>") + "<!-- c -->" +
            Entry("<PresetID/><PresetName>Gate</PresetName>") + Entry("<PresetID>-2</PresetID>")),
       "3:Door;0:Gate;-2:;"},
      {"overflowing ID not held at the int range",
       List(Entry("<PresetID>99999999999</PresetID>") + Entry("<PresetID>-99999999999</PresetID>")),
       std::to_string(INT_MAX) + ":;" + std::to_string(INT_MIN) + ":;"},
      {"entries before the first IPCPreset read", List("<Other><PresetID>1</PresetID></Other>"), ""},
      {"list without ArrayOfIPCPreset", "<Presets>" + Entry("<PresetID>1</PresetID>") + "</Presets>", ""},
      {"reply that is not XML", "<ArrayOfIPCPreset><IPCPreset>", ""},
  };
  for (const auto& c : cases) {
    const QM::PresetList got = QM::Server::RspPkt_ParsePresets(c.reply.data(), c.reply.size());
    ASSERT_TRUE(got) << c.fault;
    std::string summary;
    for (const auto& p : *got) summary += std::to_string(p->ID) + ":" + wstring_to_string(p->Name) + ";";
    EXPECT_EQ(summary, c.want) << c.fault;
  }
}

struct FakeServer : QM::Server {
  FakeServer(std::vector<std::string> canned) : Server(L"h", 1, L"u", L"p", 0, 42), replies(canned) {}
  unsigned int TransactCommandChannel(QM::ByteVector& request, QM::ByteVector& reply) override {
    requests.push_back(Params(request));
    if (requests.size() > replies.size()) return 0;
    reply.assign(replies[requests.size() - 1].begin(), replies[requests.size() - 1].end());
    return static_cast<unsigned int>(reply.size());
  }
  std::vector<std::string> replies, requests;
};

TEST(Presets, ExecuteRecallsFirstListedMatchAndRegistSendsGeneratedName) {
  const std::string shared = List(Entry("<PresetID>4</PresetID><PresetName>A</PresetName>") +
                                  Entry("<PresetID>4</PresetID><PresetName>B</PresetName>"));
  const std::string list_request = Lines("6/50009", 7, 0, "", "", "");
  const struct { const char* fault; std::vector<std::string> replies; unsigned int id;
                 bool result; std::vector<std::string> requests; } cases[] = {
      {"shared ID not recalled by its first entry", {shared, ""}, 4, true,
       {list_request, Lines("2/1", 7, 0, "RecallPreset", "4", "A")}},
      {"unlisted ID recalled", {shared}, 5, false, {list_request}},
      {"empty list taken as found", {List("")}, 4, false, {list_request}},
      {"failed list exchange taken as found", {}, 4, false, {list_request}},
  };
  for (const auto& c : cases) {
    FakeServer server(c.replies);
    EXPECT_EQ(server.ExecutePreset(7, c.id), c.result) << c.fault;
    EXPECT_EQ(server.requests, c.requests) << c.fault;
  }
  FakeServer server({});  // no reply at all: RegistPreset still answers true
  EXPECT_TRUE(server.RegistPreset(7, 12));
  EXPECT_EQ(server.requests, std::vector<std::string>{Lines("2/1", 7, 0, "SetPreset", "12", "Preset 12")});
}

}  // namespace
