// Helpers for request-packet tests: read the frame a builder produced and
// pick fields out of its 8-bit envelope text.
#ifndef QM_TESTS_PROTOCOL_REQPKT_TEST_UTIL_H_
#define QM_TESTS_PROTOCOL_REQPKT_TEST_UTIL_H_

#include <cstdint>
#include <string>

namespace qmtest {

// The frame length stored in bytes 1-4, read as little-endian.
inline uint32_t FrameLength(const char* frame) {
  const unsigned char* b = reinterpret_cast<const unsigned char*>(frame);
  return static_cast<uint32_t>(b[1]) | (static_cast<uint32_t>(b[2]) << 8) |
         (static_cast<uint32_t>(b[3]) << 16) |
         (static_cast<uint32_t>(b[4]) << 24);
}

// The whole counted 8-bit text of a frame (count - 5 bytes after the prefix).
inline std::string FrameText(const char* frame, unsigned int count) {
  if (count < 5) return std::string();
  return std::string(frame + 5, count - 5);
}

// Text between `open` and the next `close` after it; "<missing>" if absent.
inline std::string Between(const std::string& text, const std::string& open,
                           const std::string& close) {
  const size_t start = text.find(open);
  if (start == std::string::npos) return "<missing>";
  const size_t from = start + open.size();
  const size_t end = text.find(close, from);
  if (end == std::string::npos) return "<missing>";
  return text.substr(from, end - from);
}

// The decimal text of the command code.
inline std::string CommandCode(const std::string& text) {
  const size_t end = text.find("</CommandCode>");
  if (end == std::string::npos) return "<missing>";
  const size_t start = text.rfind('>', end);
  return text.substr(start + 1, end - start - 1);
}

inline std::string IntParam(const std::string& text, int n) {
  const std::string tag = "IntParameter" + std::to_string(n);
  return Between(text, "<" + tag + ">", "</" + tag + ">\r\n");
}

// StrParameterN: "" for the empty form, its content otherwise.
inline std::string StrParam(const std::string& text, int n) {
  const std::string tag = "StrParameter" + std::to_string(n);
  const std::string id = " id=\"ref-" + std::to_string(n + 4) + "\"";
  if (text.find("<" + tag + id + " />\r\n") != std::string::npos) return "";
  return Between(text, "<" + tag + id + ">", "</" + tag + ">\r\n");
}

}  // namespace qmtest

#endif  // QM_TESTS_PROTOCOL_REQPKT_TEST_UTIL_H_
