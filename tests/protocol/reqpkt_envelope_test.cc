// Envelope composition and framing of the request packet: the exact bytes of
// a whole request, the frame prefix, and the value slots' edge cases.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "client/server.h"
#include "protocol/qmreqpkt.h"
#include "reqpkt_test_util.h"

namespace {

using qmtest::FrameLength;
using qmtest::FrameText;

const char kLibNs[] =
    "http://schemas.microsoft.com/clr/nsassem/Quillmark.LIB/"
    "Quillmark.LIB%2C%20Version%3D4.0.0.0%2C%20Culture%3Dneutral%2C%20"
    "PublicKeyToken%3Dnull";

// The recording-info request of camera 12 for 2013-05-07, written out line
// by line as it must appear on the wire.
const std::string kGoldenRecordingInfo =
    std::string(
        R"(<SOAP-ENV:Envelope xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" )"
        R"(xmlns:xsd="http://www.w3.org/2001/XMLSchema" )"
        R"(xmlns:SOAP-ENC="http://schemas.xmlsoap.org/soap/encoding/" )"
        R"(xmlns:SOAP-ENV="http://schemas.xmlsoap.org/soap/envelope/" )"
        R"(xmlns:clr="http://schemas.microsoft.com/soap/encoding/clr/1.0" )"
        R"(SOAP-ENV:encodingStyle="http://schemas.xmlsoap.org/soap/encoding/">)"
        "\r\n") +
    "<SOAP-ENV:Body>\r\n" +
    R"(<a1:ClientRequestHeader id="ref-1" xmlns:a1="http://schemas.microsoft.com/clr/nsassem/Quillmark.LIB/Quillmark.LIB%2C%20Version%3D4.0.0.0%2C%20Culture%3Dneutral%2C%20PublicKeyToken%3Dnull">)"
    "\r\n" +
    R"(<CommandCode xsi:type="a2:CommandCodes" xmlns:a2="http://schemas.microsoft.com/clr/nsassem/Quillmark.LIB.QMTypes/Quillmark.LIB%2C%20Version%3D4.0.0.0%2C%20Culture%3Dneutral%2C%20PublicKeyToken%3Dnull">)"
    R"(715</CommandCode><UID id="ref-3">admin</UID><PWD>secret</PWD>)"
    "\r\n" +
    "<CookieID>12345</CookieID>\r\n" +
    "<CTKs>0</CTKs>\r\n" +
    R"(<m_obj href="#ref-4" />)"
    "\r\n" +
    "</a1:ClientRequestHeader>\r\n" +
    R"(<a1:CommonCMDHeader id="ref-4" xmlns:a1="http://schemas.microsoft.com/clr/nsassem/Quillmark.LIB/Quillmark.LIB%2C%20Version%3D4.0.0.0%2C%20Culture%3Dneutral%2C%20PublicKeyToken%3Dnull">)"
    "\r\n" +
    "<IntParameter1>12</IntParameter1>\r\n" +
    "<IntParameter2>0</IntParameter2>\r\n" +
    "<IntParameter3>0</IntParameter3>\r\n" +
    R"(<StrParameter1 id="ref-5">2013-05-07T00:00:00</StrParameter1>)"
    "\r\n" +
    R"(<StrParameter2 id="ref-6">2013-05-08T00:00:00</StrParameter2>)"
    "\r\n" +
    R"(<StrParameter3 id="ref-7" />)"
    "\r\n" +
    "</a1:CommonCMDHeader>\r\n" +
    "</SOAP-ENV:Body>\r\n" +
    "</SOAP-ENV:Envelope>\r\n";

// A packet with the credentials of the golden request.
void SetGoldenCredentials(QM::ReqPkt& pkt) {
  pkt.SetUser(L"admin");
  pkt.SetPassword(L"secret");
  pkt.SetCookie(12345);
  pkt.SetClicks(0);
}

