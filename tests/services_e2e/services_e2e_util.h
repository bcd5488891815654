// Shared by the service end-to-end tests: qmsim started on an inline
// scenario with ephemeral ports and a record directory, a QMLinux client
// for it, and the request frames as they must look on the wire, composed
// here from the envelope layout (not by the library's builders).
#pragma once

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "protocol/qmlinux.h"
#include "tests/qmsim/qmsim_child.h"

namespace services_e2e {

const char kUser[] = "operator";
const char kPassword[] = "demo-pass";
const unsigned int kCookie = 4711;

// The integer and text parameters of a request.
struct Params {
  Params(int p1 = 0, int p2 = 0, int p3 = 0, std::string t1 = "", std::string t2 = "",
         std::string t3 = "")
      : i1(p1), i2(p2), i3(p3), s1(std::move(t1)), s2(std::move(t2)), s3(std::move(t3)) {}
  int i1, i2, i3;
  std::string s1, s2, s3;
};

const std::string kAsm =
    "Quillmark.LIB%2C%20Version%3D4.0.0.0%2C%20Culture%3Dneutral%2C%20PublicKeyToken%3Dnull";
const std::string kLib = "http://schemas.microsoft.com/clr/nsassem/Quillmark.LIB/" + kAsm;
const std::string kTypes = "http://schemas.microsoft.com/clr/nsassem/Quillmark.LIB.QMTypes/" + kAsm;

// The envelope up to the end of the ClientRequestHeader.
inline std::string EnvelopeHead(unsigned code) {
  return "<SOAP-ENV:Envelope xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
         "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
         "xmlns:SOAP-ENC=\"http://schemas.xmlsoap.org/soap/encoding/\" "
         "xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
         "xmlns:clr=\"http://schemas.microsoft.com/soap/encoding/clr/1.0\" "
         "SOAP-ENV:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\">\r\n"
         "<SOAP-ENV:Body>\r\n<a1:ClientRequestHeader id=\"ref-1\" xmlns:a1=\"" + kLib + "\">\r\n"
         "<CommandCode xsi:type=\"a2:CommandCodes\" xmlns:a2=\"" + kTypes + "\">" +
         std::to_string(code) + "</CommandCode><UID id=\"ref-3\">" + kUser + "</UID><PWD>" +
         kPassword + "</PWD>\r\n<CookieID>" + std::to_string(kCookie) +
         "</CookieID>\r\n<CTKs>0</CTKs>\r\n<m_obj href=\"#ref-4\" />\r\n"
         "</a1:ClientRequestHeader>\r\n";
}

// The prefix (client type, length counting the whole frame) before the text.
inline std::string Framed(int client_type, const std::string& text) {
  const size_t n = text.size() + 5;
  return std::string{char(client_type), char(n), char(n >> 8), char(n >> 16), char(n >> 24)} + text;
}

// A request with a CommonCMDHeader, as the client sends it.
inline std::string Frame(int client_type, unsigned code, const Params& p) {
  std::string text = EnvelopeHead(code) + "<a1:CommonCMDHeader id=\"ref-4\" xmlns:a1=\"" + kLib +
                     "\">\r\n<IntParameter1>" + std::to_string(p.i1) + "</IntParameter1>\r\n" +
                     "<IntParameter2>" + std::to_string(p.i2) + "</IntParameter2>\r\n" +
                     "<IntParameter3>" + std::to_string(p.i3) + "</IntParameter3>\r\n";
  const std::string* texts[] = {&p.s1, &p.s2, &p.s3};
  for (int k = 0; k < 3; ++k) {
    const std::string n = std::to_string(k + 1), ref = std::to_string(k + 5);
    text += texts[k]->empty() ? "<StrParameter" + n + " id=\"ref-" + ref + "\" />\r\n"
                              : "<StrParameter" + n + " id=\"ref-" + ref + "\">" + *texts[k] +
                                    "</StrParameter" + n + ">\r\n";
  }
  return Framed(client_type, text + "</a1:CommonCMDHeader>\r\n</SOAP-ENV:Body>\r\n</SOAP-ENV:Envelope>\r");
}

// The camera-stream request (command 2, client type 2) for the cameras.
inline std::string StreamFrame(const std::vector<unsigned>& cameras) {
  std::string items;
  for (unsigned id : cameras) items += "<item>" + std::to_string(id) + "</item>";
  return Framed(2, EnvelopeHead(2) + "<a1:DataRequestHeader id=\"ref-4\" xmlns:a1=\"" + kLib +
                       "\">\r\n<CameraList href=\"#ref-5\" />\r\n<StreamingMode>Automatic"
                       "</StreamingMode>\r\n</a1:DataRequestHeader>\r\n<SOAP-ENV:Array "
                       "id=\"ref-5\" SOAP-ENV:arrayType=\"xsd:int[" +
                       std::to_string(cameras.size()) + "]\">" + items +
                       "\r\n</SOAP-ENV:Array>\r\n</SOAP-ENV:Body>\r\n</SOAP-ENV:Envelope>\r");
}

// qmsim serving `scenario` (a camera list; a <server> line is added unless
// it has one) for kUser/kPassword, with `args` added; recording requests in
// its directory. Start() waits for both ports.
class Sim {
 public:
  explicit Sim(const std::string& scenario, const std::vector<std::string>& args = {}) {
    const bool has_server = scenario.find("<server") != std::string::npos;
    qmtest::WriteWholeFile(dir_.File("scenario.xml"),
                           "<scenario>" +
                               (has_server ? "" : std::string("<server id=\"3\" name=\"Harbour NVR\" "
                                                              "version=\"6.2.18.2\" time-zone=\"AST\" "
                                                              "data-path=\"D:\\VideoStore\"/>")) +
                               scenario + "</scenario>");
    qmtest::WriteWholeFile(dir_.File("pw"), kPassword);
    std::vector<std::string> argv{"--scenario", "scenario.xml", "--port", "0", "--port-file", "port",
                                  "--record", ".", "--user", kUser, "--password-file", "pw"};
    argv.insert(argv.end(), args.begin(), args.end());
    child_.reset(new qmtest::QmsimChild(dir_, argv));
    port_ = child_->Port();
    const std::string ports = qmtest::ReadWholeFile(dir_.File("port"));
    live_port_ = std::atoi(ports.substr(ports.find('\n') + 1).c_str());
  }
  int Port() const { return port_; }
  int LivePort() const { return live_port_; }
  std::string Log() const { return child_->Log(); }
  // Waits until the log holds `fragment`.
  bool AwaitLog(const std::string& fragment) const { return child_->AwaitLog(fragment); }
  // Request n (from 1) as qmsim received it; empty when there was none.
  std::string Request(int n) const {
    return qmtest::ReadWholeFile(dir_.File("request-" + std::to_string(n) + ".bin"));
  }
  // How many requests qmsim recorded.
  int Requests() const {
    int n = 0;
    while (std::filesystem::exists(dir_.File("request-" + std::to_string(n + 1) + ".bin"))) ++n;
    return n;
  }
  // A client of this qmsim (its connections target the command port).
  template <class Client = QMLinux>
  boost::shared_ptr<Client> Connect(const char* password = kPassword) const {
    const std::wstring user(kUser, kUser + sizeof kUser - 1);
    const std::wstring pw(password, password + std::strlen(password));
    return boost::make_shared<Client>(L"127.0.0.1", static_cast<unsigned short>(port_),
                                      user.c_str(), pw.c_str(), 0ull, kCookie);
  }

 private:
  qmtest::TempDir dir_;
  std::unique_ptr<qmtest::QmsimChild> child_;
  int port_ = 0, live_port_ = 0;
};

// One request/reply exchange through the client's transport.
inline QM::ByteVector Exchange(QM::Server& server, QM::ByteVector request) {
  QM::ByteVector reply;
  server.TransactCommandChannel(request, reply);
  return reply;
}

// Wide text of plain ASCII.
inline std::wstring W(const std::string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace services_e2e
