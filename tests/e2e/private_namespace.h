// Shared by the end-to-end tests: whether the test runs inside the private
// IPC and network namespaces that tests/netns_run.sh enters, where the fixed
// segment key and command port are the test's own.
#pragma once

#include <gtest/gtest.h>
#include <net/if.h>

#include <string>

namespace qmtest {

// True when loopback is the only network interface visible (the private
// network namespace of tests/netns_run.sh); false on the machine's own
// network or when the interfaces cannot be listed.
inline bool InPrivateNamespaces() {
  struct if_nameindex* names = if_nameindex();
  bool only_lo = names != nullptr;
  for (auto* n = names; only_lo && n->if_index != 0; ++n) only_lo = std::string(n->if_name) == "lo";
  if (names != nullptr) if_freenameindex(names);
  return only_lo;
}

}  // namespace qmtest

// Skips the calling test (from SetUp or the test body) outside them.
#define QM_SKIP_OUTSIDE_PRIVATE_NAMESPACES()                                                \
  do {                                                                                      \
    if (!qmtest::InPrivateNamespaces())                                                     \
      GTEST_SKIP() << "needs private IPC and network namespaces: run through tests/netns_run.sh"; \
  } while (0)
