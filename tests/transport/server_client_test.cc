// The server client: port default, cookie drawing, SetAll and the hand-over
// of credentials to the request packet.
#include <ctime>
#include <string>

#include <gtest/gtest.h>

#include "client/server.h"

namespace {

class OpenServer : public QM::Server {  // opens the protected parts the tests use
 public:
  using QM::Server::Server;
  using QM::Server::name_, QM::Server::version_, QM::Server::live_port_, QM::Server::time_zone_;
  // The 8-bit text of a request composed right after SetCredentials.
  std::string Request() {
    SetCredentials();
    pkt_.CreateCommand(7);
    return pkt_.EnsureCharset() < 5 ? std::string() : std::string(pkt_.Frame() + 5);
  }
};

TEST(ServerConstruction, PortZeroOrMissingBecomes4011) {
  EXPECT_EQ(OpenServer().GetPort(), 4011);
  EXPECT_EQ(OpenServer(L"user", L"pw", 5, 9).GetPort(), 4011);
  EXPECT_EQ(OpenServer(L"10.0.0.1", 0, L"user", L"pw", 5, 9).GetPort(), 4011);
}

TEST(ServerConstruction, CookiesDrawnInTheSameSecondAreEqual) {
  unsigned int first = 0, second = 1;
  for (time_t before = 0; before != std::time(nullptr);) {  // retried across a second boundary
    before = std::time(nullptr);
    first = OpenServer(L"u", L"p", 0, 0).GetConnectionCookie();
    second = OpenServer(L"10.0.0.1", 0, L"u", L"p", 0, 0).GetConnectionCookie();
  }
  EXPECT_EQ(first, second);
}

TEST(ServerAccessors, SetAllResetsIdAndNameButKeepsReplyFacts) {
  OpenServer server(L"10.0.0.1", 99, L"u", L"p", 0, 5);
  server.SetID(42);
  server.name_ = L"server-name", server.version_ = L"4.0", server.time_zone_ = L"EST";
  server.live_port_ = 5011;
  server.SetAll(L"10.0.0.2", 0, L"v", nullptr, 6);
  EXPECT_EQ(std::to_wstring(server.GetServerID()) + L"|" + server.GetName() + L"|" +
                server.version_ + server.time_zone_ + std::to_wstring(server.live_port_),
            L"0||4.0EST5011");
  EXPECT_EQ(std::wstring(server.GetAddress()) + L"|" + server.GetUser() + L"|" +
                server.GetPassword() + L"|" + std::to_wstring(server.GetPort()) + L"|" +
                std::to_wstring(server.GetConnectionCookie()),
            L"10.0.0.2|v||4011|6");
}

TEST(ServerCredentials, EveryHandOverCarriesTheCurrentValues) {
  OpenServer server(L"10.0.0.1", 1, L"op<&", L"secret", 637000000000000000ULL, 12345);
  EXPECT_NE(server.Request().find("<UID id=\"ref-3\">op<&</UID><PWD>secret</PWD>\r\n<CookieID>"
                                  "12345</CookieID>\r\n<CTKs>637000000000000000</CTKs>"),
            std::string::npos);
  server.SetUser(L"other");  // changed later: must reach the next request
  server.SetPassword(nullptr);
  EXPECT_NE(server.Request().find("<UID id=\"ref-3\">other</UID><PWD></PWD>"), std::string::npos);
}

}  // namespace
