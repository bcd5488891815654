// The request packet: the exact bytes of one whole frame, the command
// catalogue, and the refusal of requests that do not fit its fixed buffers
// (nothing written past a buffer; the suite also runs under AddressSanitizer).
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "client/server.h"
#include "protocol/qmreqpkt.h"

namespace {

using P = QM::ReqPkt;
using Build = char* (*)(P&, unsigned int*);
#define BUILD(call) [](P& p, unsigned int* c) { return p.call; }

// "code|type|int1|int2|int3|str1|str2|str3" of a frame ("" for the empty
// form); "code|type|lines 10 onwards" for a camera-stream request.
std::string Summary(const char* frame, unsigned int count) {
  static const std::regex kFields(
      ">(\\d+)</CommandCode>[\\s\\S]*?\r\n(?:<IntParameter1>(.*)</IntParameter1>\r\n"
      "<IntParameter2>(.*)</IntParameter2>\r\n<IntParameter3>(.*)</IntParameter3>\r\n"
      "<StrParameter1 id=\"ref-5\"(?: />|>(.*)</StrParameter1>)\r\n"
      "<StrParameter2 id=\"ref-6\"(?: />|>(.*)</StrParameter2>)\r\n"
      "<StrParameter3 id=\"ref-7\"(?: />|>(.*)</StrParameter3>)\r\n</a1:CommonCMDHeader>\r\n"
      "|(</a1:ClientRequestHeader>\r\n<a1:DataRequestHeader[\\s\\S]*))");
  const std::string text(frame + 5, count < 5 ? 0 : count - 5);
  std::smatch m;
  if (!std::regex_search(text, m, kFields)) return "<no parameters>";
  std::string s = m[1].str() + "|" + std::to_string(uint8_t(frame[0]));
  if (m[8].matched) return s + "|" + m[8].str();
  for (int i = 2; i <= 7; ++i) s += "|" + m[i].str();
  return s;
}

// Whole-text match of `expected`, in which "..." stands for any text.
bool Matches(const std::string& text, const std::string& expected) {
  std::string re = std::regex_replace(expected, std::regex(R"([\^$|()\[\]{}*+?.\\])"), R"(\$&)");
  re = std::regex_replace(re, std::regex(R"(\\\.\\\.\\\.)"), "[\\s\\S]*");
  return std::regex_match(text, std::regex(re));
}

// The recording-info request of camera 12 for 2013-05-07, written out.
const std::string kGolden =
    R"(<SOAP-ENV:Envelope xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xmlns:xsd="http://www.w3.org/2001/XMLSchema" xmlns:SOAP-ENC="http://schemas.xmlsoap.org/soap/encoding/" xmlns:SOAP-ENV="http://schemas.xmlsoap.org/soap/envelope/" xmlns:clr="http://schemas.microsoft.com/soap/encoding/clr/1.0" SOAP-ENV:encodingStyle="http://schemas.xmlsoap.org/soap/encoding/">)" "\r\n"
    "<SOAP-ENV:Body>\r\n"
    R"(<a1:ClientRequestHeader id="ref-1" xmlns:a1="http://schemas.microsoft.com/clr/nsassem/Quillmark.LIB/Quillmark.LIB%2C%20Version%3D4.0.0.0%2C%20Culture%3Dneutral%2C%20PublicKeyToken%3Dnull">)" "\r\n"
    R"(<CommandCode xsi:type="a2:CommandCodes" xmlns:a2="http://schemas.microsoft.com/clr/nsassem/Quillmark.LIB.QMTypes/Quillmark.LIB%2C%20Version%3D4.0.0.0%2C%20Culture%3Dneutral%2C%20PublicKeyToken%3Dnull">715</CommandCode><UID id="ref-3">admin</UID><PWD>secret</PWD>)" "\r\n"
    "<CookieID>12345</CookieID>\r\n<CTKs>0</CTKs>\r\n<m_obj href=\"#ref-4\" />\r\n"
    "</a1:ClientRequestHeader>\r\n"
    R"(<a1:CommonCMDHeader id="ref-4" xmlns:a1="http://schemas.microsoft.com/clr/nsassem/Quillmark.LIB/Quillmark.LIB%2C%20Version%3D4.0.0.0%2C%20Culture%3Dneutral%2C%20PublicKeyToken%3Dnull">)" "\r\n"
    "<IntParameter1>12</IntParameter1>\r\n<IntParameter2>0</IntParameter2>\r\n"
    "<IntParameter3>0</IntParameter3>\r\n"
    "<StrParameter1 id=\"ref-5\">2013-05-07T00:00:00</StrParameter1>\r\n"
    "<StrParameter2 id=\"ref-6\">2013-05-08T00:00:00</StrParameter2>\r\n"
    "<StrParameter3 id=\"ref-7\" />\r\n</a1:CommonCMDHeader>\r\n"
    "</SOAP-ENV:Body>\r\n</SOAP-ENV:Envelope>\r\n";

TEST(ReqPktFrame, WholeRecordingInfoFrameMatchesWireBytesExactly) {
  QM::Server server(L"admin", L"secret", 0, 12345);
  P pkt(server);
  unsigned int count = 0;
  pkt.GetServerStatus(&count);  // must leave nothing behind in the envelope
  const char* frame =
      pkt.GetRecordingInfo(12, L"2013-05-07T00:00:00", L"2013-05-08T00:00:00", &count);
  ASSERT_EQ(count, kGolden.size() + 5);
  // Client type 6, then the frame length little-endian: 1447, the send count - 1.
  EXPECT_EQ(std::string(frame, count + 1), std::string("\x06\xA7\x05\0\0", 5) + kGolden + '\0');
}

QM::CameraMap Ids(unsigned int first, unsigned int n, unsigned int step = 1) {
  QM::CameraMap cameras;
  for (unsigned int i = 0; i < n; ++i) cameras[first + i * step];
  return cameras;
}

// Lines 10 onwards of a camera-stream request: `items` follow "xsd:int[".
std::string Stream(const std::string& items) {
  return "</a1:ClientRequestHeader>\r\n<a1:DataRequestHeader id=\"ref-4\" xmlns:a1=\"http://"
         "schemas.microsoft.com/clr/nsassem/Quillmark.LIB/Quillmark.LIB%2C%20Version%3D4.0.0.0%2C"
         "%20Culture%3Dneutral%2C%20PublicKeyToken%3Dnull\">\r\n<CameraList href=\"#ref-5\" />\r\n"
         "<StreamingMode>Automatic</StreamingMode>\r\n</a1:DataRequestHeader>\r\n"
         "<SOAP-ENV:Array id=\"ref-5\" SOAP-ENV:arrayType=\"xsd:int[" + items +
         "\r\n</SOAP-ENV:Array>\r\n</SOAP-ENV:Body>\r\n</SOAP-ENV:Envelope>\r\n";
}

// All builders run on one packet in turn, so a parameter or client type left
// over from the previous request shows up as a mismatch; the credentials go
// out unescaped with every request (clicks signed, cookie unsigned).
TEST(ReqPktCatalogue, EachBuilderSendsItsCodeTypeParametersAndCredentials) {
  const struct { Build build; std::string expected; } cases[] = {
      {BUILD(GetDateTimeTracker(5, L"05.07.2013", c)), "324|6|5|0|0|05.07.2013||"},
      {BUILD(GetPlaybackStream(11, 22, c)), "50012|7|11|22|0|||original"},
      // Camera ids ascending with their count; type 2 even right after type 7.
      {BUILD(GetCameraStream(Ids(3, 3, 4), c)),
       "2|2|" + Stream("3]\"><item>3</item><item>7</item><item>11</item>")},
      {BUILD(GetCameraStream(Ids(1, 0), c)), "2|2|" + Stream("0]\">")},
      {BUILD(GetCameraStream(4294967295u, c)), "2|2|" + Stream("1]\"><item>4294967295</item>")},
      {BUILD(GetVideoFiles(L"first.avi", L"last.avi", c)),
       "50014|6|0|0|0|SELECT * FROM dbo.videofiles WHERE CameraID = ...FileName = &apos;first.avi"
       "&apos;) AND FileID &gt;= ...&apos;first.avi&apos;) AND FileID &lt;= ...FileName = "
       "&apos;last.avi&apos;) ORDER BY StartTime||"},
      {BUILD(GetVideoSpan(1, 2, 634722354150000000ULL, 18446744073709551615ULL, c)),
       "30003|2|1|2|0|634722354150000000|18446744073709551615|"},
      {BUILD(GetMediaFileAVStreamingHeaderInfo(L"clip.avi", 9, c)), "321|2|9|0|0|clip.avi||"},
      {BUILD(GetPTZPresets(4, c)), "50009|6|4|0|0|||"},
      {BUILD(RecallPTZPreset(4, 4294967295u, L"door", c)),
       "1|2|4|0|0|RecallPreset|4294967295|door"},
      {BUILD(DeletePTZPreset(4, 2, L"<g&'>", c)), "1|2|4|0|0|DeletePreset|2|<g&'>"},
      {BUILD(SetPTZPreset(4, 0, L"", c)), "1|2|4|0|0|SetPreset|0|"},
      {BUILD(GetROIThumbnail(L"x.jpg", 3, 10, 20, 4294967295u, 40, c)),
       "635|2|3|0|0|x.jpg|10,20,-1,40|"},
      {BUILD(GetServerStatus(c)), "414|6|0|0|0|||"},
      {BUILD(GetCameraMetadata(8, c)), "50001|6|8|0|0|||"},
      {BUILD(GetServerMetadata(c)), "50002|6|0|0|0|||"},
      {BUILD(GetCameraVideoFiles(4, c, L"f1.avi", L"f2.avi")),
       "50014|6|0|0|0|SELECT StartTime, EndTime, TotalFrames, ...WHERE CameraID=4 AND "
       "StartTime &gt;= ...FileName=&apos;f1.avi&apos;) INTERSECT SELECT ...WHERE CameraID=4 AND "
       "EndTime &lt;= "
       "...FileName=&apos;f2.avi&apos;)||"},
      {BUILD(GetServerMetadataEx(9, c)),
       "50014|6|0|0|0|SELECT * FROM dbo.Servers WHERE serverID=9||"},
      {BUILD(GetMediaFileAVStreaming(L"f.avi", 8, 1, 2, c, -2147483647 - 1, L"m")),
       "302|2|1|2|-2147483648|f.avi|m|8"},
      {BUILD(GetDirectoryInfo(5, L"/d", false, c)), "413|2|0|5|0|/d||"},
      {BUILD(GetDirectoryInfo(5, L"/d", true, c)), "413|2|1|5|0|/d||"},
      {BUILD(GetCamerasMetadataEx(9, c)), "50003|6|0|0|0|||"},
      {BUILD(GetCamerasMetadata(9, c)),
       "50014|6|0|0|0|SELECT cameraID, cameraName, IPAddress FROM dbo.Cameras WHERE serverID=9||"},
  };
  const std::string credentials = "</CommandCode><UID id=\"ref-3\">a<b&c</UID><PWD>p\"w'></PWD>"
                                  "\r\n<CookieID>4294967295</CookieID>\r\n<CTKs>-1</CTKs>\r\n";
  P pkt;
  pkt.SetUser(L"a<b&c");
  pkt.SetPassword(L"p\"w'>");
  pkt.SetClicks(0xFFFFFFFFFFFFFFFFULL);
  pkt.SetCookie(4294967295u);
  for (const auto& k : cases) {
    SCOPED_TRACE(k.expected);
    unsigned int count = 12345;
    const char* frame = k.build(pkt, &count);
    ASSERT_TRUE(Matches(Summary(frame, count), k.expected)) << Summary(frame, count);
    EXPECT_NE(std::string(frame + 5, count - 5).find(credentials), std::string::npos);
  }
  EXPECT_EQ(pkt.GetServerStatus(nullptr), pkt.Frame());  // no count pointer: no crash
}

// "send count|frame length (bytes 1-4, little-endian)|text length"; "0|0|0"
// for a refused request.
std::string Shape(const char* f, unsigned int count) {
  const uint32_t length =
      uint8_t(f[1]) | uint8_t(f[2]) << 8 | uint8_t(f[3]) << 16 | uint32_t(uint8_t(f[4])) << 24;
  return std::to_string(count) + "|" + std::to_string(length) + "|" +
         std::to_string(std::strlen(f + 5));
}

TEST(ReqPktLimits, EnvelopeOf8191CharsComposedWholeOneMoreCutAndRefused) {
  P pkt;
  const size_t base = std::wcslen(pkt.CreateCommand(1));
  for (size_t over : {0, 1}) {  // 8191 characters and the terminator fit, one more does not
    pkt.SetUser(std::wstring(P::kEnvelopeChars - 1 - base + over, L'u').c_str());
    const std::wstring full = pkt.CreateCommand(1);
    EXPECT_TRUE(over ? full.size() < P::kEnvelopeChars : full.size() == P::kEnvelopeChars - 1)
        << full.size();
    EXPECT_EQ(full.substr(full.size() - 22) == L"</SOAP-ENV:Envelope>\r\n", over == 0);
    const unsigned int count = pkt.EnsureCharset();  // too long for the 8-bit text anyway
    EXPECT_EQ(Shape(pkt.Frame(), count), "0|0|0");
  }
}

// A request exactly at a limit goes out whole; one over it, or with a character
// without a form in the "C" locale, is refused; the next ordinary request on
// the packet must go out again.
TEST(ReqPktLimits, AtLimitFramedOneOverOrUnconvertibleRefusedAndNextOneSent) {
  const struct { Build build; const char* shape; } cases[] = {
      {BUILD(GetDateTimeTracker(1, std::wstring(2725, L'x'), c)), "4105|4104|4100"},  // 4100 bytes
      {BUILD(GetDateTimeTracker(1, std::wstring(2726, L'x'), c)), "0|0|0"},
      // The camera video files query of 1023 characters, then 1024.
      {BUILD(GetCameraVideoFiles(4, c, std::wstring(572, L'a'), L"0123456789")), "2405|2404|2400"},
      {BUILD(GetCameraVideoFiles(4, c, std::wstring(573, L'a'), L"0123456789")), "0|0|0"},
      {BUILD(GetRecordingInfo(1, std::wstring(9000, L'y'), std::wstring(9000, L'y'), c)), "0|0|0"},
      {BUILD(GetDateTimeTracker(1, L"smile \x263A", c)), "0|0|0"},
      {BUILD(GetVideoFiles(std::wstring(3000, L'n'), std::wstring(3000, L'n'), c)), "0|0|0"},
      {BUILD(GetCameraStream(Ids(4000000000u, 400), c)), "0|0|0"},  // camera list buffer
  };
  P pkt;
  for (const auto& k : cases) {
    unsigned int count = 777;
    const char* frame = k.build(pkt, &count);
    EXPECT_EQ(Shape(frame, count), k.shape) << &k - cases;
    frame = pkt.GetDateTimeTracker(1, L"05.07.2013", &count);
    EXPECT_EQ(Summary(frame, count), "324|6|1|0|0|05.07.2013||") << &k - cases;
  }
}

}  // namespace
