// Envelope field extraction from request texts as the client writes them.
#include <gtest/gtest.h>

#include "envelope.h"

namespace qmsim {
namespace {

const char kLib[] =
    "http://schemas.microsoft.com/clr/nsassem/Quillmark.LIB/"
    "Quillmark.LIB%2C%20Version%3D4.0.0.0%2C%20Culture%3Dneutral%2C%20PublicKeyToken%3Dnull";

// A request text in the client's exact layout, without the final LF.
std::string RequestText(const std::string& code, const std::string& uid,
                        const std::string& pwd, const std::string& int1,
                        const std::string& str1, const std::string& str2) {
  auto str = [](int n, const std::string& v) {
    const std::string tag = "StrParameter" + std::to_string(n);
    const std::string id = "ref-" + std::to_string(n + 4);
    return v.empty() ? "<" + tag + " id=\"" + id + "\" />"
                     : "<" + tag + " id=\"" + id + "\">" + v + "</" + tag + ">";
  };
  return std::string(
             "<SOAP-ENV:Envelope xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
             "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
             "xmlns:SOAP-ENC=\"http://schemas.xmlsoap.org/soap/encoding/\" "
             "xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
             "xmlns:clr=\"http://schemas.microsoft.com/soap/encoding/clr/1.0\" "
             "SOAP-ENV:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\">\r\n"
             "<SOAP-ENV:Body>\r\n<a1:ClientRequestHeader id=\"ref-1\" xmlns:a1=\"") +
         kLib + "\">\r\n<CommandCode xsi:type=\"a2:CommandCodes\" xmlns:a2=\"x\">" + code +
         "</CommandCode><UID id=\"ref-3\">" + uid + "</UID><PWD>" + pwd +
         "</PWD>\r\n<CookieID>77</CookieID>\r\n<CTKs>0</CTKs>\r\n<m_obj href=\"#ref-4\" />\r\n"
         "</a1:ClientRequestHeader>\r\n<a1:CommonCMDHeader id=\"ref-4\" xmlns:a1=\"" +
         kLib + "\">\r\n<IntParameter1>" + int1 +
         "</IntParameter1>\r\n<IntParameter2>0</IntParameter2>\r\n"
         "<IntParameter3>0</IntParameter3>\r\n" +
         str(1, str1) + "\r\n" + str(2, str2) + "\r\n" + str(3, "") +
         "\r\n</a1:CommonCMDHeader>\r\n</SOAP-ENV:Body>\r\n</SOAP-ENV:Envelope>\r";
}

TEST(ParseEnvelope, ExtractsEveryFieldOfARecordingInfoRequest) {
  SimRequest r;
  std::string error;
  ASSERT_TRUE(ParseEnvelope(RequestText("715", "admin", "s3cret", "12",
                                        "2013-05-07T00:00:00", "2013-05-08T00:00:00"),
                            &r, &error))
      << error;
  EXPECT_EQ(r.command, 715u);
  EXPECT_EQ(r.uid, "admin");
  EXPECT_EQ(r.pwd, "s3cret");
  EXPECT_EQ(r.cookie, 77u);
  EXPECT_TRUE(r.camera_valid);
  EXPECT_EQ(r.camera, 12);
  EXPECT_EQ(r.str1, "2013-05-07T00:00:00");
  EXPECT_EQ(r.str2, "2013-05-08T00:00:00");
}

TEST(ParseEnvelope, EmptyElementsReadAsEmptyTexts) {
  SimRequest r;
  std::string error;
  ASSERT_TRUE(ParseEnvelope(RequestText("324", "", "", "0", "", ""), &r, &error)) << error;
  EXPECT_EQ(r.uid, "");
  EXPECT_EQ(r.pwd, "");
  EXPECT_EQ(r.str1, "");
  EXPECT_EQ(r.str2, "");
}

TEST(ParseEnvelope, CredentialsKeepSpacesAndDecodeEntities) {
  SimRequest r;
  std::string error;
  ASSERT_TRUE(ParseEnvelope(RequestText("324", " a  b ", "p&amp;w", "-3", "x", ""), &r,
                            &error))
      << error;
  EXPECT_EQ(r.uid, " a  b ");
  EXPECT_EQ(r.pwd, "p&w");
  EXPECT_EQ(r.camera, -3);
}

TEST(ParseEnvelope, RejectsRequestsWithoutUsableCommandCode) {
  const std::string cases[] = {
      RequestText("", "u", "p", "1", "", ""),
      RequestText("abc", "u", "p", "1", "", ""),
      RequestText("4294967296", "u", "p", "1", "", ""),
      RequestText("-1", "u", "p", "1", "", ""),
      "",
      "not xml at all",
      "<SOAP-ENV:Envelope><SOAP-ENV:Body></SOAP-ENV:Body></SOAP-ENV:Envelope>",
      // cut in the middle, as when the peer stops sending early
      RequestText("324", "u", "p", "1", "", "").substr(0, 700),
  };
  for (const std::string& text : cases) {
    SimRequest r;
    std::string error;
    EXPECT_FALSE(ParseEnvelope(text, &r, &error)) << text.substr(0, 80);
    EXPECT_FALSE(error.empty());
  }
}

TEST(ParseEnvelope, CameraOutOfIntRangeIsMarkedInvalid) {
  SimRequest r;
  std::string error;
  ASSERT_TRUE(ParseEnvelope(RequestText("324", "u", "p", "2147483648", "", ""), &r, &error));
  EXPECT_FALSE(r.camera_valid);
  ASSERT_TRUE(ParseEnvelope(RequestText("324", "u", "p", "-2147483648", "", ""), &r, &error));
  EXPECT_TRUE(r.camera_valid);
  EXPECT_EQ(r.camera, INT32_MIN);
}

TEST(ParseEnvelope, TextEndsAtTheFirstNulByte) {
  std::string text = RequestText("324", "u", "p", "1", "05.07.2013", "");
  const std::string intact = text;
  text.insert(text.find("<UID"), 1, '\0');
  SimRequest r;
  std::string error;
  EXPECT_FALSE(ParseEnvelope(text, &r, &error));
  EXPECT_TRUE(ParseEnvelope(intact + std::string(1, '\0') + "<<<garbage", &r, &error)) << error;
}

TEST(ParseEnvelope, DeeplyNestedMarkupIsRefusedBeforeParsing) {
  // Nesting this deep would exhaust the stack of a recursive parser.
  std::string text;
  for (int i = 0; i < 200000; ++i) text += "<a>";
  SimRequest r;
  std::string error;
  EXPECT_FALSE(ParseEnvelope(text, &r, &error));
  EXPECT_NE(error.find("markup"), std::string::npos) << error;
}

TEST(ParseNumbers, BoundsAndSyntax) {
  std::uint32_t u = 5;
  EXPECT_TRUE(ParseUnsigned32(" 4294967295 ", &u));
  EXPECT_EQ(u, 4294967295u);
  EXPECT_FALSE(ParseUnsigned32("99999999999", &u));
  EXPECT_FALSE(ParseUnsigned32("12a", &u));
  EXPECT_FALSE(ParseUnsigned32("", &u));
  std::int32_t s = 5;
  EXPECT_TRUE(ParseSigned32("-0", &s));
  EXPECT_EQ(s, 0);
  EXPECT_FALSE(ParseSigned32("-", &s));
  EXPECT_FALSE(ParseSigned32("+1", &s));
  EXPECT_FALSE(ParseSigned32("-2147483649", &s));
}

}  // namespace
}  // namespace qmsim
