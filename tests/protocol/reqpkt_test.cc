// The request packet: the exact bytes of one whole frame, the command
// catalogue, and the refusal of requests that do not fit its fixed buffers
// (nothing written past a buffer; the suite also runs under AddressSanitizer).
#include <cstdint>
#include <cwchar>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "protocol/qmreqpkt.h"

namespace {

using P = QM::ReqPkt;
using Build = char* (*)(P&, unsigned int*);
#define BUILD(call) [](P& p, unsigned int* c) { return p.call; }

uint32_t FrameLength(const char* f) {  // bytes 1-4, little-endian
  return uint8_t(f[1]) | uint8_t(f[2]) << 8 | uint8_t(f[3]) << 16 | uint32_t(uint8_t(f[4])) << 24;
}

std::string FrameText(const char* frame, unsigned int count) {
  return count < 5 ? std::string() : std::string(frame + 5, count - 5);
}

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
  const std::string text = FrameText(frame, count);
  std::smatch m;
  if (!std::regex_search(text, m, kFields)) return "<no parameters>";
  std::string s = m[1].str() + "|" + std::to_string(uint8_t(frame[0]));
  if (m[8].matched) return s + "|" + m[8].str();
  for (int i = 2; i <= 7; ++i) s += "|" + m[i].str();
  return s;
}

// The recording-info request of camera 12 for 2013-05-07, one source line per
// wire line.
const std::string kGolden =
    R"(<SOAP-ENV:Envelope xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xmlns:xsd="http://www.w3.org/2001/XMLSchema" xmlns:SOAP-ENC="http://schemas.xmlsoap.org/soap/encoding/" xmlns:SOAP-ENV="http://schemas.xmlsoap.org/soap/envelope/" xmlns:clr="http://schemas.microsoft.com/soap/encoding/clr/1.0" SOAP-ENV:encodingStyle="http://schemas.xmlsoap.org/soap/encoding/">)" "\r\n"
    "<SOAP-ENV:Body>\r\n"
    R"(<a1:ClientRequestHeader id="ref-1" xmlns:a1="http://schemas.microsoft.com/clr/nsassem/Quillmark.LIB/Quillmark.LIB%2C%20Version%3D4.0.0.0%2C%20Culture%3Dneutral%2C%20PublicKeyToken%3Dnull">)" "\r\n"
    R"(<CommandCode xsi:type="a2:CommandCodes" xmlns:a2="http://schemas.microsoft.com/clr/nsassem/Quillmark.LIB.QMTypes/Quillmark.LIB%2C%20Version%3D4.0.0.0%2C%20Culture%3Dneutral%2C%20PublicKeyToken%3Dnull">715</CommandCode><UID id="ref-3">admin</UID><PWD>secret</PWD>)" "\r\n"
    "<CookieID>12345</CookieID>\r\n"
    "<CTKs>0</CTKs>\r\n"
    "<m_obj href=\"#ref-4\" />\r\n"
    "</a1:ClientRequestHeader>\r\n"
    R"(<a1:CommonCMDHeader id="ref-4" xmlns:a1="http://schemas.microsoft.com/clr/nsassem/Quillmark.LIB/Quillmark.LIB%2C%20Version%3D4.0.0.0%2C%20Culture%3Dneutral%2C%20PublicKeyToken%3Dnull">)" "\r\n"
    "<IntParameter1>12</IntParameter1>\r\n"
    "<IntParameter2>0</IntParameter2>\r\n"
    "<IntParameter3>0</IntParameter3>\r\n"
    "<StrParameter1 id=\"ref-5\">2013-05-07T00:00:00</StrParameter1>\r\n"
    "<StrParameter2 id=\"ref-6\">2013-05-08T00:00:00</StrParameter2>\r\n"
    "<StrParameter3 id=\"ref-7\" />\r\n"
    "</a1:CommonCMDHeader>\r\n"
    "</SOAP-ENV:Body>\r\n"
    "</SOAP-ENV:Envelope>\r\n";

TEST(ReqPktFrame, WholeRecordingInfoFrameMatchesWireBytesExactly) {
  P pkt;
  pkt.SetUser(L"admin");
  pkt.SetPassword(L"secret");
  pkt.SetCookie(12345);
  unsigned int count = 0;
  pkt.GetServerStatus(&count);  // must leave nothing behind in the envelope
  const char* frame =
      pkt.GetRecordingInfo(12, L"2013-05-07T00:00:00", L"2013-05-08T00:00:00", &count);
  const uint32_t n = static_cast<uint32_t>(kGolden.size() + 4);
  // Prefix: client type 6, then the frame length little-endian.
  const std::string prefix = {6, char(n & 0xFF), char(n >> 8 & 0xFF), char(n >> 16), char(n >> 24)};
  ASSERT_EQ(count, kGolden.size() + 5);
  EXPECT_EQ(std::string(frame, count + 1), prefix + kGolden + '\0');
  // Only count - 1 bytes go out, as many as the frame length says.
  EXPECT_EQ(std::string(frame, count - 1).substr(count - 22), "</SOAP-ENV:Envelope>\r");
  EXPECT_EQ(FrameLength(frame), count - 1);
}

