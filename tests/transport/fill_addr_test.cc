// FillAddr: what reaches the socket address, and texts it must refuse.
#include <cstring>
#include <string>

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include "protocol/fill_addr.h"

namespace {

std::string Dotted(const struct sockaddr_in& addr) {
  char text[INET_ADDRSTRLEN] = {0};
  inet_ntop(AF_INET, &addr.sin_addr, text, sizeof text);
  return text;
}

TEST(FillAddr, ResolvesLiteralAndHostNameWithPortInNetworkOrder) {
  struct {
    const wchar_t* address;
    unsigned short port;
  } cases[] = {{L"127.0.0.1", 4011}, {L"localhost", 1}, {L"10.1.2.3", 65535}};
  for (const auto& c : cases) {
    struct sockaddr_in target;
    std::memset(&target, 0xAB, sizeof target);
    ASSERT_EQ(FillAddr(c.address, c.port, &target), 1);
    EXPECT_EQ(target.sin_family, AF_INET);
    EXPECT_EQ(target.sin_port, htons(c.port));
    EXPECT_EQ(Dotted(target),
              std::wcscmp(c.address, L"localhost") == 0
                  ? "127.0.0.1"
                  : std::string(c.address, c.address + std::wcslen(c.address)));
    // Padding is cleared, not left from the caller's memory.
    for (unsigned char byte : target.sin_zero) EXPECT_EQ(byte, 0);
  }
}

TEST(FillAddr, RefusesUnresolvableAndUnconvertibleTextsLeavingAnyAddress) {
  const std::wstring cases[] = {
      L"nonexistent.invalid",
      L"",
      L"\u20ac",                   // no form in the C locale
      std::wstring(1025, L'a'),    // would not fit with its terminator
      std::wstring(100000, L'a'),  // far beyond every buffer
  };
  for (const std::wstring& address : cases) {
    struct sockaddr_in target;
    std::memset(&target, 0xAB, sizeof target);
    EXPECT_EQ(FillAddr(address.c_str(), 80, &target), 0) << address.size();
    EXPECT_EQ(target.sin_addr.s_addr, 0u) << address.size();
  }
}

TEST(FillAddr, NullPointersAreRefused) {
  struct sockaddr_in target;
  EXPECT_EQ(FillAddr(nullptr, 80, &target), 0);
  EXPECT_EQ(FillAddr(L"127.0.0.1", 80, nullptr), 0);
}

}  // namespace
