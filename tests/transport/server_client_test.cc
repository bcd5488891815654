// The server client: construction defaults, cookie drawing, accessors and
// the hand-over of credentials to the request packet.
#include <cstdlib>
#include <ctime>
#include <string>

#include <gtest/gtest.h>

#include "client/server.h"
#include "protocol/qmlinux.h"

namespace {

// Opens the protected parts the tests look at.
class OpenServer : public QM::Server {
 public:
  using QM::Server::Server;
  using QM::Server::FrameBytes;
  QM::ReqPkt& Packet() { return pkt_; }
  void FillFromReply() {
    name_ = L"server-name";
    version_ = L"4.0";
    local_data_path_ = L"D:\\data";
    live_port_ = 5011;
    time_zone_ = L"EST";
  }
  const std::wstring& Version() const { return version_; }
  const std::wstring& DataPath() const { return local_data_path_; }
  unsigned short LivePort() const { return live_port_; }
  const std::wstring& TimeZone() const { return time_zone_; }
};

std::string FrameText(QM::ReqPkt& packet) {
  unsigned int count = packet.EnsureCharset();
  if (count < 6) return std::string();
  return std::string(packet.Frame() + 5, count - 6);
}

TEST(ServerConstruction, PortZeroOrMissingBecomes4011) {
  OpenServer plain;
  OpenServer no_address(L"user", L"pw", 5, 9);
  OpenServer zero_port(L"10.0.0.1", 0, L"user", L"pw", 5, 9);
  OpenServer given_port(L"10.0.0.1", 8080, L"user", L"pw", 5, 9);
  EXPECT_EQ(plain.GetPort(), 4011);
  EXPECT_EQ(no_address.GetPort(), 4011);
  EXPECT_EQ(zero_port.GetPort(), 4011);
  EXPECT_EQ(given_port.GetPort(), 8080);
  EXPECT_STREQ(no_address.GetAddress(), L"");
  EXPECT_EQ(given_port.GetAddressString(), L"10.0.0.1");
  EXPECT_STREQ(plain.GetUser(), L"");
  EXPECT_STREQ(plain.GetPassword(), L"");
  EXPECT_EQ(plain.LivePort(), 0);
  EXPECT_EQ(given_port.GetConnectionCookie(), 9u);
}

TEST(ServerConstruction, CookieZeroDrawnFromGeneratorSeededWithTime) {
  // Retried when the clock ticks over a second boundary mid-test.
  for (int attempt = 0; attempt < 5; ++attempt) {
    time_t before = std::time(nullptr);
    OpenServer first(L"u", L"p", 0, 0);
    OpenServer second(L"10.0.0.1", 0, L"u", L"p", 0, 0);
    time_t after = std::time(nullptr);
    if (before != after) continue;
    EXPECT_EQ(first.GetConnectionCookie(), second.GetConnectionCookie());
    std::srand(static_cast<unsigned int>(before));
    EXPECT_EQ(first.GetConnectionCookie(),
              static_cast<unsigned int>(std::rand()));
    return;
  }
  FAIL() << "clock kept crossing second boundaries";
}

TEST(ServerAccessors, SetAllResetsIdAndNameButKeepsReplyFacts) {
  OpenServer server(L"10.0.0.1", 99, L"u", L"p", 0, 5);
  server.SetID(42);
  server.FillFromReply();
  server.SetAll(L"10.0.0.2", 0, L"v", nullptr, 6);
  EXPECT_EQ(server.GetServerID(), 0u);
  EXPECT_STREQ(server.GetName(), L"");
  EXPECT_EQ(server.Version(), L"4.0");
  EXPECT_EQ(server.DataPath(), L"D:\\data");
  EXPECT_EQ(server.LivePort(), 5011);
  EXPECT_EQ(server.TimeZone(), L"EST");
  EXPECT_STREQ(server.GetAddress(), L"10.0.0.2");
  EXPECT_EQ(server.GetPort(), 4011);
  EXPECT_STREQ(server.GetUser(), L"v");
  EXPECT_STREQ(server.GetPassword(), L"");
  EXPECT_EQ(server.GetConnectionCookie(), 6u);
}

TEST(ServerAccessors, MissingTextEmptiesTheField) {
  OpenServer server(L"10.0.0.1", 1, L"user", L"pw", 0, 5);
  server.SetUser(nullptr);
  server.SetPassword(nullptr);
  server.SetAddress(nullptr);
  EXPECT_STREQ(server.GetUser(), L"");
  EXPECT_STREQ(server.GetPassword(), L"");
  EXPECT_STREQ(server.GetAddress(), L"");
  server.SetUser(L"second");
  server.SetUser(L"x");  // shorter text replaces, does not overlay
  EXPECT_STREQ(server.GetUser(), L"x");
}

TEST(ServerCredentials, EveryHandOverCarriesTheCurrentValues) {
  OpenServer server(L"10.0.0.1", 1, L"op<&", L"secret", 637000000000000000ULL,
                    12345);
  server.SetCredentials();
  server.Packet().CreateCommand(7);
  std::string text = FrameText(server.Packet());
  EXPECT_NE(text.find("<UID id=\"ref-3\">op<&</UID><PWD>secret</PWD>"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("<CookieID>12345</CookieID>"), std::string::npos);
  EXPECT_NE(text.find("<CTKs>637000000000000000</CTKs>"), std::string::npos);

  // Credentials changed later must reach the next request.
  server.SetUser(L"other");
  server.SetPassword(nullptr);
  server.SetCredentials();
  server.Packet().CreateCommand(7);
  text = FrameText(server.Packet());
  EXPECT_NE(text.find("<UID id=\"ref-3\">other</UID><PWD></PWD>"),
            std::string::npos)
      << text;
}

TEST(ServerFrameBytes, CountMinusOneBytesAndNothingForRefusedFrame) {
  const char frame[] = "\x06\x09\x00\x00\x00<a>\r\n";
  EXPECT_TRUE(OpenServer::FrameBytes(frame, 0).empty());
  EXPECT_TRUE(OpenServer::FrameBytes(nullptr, 5).empty());
  EXPECT_TRUE(OpenServer::FrameBytes(frame, 1).empty());
  QM::ByteVector bytes = OpenServer::FrameBytes(frame, 10);
  ASSERT_EQ(bytes.size(), 9u);
  EXPECT_EQ(QM::ByteVector(frame, frame + 9), bytes);
}

TEST(ServerTransportDefaults, BaseReportsFailureOrNothingHooksContinue) {
  OpenServer server;
  QM::ByteVector data(4, 1);
  QM::ByteVector reply(2, 7);
  EXPECT_FALSE(server.OpenCommandChannel());
  EXPECT_FALSE(server.OpenDataChannel(1));
  EXPECT_EQ(server.WriteConnection(data), 0u);
  EXPECT_EQ(server.ReadConnection(data), 0u);
  EXPECT_EQ(server.TransactCommandChannel(data, reply), 0u);
  EXPECT_EQ(reply, QM::ByteVector(2, 7));
  EXPECT_TRUE(server.NewPlaybackFrame(true, 1, 2, 3, 4, data));
  EXPECT_TRUE(server.NewLiveFrame(1, true, 2, 3, 4, 5, data));
}

TEST(QMLinuxConstruction, ServerPartHasNoAddressWhileConnectionTargetIsKept) {
  QMLinux client(L"192.0.2.7", 8123, L"user", L"pw", 0, 77);
  EXPECT_STREQ(client.GetAddress(), L"");
  EXPECT_EQ(client.GetPort(), 4011);
  EXPECT_STREQ(client.GetServerAddress(), L"192.0.2.7");
  EXPECT_EQ(client.GetCommandPort(), 8123);
  EXPECT_STREQ(client.GetUser(), L"user");
  EXPECT_EQ(client.GetConnectionCookie(), 77u);
  // The playback hook lets a stream run on; the live hook stops after one.
  QM::ByteVector frame;
  EXPECT_FALSE(client.NewPlaybackFrame(true, 0, 0, 0, 0, frame));
  EXPECT_TRUE(client.NewLiveFrame(0, true, 0, 0, 0, 0, frame));
}

TEST(QMLinuxConstruction, AddressCutToArrayAndAlwaysTerminated) {
  std::wstring longest(QMLinux::kAddressChars + 500, L'h');
  QMLinux client(longest.c_str(), 1, nullptr, nullptr, 0, 1);
  EXPECT_EQ(std::wstring(client.GetServerAddress()),
            longest.substr(0, QMLinux::kAddressChars - 1));
  QMLinux none(nullptr, 1, nullptr, nullptr, 0, 1);
  EXPECT_STREQ(none.GetServerAddress(), L"");
}

}  // namespace