const char kQueryA[] =
    "SELECT * FROM dbo.videofiles WHERE CameraID = (SELECT CameraID FROM dbo.VideoFiles WHERE "
    "FileName = &apos;first.avi&apos;) AND FileID &gt;= (SELECT FileID FROM dbo.VideoFiles WHERE "
    "FileName = &apos;first.avi&apos;) AND FileID &lt;= (SELECT FileID FROM dbo.VideoFiles WHERE "
    "FileName = &apos;last.avi&apos;) ORDER BY StartTime";
const char kQueryB[] =
    "SELECT StartTime, EndTime, TotalFrames, FileName, RecordingType, Flag, FileManipulationStatus "
    "FROM dbo.VideoFiles WHERE CameraID=4 AND StartTime &gt;= (SELECT StartTime FROM "
    "dbo.VideoFiles WHERE FileName=&apos;f1.avi&apos;) INTERSECT SELECT StartTime, EndTime, "
    "TotalFrames, FileName, RecordingType, Flag, FileManipulationStatus FROM dbo.VideoFiles WHERE "
    "CameraID=4 AND EndTime &lt;= (SELECT EndTime FROM dbo.VideoFiles WHERE "
    "FileName=&apos;f2.avi&apos;)";

QM::CameraMap Ids(unsigned int first, unsigned int n, unsigned int step = 1) {
  QM::CameraMap cameras;
  for (unsigned int i = 0; i < n; ++i) cameras[first + i * step];
  return cameras;
}

// Lines 10 onwards of a camera-stream request: `items` follow "xsd:int[".
std::string Stream(const std::string& items) {
  return "</a1:ClientRequestHeader>\r\n<a1:DataRequestHeader id=\"ref-4\" xmlns:a1=\""
         "http://schemas.microsoft.com/clr/nsassem/Quillmark.LIB/Quillmark.LIB%2C%20Version%3D4.0.0.0"
         "%2C%20Culture%3Dneutral%2C%20PublicKeyToken%3Dnull\">\r\n<CameraList href=\"#ref-5\" />\r\n"
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
      {BUILD(GetRecordingInfo(12, L"S", L"E", c)), "715|6|12|0|0|S|E|"},
      {BUILD(GetMotionInfo(3, L"S", L"E", c)), "716|6|3|0|0|S|E|"},
      {BUILD(GetPlaybackStream(11, 22, c)), "50012|7|11|22|0|||original"},
      // Camera ids ascending with their count; type 2 even right after type 7.
      {BUILD(GetCameraStream(Ids(3, 3, 4), c)),
       "2|2|" + Stream("3]\"><item>3</item><item>7</item><item>11</item>")},
      {BUILD(GetCameraStream(Ids(1, 0), c)), "2|2|" + Stream("0]\">")},
      {BUILD(GetCameraStream(4294967295u, c)), "2|2|" + Stream("1]\"><item>4294967295</item>")},
      {BUILD(GetVideoFiles(L"first.avi", L"last.avi", c)),
       std::string("50014|6|0|0|0|") + kQueryA + "||"},
      {BUILD(GetVideoSpan(1, 2, 634722354150000000ULL, 18446744073709551615ULL, c)),
       "30003|2|1|2|0|634722354150000000|18446744073709551615|"},
      {BUILD(GetMediaFileAVStreamingHeaderInfo(L"clip.avi", 9, c)), "321|2|9|0|0|clip.avi||"},
      {BUILD(GetPTZPresets(4, c)), "50009|6|4|0|0|||"},
      {BUILD(RecallPTZPreset(4, 4294967295u, L"door", c)), "1|2|4|0|0|RecallPreset|4294967295|door"},
      {BUILD(DeletePTZPreset(4, 2, L"<g&'>", c)), "1|2|4|0|0|DeletePreset|2|<g&'>"},
      {BUILD(SetPTZPreset(4, 0, L"", c)), "1|2|4|0|0|SetPreset|0|"},
      {BUILD(GetROIThumbnail(L"x.jpg", 3, 10, 20, 4294967295u, 40, c)),
       "635|2|3|0|0|x.jpg|10,20,-1,40|"},
      {BUILD(GetServerStatus(c)), "414|6|0|0|0|||"},
      {BUILD(GetCameraMetadata(8, c)), "50001|6|8|0|0|||"},
      {BUILD(GetServerMetadata(c)), "50002|6|0|0|0|||"},
      {BUILD(GetCameraVideoFiles(4, c, L"f1.avi", L"f2.avi")),
       std::string("50014|6|0|0|0|") + kQueryB + "||"},
      {BUILD(GetServerMetadataEx(9, c)), "50014|6|0|0|0|SELECT * FROM dbo.Servers WHERE serverID=9||"},
      {BUILD(GetMediaFileAVStreaming(L"f.avi", 8, 1, 2, c, -2147483647 - 1, L"m")),
       "302|2|1|2|-2147483648|f.avi|m|8"},
      {BUILD(GetDirectoryInfo(5, L"/d", false, c)), "413|2|0|5|0|/d||"},
      {BUILD(GetDirectoryInfo(5, L"/d", true, c)), "413|2|1|5|0|/d||"},
      {BUILD(GetCamerasMetadataEx(9, c)), "50003|6|0|0|0|||"},
      {BUILD(GetCamerasMetadata(9, c)),
       "50014|6|0|0|0|SELECT cameraID, cameraName, IPAddress FROM dbo.Cameras WHERE serverID=9||"},
  };
  P pkt;
  pkt.SetUser(L"a<b&c");
  pkt.SetPassword(L"p\"w'>");
  pkt.SetClicks(0xFFFFFFFFFFFFFFFFULL);
  pkt.SetCookie(4294967295u);
  for (const auto& k : cases) {
    SCOPED_TRACE(k.expected);
    unsigned int count = 12345;
    const char* frame = k.build(pkt, &count);
    ASSERT_EQ(frame, pkt.Frame());
    ASSERT_GT(count, 5u);
    EXPECT_EQ(Summary(frame, count), k.expected);
    EXPECT_NE(FrameText(frame, count).find("</CommandCode><UID id=\"ref-3\">a<b&c</UID><PWD>"
                                           "p\"w'></PWD>\r\n<CookieID>4294967295</CookieID>\r\n"
                                           "<CTKs>-1</CTKs>\r\n"), std::string::npos);
  }
  EXPECT_EQ(pkt.GetServerStatus(nullptr), pkt.Frame());  // no count pointer: no crash
}

