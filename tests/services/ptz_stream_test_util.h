// Shared by the PTZ, preset and stream tests: little-endian byte builders and
// the parameter lines of a request as sent.
#pragma once
#include <cstdint>
#include <string>

#include "client/server.h"

namespace qm_svc_test {

// `value` as `width` little-endian bytes.
inline std::string LE(uint64_t value, int width = 4) {
  std::string bytes;
  for (int i = 0; i < width; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

// A live frame: header (length = 18 + payload unless given) and payload.
inline std::string Live(const std::string& payload, uint32_t a = 0, uint8_t b = 0,
                        uint8_t flag = 1, uint16_t c = 0, uint16_t d = 0, uint16_t e = 0,
                        int64_t length = -1) {
  return "\xAA\xBB" + LE(length < 0 ? 18 + payload.size() : length) + LE(a) +
         static_cast<char>(b) + static_cast<char>(flag) + LE(c, 2) + LE(d, 2) + LE(e, 2) +
         payload;
}

// "client type/command code|" and the request's text from IntParameter1 on,
// as sent (the last line feed is never sent); "<refused>" for an empty
// request, "<bad frame>" when the length bytes do not give its size.
inline std::string Params(const QM::ByteVector& request) {
  if (request.empty()) return "<refused>";
  const std::string text(request.begin(), request.end());
  if (request.size() < 5 || text.substr(1, 4) != LE(request.size())) return "<bad frame>";
  const size_t at = text.find("<IntParameter1>");
  const std::string code = text.substr(text.find(">", text.find("<CommandCode")) + 1);
  return std::to_string(request[0]) + "/" + code.substr(0, code.find('<')) + "|" +
         (at == std::string::npos ? "" : text.substr(at));
}

// What Params gives for a request "type/code" with these parameters ("" is
// the empty form of a text).
inline std::string Lines(const std::string& code, int i1, int i2, int i3, const std::string& s1,
                         const std::string& s2, const std::string& s3) {
  auto str = [](int n, const std::string& s) {
    const std::string tag = "StrParameter" + std::to_string(n);
    const std::string open = "<" + tag + " id=\"ref-" + std::to_string(n + 4) + "\"";
    return (s.empty() ? open + " />" : open + ">" + s + "</" + tag + ">") + "\r\n";
  };
  return code + "|<IntParameter1>" + std::to_string(i1) + "</IntParameter1>\r\n<IntParameter2>" +
         std::to_string(i2) + "</IntParameter2>\r\n<IntParameter3>" + std::to_string(i3) +
         "</IntParameter3>\r\n" + str(1, s1) + str(2, s2) + str(3, s3) +
         "</a1:CommonCMDHeader>\r\n</SOAP-ENV:Body>\r\n</SOAP-ENV:Envelope>\r";
}

}  // namespace qm_svc_test