TEST(ReqPktFrame, WholeRecordingInfoFrameMatchesWireBytesExactly) {
  QM::ReqPkt pkt;
  SetGoldenCredentials(pkt);
  unsigned int count = 0;
  const char* frame = pkt.GetRecordingInfo(12, L"2013-05-07T00:00:00",
                                           L"2013-05-08T00:00:00", &count);
  ASSERT_EQ(frame, pkt.Frame());

  const size_t n = kGoldenRecordingInfo.size();
  ASSERT_EQ(count, n + 5);

  // Prefix: client type 6, frame length n + 4 little-endian.
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(frame);
  const uint32_t length = static_cast<uint32_t>(n + 4);
  EXPECT_EQ(bytes[0], 6);
  EXPECT_EQ(bytes[1], length & 0xFF);
  EXPECT_EQ(bytes[2], (length >> 8) & 0xFF);
  EXPECT_EQ(bytes[3], (length >> 16) & 0xFF);
  EXPECT_EQ(bytes[4], (length >> 24) & 0xFF);

  // The counted text, then its terminator.
  EXPECT_EQ(std::string(frame + 5, n), kGoldenRecordingInfo);
  EXPECT_EQ(frame[5 + n], '\0');

  // Only count - 1 bytes go out: they end with the last CR, and the frame
  // length equals the number of bytes sent.
  const std::string sent(frame, count - 1);
  const std::string tail = "</SOAP-ENV:Envelope>\r";
  ASSERT_GE(sent.size(), tail.size());
  EXPECT_EQ(sent.substr(sent.size() - tail.size()), tail);
  EXPECT_EQ(FrameLength(frame), count - 1);
}

TEST(ReqPktFrame, FrameLengthIsLittleEndianEvenThroughSwapPath) {
  // On this host check_endian must agree with the byte order in memory.
  const unsigned int one = 1;
  unsigned char first;
  std::memcpy(&first, &one, 1);
  EXPECT_EQ(QM::check_endian(), first == 1 ? 0 : 1);
  EXPECT_EQ(QM::swap32(0x11223344u), 0x44332211u);
  EXPECT_EQ(QM::swap32(0x000000FFu), 0xFF000000u);
  EXPECT_EQ(QM::swap32(QM::swap32(0xDEADBEEFu)), 0xDEADBEEFu);
}

// Builds a request with the given integers and strings through the public
// composition steps and returns its 8-bit text.
std::string Compose(QM::ReqPkt& pkt, int i1, int i2, int i3,
                    const wchar_t* s1, const wchar_t* s2, const wchar_t* s3,
                    unsigned int* count) {
  pkt.ClearAllParameters();
  pkt.SetInt1(i1);
  pkt.SetInt2(i2);
  pkt.SetInt3(i3);
  pkt.SetStr1(s1);
  pkt.SetStr2(s2);
  pkt.SetStr3(s3);
  pkt.CreateCommand(99);
  *count = pkt.EnsureCharset();
  return FrameText(pkt.Frame(), *count);
}

