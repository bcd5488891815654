// One request-reply exchange of a service operation.
#include "services/exchange.h"

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
