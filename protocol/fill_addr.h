// Resolution of a server address for the transport.
#ifndef QM_PROTOCOL_FILL_ADDR_H_
#define QM_PROTOCOL_FILL_ADDR_H_

#include <netinet/in.h>

// Size of the 8-bit host text FillAddr passes to the resolver, terminator
// included.
const unsigned int kFillAddrHostBytes = 1025;

// Fills `target` with the IPv4 address of `address` (host name or dotted
// IPv4 text, zero-terminated wide text) and `port`. The target is zeroed and
// given family and port first. Among the resolver's IPv4 results, the last
// one that getnameinfo accepts wins; if none does, the address stays
// 0.0.0.0 and the call still succeeds. Returns 1 when the resolver answered,
// 0 when it did not or when the address cannot be handed to it: a null
// pointer, a character with no form in the current locale, or a text of
// 1025 bytes or more (refused rather than cut, so a long text never resolves
// to some other host). Writes nothing outside `target` and its own buffers.
int FillAddr(const wchar_t* address, unsigned short port,
             struct sockaddr_in* target);

#endif  // QM_PROTOCOL_FILL_ADDR_H_
