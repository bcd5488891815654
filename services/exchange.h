// One request-reply exchange of a service operation.
#ifndef QM_SERVICES_EXCHANGE_H_
#define QM_SERVICES_EXCHANGE_H_

#include "client/server.h"

namespace QM {

// Sends `request` through server.TransactCommandChannel and returns the
// reply in a fresh vector. The exchange's own result is not consulted: an
// empty reply stands for a failed exchange. A request the packet refused to
// build (empty) is not sent and gives an empty reply.
ByteVector ExchangeRequest(Server& server, ByteVector request);

// Byte count of a reply as the parsers take it (saturated at 32 bits).
unsigned int ReplyLength(const ByteVector& reply);

}  // namespace QM

#endif  // QM_SERVICES_EXCHANGE_H_
