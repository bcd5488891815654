// One request and its reply, for the composite service operations.
#ifndef QM_SERVICES_EXCHANGE_H_
#define QM_SERVICES_EXCHANGE_H_

#include "client/server.h"

namespace QM {

// Exchanges `request` with the server's TransactCommandChannel and returns
// the reply in a fresh vector. A request the packet refused (empty) is not
// sent; it and a failed exchange give an empty reply.
ByteVector ExchangeRequest(Server& server, ByteVector request);

// Byte count of a reply as the parsers take it (saturated at UINT_MAX).
unsigned int ReplyLengthOf(const ByteVector& reply);

}  // namespace QM

#endif  // QM_SERVICES_EXCHANGE_H_
