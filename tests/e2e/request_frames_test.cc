// The three requests of one query as they reach the server, byte for byte:
// client type, length prefix, every line of the envelope, the credentials
// taken from the device manager's segment and the one cookie of the run.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/e2e_support.h"
#include "tests/e2e/sim_server.h"

namespace e2e {
namespace {

const char kCookieSlot[] = "@COOKIE@";

// The envelope text of a 324/715/716 request from user "operator" with
// password "demo-pass", as it goes on the wire: CR LF after every line but
// the last, which ends in CR alone.
std::string WireEnvelope(const std::string& code, const std::string& str1,
                         const std::string& str2) {
  const std::string lib =
      "http://schemas.microsoft.com/clr/nsassem/Quillmark.LIB/"
      "Quillmark.LIB%2C%20Version%3D4.0.0.0%2C%20Culture%3Dneutral%2C%20"
      "PublicKeyToken%3Dnull";
  const std::string types =
      "http://schemas.microsoft.com/clr/nsassem/Quillmark.LIB.QMTypes/"
      "Quillmark.LIB%2C%20Version%3D4.0.0.0%2C%20Culture%3Dneutral%2C%20"
      "PublicKeyToken%3Dnull";
  return "<SOAP-ENV:Envelope "
         "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
         "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
         "xmlns:SOAP-ENC=\"http://schemas.xmlsoap.org/soap/encoding/\" "
         "xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
         "xmlns:clr=\"http://schemas.microsoft.com/soap/encoding/clr/1.0\" "
         "SOAP-ENV:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\">"
         "\r\n"
         "<SOAP-ENV:Body>\r\n"
         "<a1:ClientRequestHeader id=\"ref-1\" xmlns:a1=\"" + lib + "\">\r\n"
         "<CommandCode xsi:type=\"a2:CommandCodes\" xmlns:a2=\"" + types +
         "\">" + code +
         "</CommandCode><UID id=\"ref-3\">operator</UID><PWD>demo-pass</PWD>\r\n"
         "<CookieID>" + kCookieSlot + "</CookieID>\r\n"
         "<CTKs>0</CTKs>\r\n"
         "<m_obj href=\"#ref-4\" />\r\n"
         "</a1:ClientRequestHeader>\r\n"
         "<a1:CommonCMDHeader id=\"ref-4\" xmlns:a1=\"" + lib + "\">\r\n"
         "<IntParameter1>12</IntParameter1>\r\n"
         "<IntParameter2>0</IntParameter2>\r\n"
         "<IntParameter3>0</IntParameter3>\r\n"
         "<StrParameter1 id=\"ref-5\">" + str1 + "</StrParameter1>\r\n" +
         (str2.empty() ? std::string("<StrParameter2 id=\"ref-6\" />")
                       : "<StrParameter2 id=\"ref-6\">" + str2 +
                             "</StrParameter2>") +
         "\r\n"
         "<StrParameter3 id=\"ref-7\" />\r\n"
         "</a1:CommonCMDHeader>\r\n"
         "</SOAP-ENV:Body>\r\n"
         "</SOAP-ENV:Envelope>\r";
}

// The whole frame: client type 6, the frame length little-endian (prefix
// included), the envelope with the cookie filled in.
std::string WireFrame(std::string envelope, const std::string& cookie) {
  envelope.replace(envelope.find(kCookieSlot), sizeof kCookieSlot - 1, cookie);
  const size_t length = envelope.size() + 5;
  std::string frame(1, '\x06');
  for (int shift = 0; shift < 32; shift += 8)
    frame += static_cast<char>((length >> shift) & 0xFF);
  return frame + envelope;
}

// Runs the query of camera 12 on `date` against qmsim with the sample
// files of 2013-05-07 and returns the requests qmsim recorded.
class E2eRequestFrames : public E2eTest {
 protected:
  std::vector<std::string> RunAndRecord(const std::string& date) {
    EXPECT_TRUE(StoreCredentials(1, "operator", "demo-pass"));
    SimOptions options;
    options.scenario = Scenario({{"08:00:12", "08:59:40"}}, {});
    SimServer sim(dir_.path(), options);
    EXPECT_TRUE(sim.Listening()) << sim.Log();
    Query query;
    query.sdate = date;
    const qmtest::RunResult run = RunQmrecinfo(dir_, query);
    EXPECT_FALSE(run.timed_out);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    sim.Stop();
    return sim.Requests();
  }
};

TEST_F(E2eRequestFrames, QueryOfCamera12SendsTrackerFilesMotionFramesExactly) {
  const std::vector<std::string> frames = RunAndRecord("05.07.2013");
  ASSERT_EQ(frames.size(), 3u);

  const std::string cookie = FieldOf(frames[0], "<CookieID>", "</CookieID>");
  ASSERT_NE(cookie, "?");
  ASSERT_FALSE(cookie.empty());
  EXPECT_EQ(cookie.find_first_not_of("0123456789"), std::string::npos) << cookie;
  // One server object per run: its cookie is drawn once.
  EXPECT_EQ(FieldOf(frames[1], "<CookieID>", "</CookieID>"), cookie);
  EXPECT_EQ(FieldOf(frames[2], "<CookieID>", "</CookieID>"), cookie);

  EXPECT_EQ(frames[0], WireFrame(WireEnvelope("324", "05.07.2013", ""), cookie));
  EXPECT_EQ(frames[1], WireFrame(WireEnvelope("715", "2013-05-07T00:00:00",
                                              "2013-05-08T00:00:00"),
                                 cookie));
  EXPECT_EQ(frames[2], WireFrame(WireEnvelope("716", "2013-05-07T00:00:00",
                                              "2013-05-08T00:00:00"),
                                 cookie));
}

// The tool sends exactly as many bytes as the length prefix announces: no
// trailing line feed, no terminating zero byte.
TEST_F(E2eRequestFrames, LengthPrefixCountsEveryByteSentAndNoLineFeedTrails) {
  const std::vector<std::string> frames = RunAndRecord("05.07.2013");
  ASSERT_EQ(frames.size(), 3u);
  for (const std::string& frame : frames) {
    ASSERT_GT(frame.size(), 5u);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(frame.data());
    const size_t length = p[1] | (p[2] << 8) | (p[3] << 16) |
                          (static_cast<size_t>(p[4]) << 24);
    EXPECT_EQ(length, frame.size());
    EXPECT_EQ(frame.substr(frame.size() - 21), "</SOAP-ENV:Envelope>\r");
  }
}

// A date without leading zeros goes to the server as typed, but the window
// of the files and motion requests is the same zero-padded day.
TEST_F(E2eRequestFrames, DateWithoutLeadingZerosGivesTheSameWindow) {
  const std::vector<std::string> frames = RunAndRecord("5.7.2013");
  ASSERT_EQ(frames.size(), 3u);
  const std::string cookie = FieldOf(frames[0], "<CookieID>", "</CookieID>");
  EXPECT_EQ(frames[0], WireFrame(WireEnvelope("324", "5.7.2013", ""), cookie));
  EXPECT_EQ(frames[1], WireFrame(WireEnvelope("715", "2013-05-07T00:00:00",
                                              "2013-05-08T00:00:00"),
                                 cookie));
  EXPECT_EQ(frames[2], WireFrame(WireEnvelope("716", "2013-05-07T00:00:00",
                                              "2013-05-08T00:00:00"),
                                 cookie));
  EXPECT_EQ(qmtest::ReadWholeFile(dir_.File("result.txt")),
            ListFile(1, {Row(1, 0, "08:00:12", "08:59:40")}));
}

}  // namespace
}  // namespace e2e
