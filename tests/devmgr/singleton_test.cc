// The Singleton template with a probe class that counts live objects and
// can be told to fail its construction.
#include "devmgr/singleton.h"

#include <gtest/gtest.h>

namespace {

class Probe : public Singleton<Probe> {
 public:
  static int live;
  static bool fail_next;

  explicit Probe(bool& failed) : serial(++made) {
    ++live;
    failed = fail_next;
  }
  ~Probe() { --live; }

  int serial;
  static int made;
};

int Probe::live = 0;
bool Probe::fail_next = false;
int Probe::made = 0;

class SingletonTest : public ::testing::Test {
 protected:
  void SetUp() override { Probe::fail_next = false; }
  void TearDown() override {
    Singleton<Probe>::DeleteInstance();
    EXPECT_EQ(Probe::live, 0);
  }
};

TEST_F(SingletonTest, InstanceReplacesTheHeldObjectInsteadOfLeakingIt) {
  bool failed = true;
  Probe* first = Singleton<Probe>::Instance(failed);
  ASSERT_NE(first, nullptr);
  EXPECT_FALSE(failed);
  EXPECT_EQ(Singleton<Probe>::GetInstance(), first);
  const int first_serial = first->serial;

  Probe* second = Singleton<Probe>::Instance(failed);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(Probe::live, 1);
  EXPECT_NE(second->serial, first_serial);
  EXPECT_EQ(Singleton<Probe>::GetInstance(), second);
}

TEST_F(SingletonTest, FailedConstructionHoldsNothingAndDestroysBothObjects) {
  bool failed = false;
  ASSERT_NE(Singleton<Probe>::Instance(failed), nullptr);

  Probe::fail_next = true;
  EXPECT_EQ(Singleton<Probe>::Instance(failed), nullptr);
  EXPECT_TRUE(failed);
  EXPECT_EQ(Singleton<Probe>::GetInstance(), nullptr);
  EXPECT_EQ(Probe::live, 0);
}

TEST_F(SingletonTest, DeleteInstanceIsSafeWithNothingHeld) {
  EXPECT_EQ(Singleton<Probe>::GetInstance(), nullptr);
  Singleton<Probe>::DeleteInstance();
  bool failed = true;
  ASSERT_NE(Singleton<Probe>::Instance(failed), nullptr);
  Singleton<Probe>::DeleteInstance();
  Singleton<Probe>::DeleteInstance();
  EXPECT_EQ(Singleton<Probe>::GetInstance(), nullptr);
  EXPECT_EQ(Probe::live, 0);
}

}  // namespace
