// The listing of a camera's recording folder on the server: the request
// for the folder path and the parser of its binary reply.
#include <string>

#include "client/server.h"
#include "client/datetime_text.h"
#include "protocol/text_convert.h"
#include "services/byte_reader.h"

namespace QM {

namespace {

// Listing reply: 22 bytes not interpreted, the entry count, then entries of
// 5 bytes not interpreted, a name length byte and the name.
const size_t kListingPrefixBytes = 22;
const size_t kEntryPrefixBytes = 5;

}  // namespace

ByteVector Server::ReqPkt_GetCameraVideoFileDirectories(
    boost::shared_ptr<Camera> camera) {
  if (!camera) return ByteVector();
  const std::wstring path = local_data_path_ + L"\\" + camera->IPAddress +
                            L"-" + to_wstring(camera->ID());
  SetCredentials();
  unsigned int count = 0;
  const char* frame = pkt_.GetDirectoryInfo(camera->ID(), path, true, &count);
  return FrameBytes(frame, count);
}

std::vector<std::wstring> Server::RspPkt_ParseCameraVideoFileDirectories(
    const void* reply, unsigned int length) {
  std::vector<std::wstring> names;
  ByteReader in(reply, length);
  in.Skip(kListingPrefixBytes);
  const unsigned int entries = in.U32();
  // Every entry takes at least 6 bytes, so the reply's end stops the walk
  // long before a large announced count could matter.
  for (unsigned int i = 0; i < entries && !in.Failed(); ++i) {
    in.Skip(kEntryPrefixBytes);
    const size_t name_length = in.U8();
    const unsigned char* name = in.Take(name_length);
    if (in.Failed()) break;
    names.push_back(string_to_wstring(std::string(
        reinterpret_cast<const char*>(name), name_length)));
  }
  return names;
}

}  // namespace QM