TEST(ReqPktEnvelope, ZeroAndEmptyParametersUseZeroAndSelfClosingForms) {
  QM::ReqPkt pkt;
  unsigned int count = 0;
  const std::string text =
      Compose(pkt, 0, 0, 0, nullptr, L"", nullptr, &count);
  ASSERT_GT(count, 0u);
  EXPECT_NE(text.find("\r\n<IntParameter1>0</IntParameter1>\r\n"
                      "<IntParameter2>0</IntParameter2>\r\n"
                      "<IntParameter3>0</IntParameter3>\r\n"
                      "<StrParameter1 id=\"ref-5\" />\r\n"
                      "<StrParameter2 id=\"ref-6\" />\r\n"
                      "<StrParameter3 id=\"ref-7\" />\r\n"
                      "</a1:CommonCMDHeader>\r\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("<UID id=\"ref-3\"></UID><PWD></PWD>\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("<CookieID>0</CookieID>\r\n<CTKs>0</CTKs>\r\n"),
            std::string::npos);
  EXPECT_NE(text.find(">99</CommandCode>"), std::string::npos);
}

TEST(ReqPktEnvelope, NegativeIntsKeepSignAndHugeClicksPrintSigned) {
  QM::ReqPkt pkt;
  pkt.SetClicks(0xFFFFFFFFFFFFFFFFULL);
  pkt.SetCookie(4294967295u);
  unsigned int count = 0;
  const std::string text = Compose(pkt, -5, -2147483647 - 1, 2147483647,
                                   nullptr, nullptr, nullptr, &count);
  EXPECT_EQ(qmtest::IntParam(text, 1), "-5");
  EXPECT_EQ(qmtest::IntParam(text, 2), "-2147483648");
  EXPECT_EQ(qmtest::IntParam(text, 3), "2147483647");
  // Clicks are written as a signed 64-bit value, the cookie unsigned.
  EXPECT_NE(text.find("<CTKs>-1</CTKs>\r\n"), std::string::npos);
  EXPECT_NE(text.find("<CookieID>4294967295</CookieID>\r\n"),
            std::string::npos);
}

TEST(ReqPktEnvelope, UserTextAndParametersGoOutUnescaped) {
  QM::ReqPkt pkt;
  pkt.SetUser(L"a<b&c");
  pkt.SetPassword(L"p\"w'>");
  unsigned int count = 0;
  const std::string text =
      Compose(pkt, 0, 0, 0, L"x&apos;y", L"<tag/>", nullptr, &count);
  EXPECT_NE(text.find("<UID id=\"ref-3\">a<b&c</UID><PWD>p\"w'></PWD>\r\n"),
            std::string::npos);
  EXPECT_EQ(qmtest::StrParam(text, 1), "x&apos;y");
  EXPECT_EQ(qmtest::StrParam(text, 2), "<tag/>");
  EXPECT_EQ(qmtest::StrParam(text, 3), "");
}

TEST(ReqPktEnvelope, SettersWithNullClearThePreviousText) {
  QM::ReqPkt pkt;
  pkt.SetUser(L"old");
  pkt.SetUser(nullptr);
  pkt.SetStr1(L"old");
  pkt.SetStr1(nullptr);
  pkt.CreateCommand(5);
  const unsigned int count = pkt.EnsureCharset();
  const std::string text = FrameText(pkt.Frame(), count);
  EXPECT_NE(text.find("<UID id=\"ref-3\"></UID>"), std::string::npos);
  EXPECT_EQ(qmtest::StrParam(text, 1), "");
}

TEST(ReqPktEnvelope, ClearAllParametersKeepsCredentialsAndResetsType) {
  QM::ReqPkt pkt;
  SetGoldenCredentials(pkt);
  pkt.SetClicks(634722354150000000ULL);
  pkt.SetClientType(QM::CLIENT_TYPE_PLAYBACK);
  pkt.SetInt1(7);
  pkt.SetStr3(L"left over");
  pkt.ClearAllParameters();
  EXPECT_EQ(static_cast<unsigned char>(pkt.Frame()[0]), 2);

  pkt.CreateCommand(1);
  const unsigned int count = pkt.EnsureCharset();
  const std::string text = FrameText(pkt.Frame(), count);
  EXPECT_NE(text.find("<UID id=\"ref-3\">admin</UID><PWD>secret</PWD>"),
            std::string::npos);
  EXPECT_NE(text.find("<CookieID>12345</CookieID>"), std::string::npos);
  EXPECT_NE(text.find("<CTKs>634722354150000000</CTKs>"), std::string::npos);
  EXPECT_EQ(qmtest::IntParam(text, 1), "0");
  EXPECT_EQ(qmtest::StrParam(text, 3), "");
}

TEST(ReqPktEnvelope, RecomposingStartsFromAnEmptyEnvelope) {
  QM::ReqPkt pkt;
  SetGoldenCredentials(pkt);
  unsigned int first = 0;
  unsigned int second = 0;
  pkt.GetRecordingInfo(12, L"2013-05-07T00:00:00", L"2013-05-08T00:00:00",
                       &first);
  pkt.GetServerStatus(&second);
  pkt.GetRecordingInfo(12, L"2013-05-07T00:00:00", L"2013-05-08T00:00:00",
                       &second);
  EXPECT_EQ(first, second);
  EXPECT_EQ(FrameText(pkt.Frame(), second), kGoldenRecordingInfo);
}

TEST(ReqPktEnvelope, ServerConstructorCopiesCredentialsButNotClicks) {
  QM::Server server(L"operator", L"pw", 999, 4242);
  QM::ReqPkt pkt(server);
  unsigned int count = 0;
  const char* frame = pkt.GetServerStatus(&count);
  const std::string text = FrameText(frame, count);
  EXPECT_NE(text.find("<UID id=\"ref-3\">operator</UID><PWD>pw</PWD>"),
            std::string::npos);
  EXPECT_NE(text.find("<CookieID>4242</CookieID>"), std::string::npos);
  EXPECT_NE(text.find("<CTKs>0</CTKs>"), std::string::npos);
}

TEST(ReqPktEnvelope, NamespaceOfCommonHeaderIsTheLibraryAssembly) {
  QM::ReqPkt pkt;
  unsigned int count = 0;
  const char* frame = pkt.GetServerStatus(&count);
  const std::string text = FrameText(frame, count);
  EXPECT_NE(text.find(std::string("<a1:CommonCMDHeader id=\"ref-4\" xmlns:a1=\"") +
                      kLibNs + "\">\r\n"),
            std::string::npos);
}

}  // namespace
