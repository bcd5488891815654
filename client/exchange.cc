// One request-reply exchange on a fresh command connection, shared by the
// recording query and the service operations.
#include "client/exchange.h"

#include <climits>

namespace QM {

ByteVector ExchangeRequest(Server& server, ByteVector request) {
  ByteVector reply;
  if (request.empty()) return reply;
  server.TransactCommandChannel(request, reply);
  return reply;
}

unsigned int ReplyLength(const ByteVector& reply) {
  return reply.size() > UINT_MAX ? UINT_MAX
                                 : static_cast<unsigned int>(reply.size());
}

}  // namespace QM
