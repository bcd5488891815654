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

// A live frame: header (frame length 18 + payload size unless given) and payload.
inline std::string Live(const std::string& payload, uint32_t a = 0, uint8_t b = 0,
                        uint8_t flag = 1, uint16_t e = 0, int64_t length = -1) {
  return "\xAA\xBB" + LE(length < 0 ? 18 + payload.size() : length) + LE(a) + char(b) +
         char(flag) + LE(3, 2) + LE(4, 2) + LE(e, 2) + payload;
}

// "type/code|" and the request's text from IntParameter1 on, as sent;
// "<refused>" when empty, "<bad frame>" when bytes 1-4 do not give its size.
inline std::string Params(const QM::ByteVector& request) {
  if (request.empty()) return "<refused>";
  const std::string text(request.begin(), request.end());
  if (request.size() < 5 || text.substr(1, 4) != LE(request.size())) return "<bad frame>";
  const std::string code = text.substr(text.find(">", text.find("<CommandCode")) + 1);
  return std::to_string(request[0]) + "/" + code.substr(0, code.find('<')) + "|" +
         text.substr(std::min(text.size(), text.find("<IntParameter1>")));
}

// What Params gives for request "type/code" with these parameters
// (IntParameter3 0; an empty text in its empty form).
inline std::string Lines(const std::string& code, int i1, int i2, const std::string& s1,
                         const std::string& s2, const std::string& s3) {
  std::string s = code + "|";
  const int ints[] = {i1, i2, 0};
  const std::string strs[] = {s1, s2, s3};
  for (int n = 0; n < 3; ++n) {
    const std::string tag = "IntParameter" + std::to_string(n + 1);
    s += "<" + tag + ">" + std::to_string(ints[n]) + "</" + tag + ">\r\n";
  }
  for (int n = 0; n < 3; ++n) {
    const std::string tag = "StrParameter" + std::to_string(n + 1);
    s += "<" + tag + " id=\"ref-" + std::to_string(n + 5) + "\"" +
         (strs[n].empty() ? " />" : ">" + strs[n] + "</" + tag + ">") + "\r\n";
  }
  return s + "</a1:CommonCMDHeader>\r\n</SOAP-ENV:Body>\r\n</SOAP-ENV:Envelope>\r";
}

}  // namespace qm_svc_test
