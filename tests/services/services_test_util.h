// Shared by the service tests: replies written the way the server's .NET
// side writes them, request frames read back, and a server whose exchanges
// are canned.
#pragma once
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

#include "client/server.h"

namespace qm_services_test {

using QM::ByteVector;
typedef std::vector<std::pair<std::string, std::string>> Fields;
typedef std::vector<std::string> Texts;

inline std::string Elements(const Fields& fields) {
  std::string xml;
  for (const auto& f : fields) xml += "\n    <" + f.first + ">" + f.second + "</" + f.first + ">";
  return xml;
}

// A DataSet with its inline schema and the diffgram of `rows`; no rows give
// the self-closing diffgram without NewDataSet.
inline std::string DataSet(const std::vector<Fields>& rows) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<DataSet xmlns=\"http://tempuri.org/\">\n"
      "  <xs:schema id=\"NewDataSet\" xmlns=\"\" xmlns:xs=\"http://www.w3.org/2001/XMLSchema\">\n"
      "    <xs:element name=\"NewDataSet\"><xs:complexType><xs:choice maxOccurs=\"unbounded\">"
      "<xs:element name=\"Table\" /></xs:choice></xs:complexType></xs:element>\n  </xs:schema>\n"
      "  <diffgr:diffgram xmlns:msdata=\"urn:schemas-microsoft-com:xml-msdata\" "
      "xmlns:diffgr=\"urn:schemas-microsoft-com:xml-diffgram-v1\"";
  if (rows.empty()) return xml + " />\n</DataSet>";
  xml += ">\n  <NewDataSet xmlns=\"\">";
  for (size_t i = 0; i < rows.size(); ++i)
    xml += "\n   <Table diffgr:id=\"Table" + std::to_string(i + 1) + "\" msdata:rowOrder=\"" +
           std::to_string(i) + "\">" + Elements(rows[i]) + "\n   </Table>";
  return xml + "\n  </NewDataSet>\n  </diffgr:diffgram>\n</DataSet>";
}

// An object as the XML serializer writes it: element `name` holding `inner`.
inline std::string Record(const std::string& name, const std::string& inner) {
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<" + name +
         " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
         "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\">" + inner + "\n</" + name + ">";
}
inline std::string Record(const std::string& name, const Fields& fields) {
  return Record(name, Elements(fields));
}

const std::string kLoginError =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<string>Login Error</string>";

// A request frame read back: client type, command code, IntParameter1-3 and
// StrParameter1-3 (the empty form as the empty text); nothing for no frame.
inline Texts Params(const ByteVector& frame) {
  if (frame.empty()) return {};
  const std::string text(frame.begin(), frame.end());
  Texts out = {std::to_string(frame[0])};
  for (const std::string name : {"CommandCode", "IntParameter1", "IntParameter2", "IntParameter3",
                                 "StrParameter1", "StrParameter2", "StrParameter3"}) {
    std::smatch m;
    const std::regex re("<" + name + "( [^>]*[^/])?>([^<]*)</" + name + ">");
    out.push_back(std::regex_search(text, m, re) ? m[2].str() : "");
  }
  return out;
}

// Answers each exchange with the next canned reply (nothing once they run
// out) and keeps every request's parameters.
struct FakeServer : QM::Server {
  FakeServer() : Server(L"127.0.0.1", 4011, L"admin", L"secret", 0, 4242) {}
  unsigned int TransactCommandChannel(ByteVector& request, ByteVector& reply) override {
    requests.push_back(Params(request));
    if (requests.size() > replies.size()) return 0;
    reply.assign(replies[requests.size() - 1].begin(), replies[requests.size() - 1].end());
    return static_cast<unsigned int>(reply.size());
  }
  // Stores a server description with this ID and version.
  void Describe(const std::string& id, const std::string& version) {
    const std::string reply = Record("ServerInformation", {{"ID", id}, {"Version", version}});
    ASSERT_TRUE(RspPkt_ParseServerMetadata(reply.data(), reply.size()));
  }
  std::vector<Texts> requests;
  Texts replies;
};

// Runs `parse` on a buffer of exactly the text's size, so that
// AddressSanitizer sees any overread.
template <class Parse>
auto Exact(const std::string& text, Parse parse) {
  const ByteVector bytes(text.begin(), text.end());
  return parse(bytes.empty() ? nullptr : bytes.data(), static_cast<unsigned int>(bytes.size()));
}

}  // namespace qm_services_test