void ExpectRefused(const char* frame, unsigned int count) {
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(FrameLength(frame), 0u);
  EXPECT_EQ(frame[5], '\0');
}

TEST(ReqPktLimits, TextOfExactly4100BytesIsFramedAndOneMoreIsRefused) {
  const size_t limit = P::kTextBytes;
  P pkt;
  unsigned int count = 0;
  pkt.GetDateTimeTracker(1, L"x", &count);
  const std::wstring at_limit(1 + limit - (count - 5), L'x');
  const char* frame = pkt.GetDateTimeTracker(1, at_limit, &count);
  ASSERT_EQ(count, limit + 5);
  EXPECT_EQ(FrameLength(frame), limit + 4);
  EXPECT_EQ(FrameText(frame, count).substr(limit - 22), "</SOAP-ENV:Envelope>\r\n");
  EXPECT_EQ(frame[5 + limit], '\0');
  frame = pkt.GetDateTimeTracker(1, at_limit + L"x", &count);
  ExpectRefused(frame, count);
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
    ExpectRefused(pkt.Frame(), pkt.EnsureCharset());  // too long for the 8-bit text anyway
  }
}

TEST(ReqPktLimits, CameraVideoFilesQueryOf1023CharsSentOneMoreRefused) {
  P pkt;
  unsigned int count = 0;
  const char* frame = pkt.GetCameraVideoFiles(4, &count, L"", L"");
  const size_t fixed = Summary(frame, count).size();  // 16 + the query with empty names
  const std::wstring b(10, L'b');
  frame = pkt.GetCameraVideoFiles(4, &count, std::wstring(1013 - fixed + 16, L'a'), b);
  EXPECT_EQ(Summary(frame, count).size(), 1023u + 16);
  frame = pkt.GetCameraVideoFiles(4, &count, std::wstring(1014 - fixed + 16, L'a'), b);
  ExpectRefused(frame, count);
}

// Each request overflows a buffer or holds a character without a form in the
// "C" locale; the next ordinary request on the packet must go out again.
TEST(ReqPktLimits, OversizedOrUnconvertibleRequestRefusedAndNextOneSent) {
  const Build cases[] = {
      BUILD(GetRecordingInfo(1, std::wstring(9000, L'y'), std::wstring(9000, L'y'), c)),
      BUILD(GetDateTimeTracker(1, L"smile \x263A", c)),
      BUILD(GetVideoFiles(std::wstring(3000, L'n'), std::wstring(3000, L'n'), c)),  // query
      BUILD(GetCameraStream(Ids(4000000000u, 400), c)),  // camera list buffer
  };
  P pkt;
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    SCOPED_TRACE(i);
    unsigned int count = 777;
    const char* frame = cases[i](pkt, &count);
    ExpectRefused(frame, count);
    frame = pkt.GetDateTimeTracker(1, L"05.07.2013", &count);
    EXPECT_EQ(Summary(frame, count), "324|6|1|0|0|05.07.2013||");
  }
}

}  // namespace
