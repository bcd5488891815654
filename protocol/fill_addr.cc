#include "protocol/fill_addr.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <netdb.h>
#include <sys/socket.h>

namespace {

// Frees a resolver result list when it goes out of scope.
class AddrInfoList {
 public:
  AddrInfoList() : list_(nullptr) {}
  ~AddrInfoList() {
    if (list_ != nullptr) freeaddrinfo(list_);
  }
  AddrInfoList(const AddrInfoList&) = delete;
  AddrInfoList& operator=(const AddrInfoList&) = delete;
  struct addrinfo** Out() { return &list_; }
  const struct addrinfo* Get() const { return list_; }

 private:
  struct addrinfo* list_;
};

}  // namespace

int FillAddr(const wchar_t* address, unsigned short port,
             struct sockaddr_in* target) {
  if (target == nullptr) return 0;
  std::memset(target, 0, sizeof *target);
  target->sin_family = AF_INET;
  target->sin_port = htons(port);
  if (address == nullptr) return 0;

  char service[16];
  std::snprintf(service, sizeof service, "%d", static_cast<int>(port));

  // Measure first: the whole text plus its terminator must fit, otherwise
  // the conversion would stop without a terminator or cut the host name.
  size_t needed = std::wcstombs(nullptr, address, 0);
  if (needed == static_cast<size_t>(-1) || needed >= kFillAddrHostBytes)
    return 0;
  char host[kFillAddrHostBytes];
  if (std::wcstombs(host, address, sizeof host) != needed) return 0;
  host[sizeof host - 1] = '\0';

  struct addrinfo hints;
  std::memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  AddrInfoList results;
  if (getaddrinfo(host, service, &hints, results.Out()) != 0) return 0;

  for (const struct addrinfo* entry = results.Get(); entry != nullptr;
       entry = entry->ai_next) {
    char name[1025];
    char serv[32];
    if (getnameinfo(entry->ai_addr, entry->ai_addrlen, name, sizeof name,
                    serv, sizeof serv, NI_NUMERICHOST | NI_NUMERICSERV) != 0)
      continue;
    if (entry->ai_family != AF_INET || entry->ai_addr == nullptr ||
        entry->ai_addrlen < sizeof(struct sockaddr_in))
      continue;
    const struct sockaddr_in* found =
        reinterpret_cast<const struct sockaddr_in*>(entry->ai_addr);
    target->sin_addr = found->sin_addr;
  }
  return 1;
}
