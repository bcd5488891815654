// The three requests of one query byte for byte: client type 6, length
// prefix, every envelope line, the credentials of the segment, one cookie.
#include "tests/e2e/e2e_support.h"

namespace e2e {
namespace {

const std::string kAsm = "Quillmark.LIB%2C%20Version%3D4.0.0.0%2C%20Culture%3Dneutral%2C%20PublicKeyToken%3Dnull";
const std::string kLib = "http://schemas.microsoft.com/clr/nsassem/Quillmark.LIB/" + kAsm;
const std::string kTypes = "http://schemas.microsoft.com/clr/nsassem/Quillmark.LIB.QMTypes/" + kAsm;
// The envelope as it goes on the wire, CR LF after every line but the last;
// @CODE@, @COOKIE@, @P1@ and @P2@ mark what differs between the requests.
const std::string kEnvelope =
    "<SOAP-ENV:Envelope xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" xmlns:SOAP-ENC=\"http://schemas.xmlsoap.org/soap/encoding/\" "
    "xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
    "xmlns:clr=\"http://schemas.microsoft.com/soap/encoding/clr/1.0\" "
    "SOAP-ENV:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\">\r\n<SOAP-ENV:Body>\r\n"
    "<a1:ClientRequestHeader id=\"ref-1\" xmlns:a1=\"" + kLib + "\">\r\n"
    "<CommandCode xsi:type=\"a2:CommandCodes\" xmlns:a2=\"" + kTypes + "\">@CODE@</CommandCode>"
    "<UID id=\"ref-3\">operator</UID><PWD>demo-pass</PWD>\r\n"
    "<CookieID>@COOKIE@</CookieID>\r\n<CTKs>0</CTKs>\r\n<m_obj href=\"#ref-4\" />\r\n</a1:ClientRequestHeader>\r\n"
    "<a1:CommonCMDHeader id=\"ref-4\" xmlns:a1=\"" + kLib + "\">\r\n"
    "<IntParameter1>12</IntParameter1>\r\n<IntParameter2>0</IntParameter2>\r\n<IntParameter3>0</IntParameter3>\r\n"
    "<StrParameter1 id=\"ref-5\">@P1@</StrParameter1>\r\n@P2@\r\n<StrParameter3 id=\"ref-7\" />\r\n"
    "</a1:CommonCMDHeader>\r\n</SOAP-ENV:Body>\r\n</SOAP-ENV:Envelope>\r";

// Client type 6, then the frame length (prefix included) little-endian.
std::string Frame(const std::string& code, const std::string& cookie, const std::string& p1,
                  const std::string& p2) {
  std::string env = kEnvelope;
  for (const auto& s : Periods{{"@CODE@", code}, {"@COOKIE@", cookie}, {"@P1@", p1}, {"@P2@", p2}})
    env.replace(env.find(s.first), s.first.size(), s.second);
  const size_t n = env.size() + 5;
  return std::string{'\x06', char(n), char(n >> 8), char(n >> 16), char(n >> 24)} + env;
}

class E2eRequestFrames : public E2eTest {};

// The date goes out as typed; the window of 715 and 716 is the same padded day.
TEST_F(E2eRequestFrames, TrackerFilesMotionFramesExactWithOneRandomCookie) {
  ASSERT_TRUE(StoreCredentials(1, "operator", "demo-pass"));
  for (const std::string date : {"05.07.2013", "5.7.2013"}) {
    SCOPED_TRACE(date);
    Expect(RunSim({"1", "127.0.0.1", "4011", date}, Scenario({{"08:00:12", "08:59:40"}}, {})), 0,
           ListFile(1, {Row(1, 0, "08:00:12", "08:59:40")}), 3);
    ASSERT_FALSE(HasFatalFailure());
    const size_t at = requests_[0].find("<CookieID>") + 10;
    const std::string cookie = requests_[0].substr(at, requests_[0].find("</CookieID>") - at);
    EXPECT_TRUE(!cookie.empty() && cookie.find_first_not_of("0123456789") == std::string::npos) << cookie;
    const std::string window = "<StrParameter2 id=\"ref-6\">2013-05-08T00:00:00</StrParameter2>";
    EXPECT_EQ(requests_[0], Frame("324", cookie, date, "<StrParameter2 id=\"ref-6\" />"));
    EXPECT_EQ(requests_[1], Frame("715", cookie, "2013-05-07T00:00:00", window));
    EXPECT_EQ(requests_[2], Frame("716", cookie, "2013-05-07T00:00:00", window));
  }
}

}  // namespace
}  // namespace e2e
