// In-process tests of the values main_cmdline stores.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "cmdline/options.h"

namespace {

// Resets every option value and parses args (program name added).
int Parse(std::vector<std::string> args) {
  ResetOptionValues();
  std::vector<std::string> strings{"qmrecinfo"};
  strings.insert(strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& s : strings) argv.push_back(&s[0]);
  argv.push_back(nullptr);
  return main_cmdline(static_cast<int>(strings.size()), argv.data());
}

// Every mandatory option, valid, plus the given extra arguments.
std::vector<std::string> ValidWith(std::vector<std::string> extra) {
  std::vector<std::string> args{"-dvrid=7", "-ipa=10.0.0.9", "-camid=12",
                                "-sdate=03.04.2021", "-filepath=/tmp/r.txt"};
  args.insert(args.end(), extra.begin(), extra.end());
  return args;
}

TEST(MainCmdline, AllValidOptionsStoredAndPortDefaultsTo4011) {
  ASSERT_EQ(Parse(ValidWith({})), 65535);
  EXPECT_EQ(m_dvrid, 7);
  EXPECT_EQ(m_ipa, "10.0.0.9");
  EXPECT_EQ(m_camid, 12u);
  EXPECT_EQ(m_sdate, "03.04.2021");
  EXPECT_EQ(m_filepath, "/tmp/r.txt");
  EXPECT_EQ(m_port, 4011u);
  EXPECT_TRUE(m_user.empty());
  EXPECT_TRUE(m_pass.empty());
}

TEST(MainCmdline, OptionsAcceptedInAnyOrder) {
  ASSERT_EQ(Parse({"-filepath=f", "-port=81", "-sdate=s", "-camid=2",
                   "-ipa=h", "-dvrid=64"}),
            65535);
  EXPECT_EQ(m_dvrid, 64);
  EXPECT_EQ(m_port, 81u);
  EXPECT_EQ(m_filepath, "f");
}

// "%lu" on a target whose unsigned long has 32 bits: saturation above
// 4294967295, wrap-around for negative values, no cut to 16 bits.
struct NumberCase {
  const char* text;
  std::uint32_t value;
};
void PrintTo(const NumberCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class PortAndCamidScan : public ::testing::TestWithParam<NumberCase> {};

TEST_P(PortAndCamidScan, StoresThe32BitValue) {
  const NumberCase& c = GetParam();
  ASSERT_EQ(Parse(ValidWith({std::string("-port=") + c.text})), 65535) << c.text;
  EXPECT_EQ(m_port, c.value) << c.text;
  std::vector<std::string> args = ValidWith({});
  args[2] = std::string("-camid=") + c.text;
  ASSERT_EQ(Parse(args), 65535) << c.text;
  EXPECT_EQ(m_camid, c.value) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Values, PortAndCamidScan,
    ::testing::Values(NumberCase{"70000", 70000u},
                      NumberCase{"4294967295", 4294967295u},
                      NumberCase{"4294967296", 4294967295u},
                      NumberCase{"99999999999999999999999999999", 4294967295u},
                      NumberCase{"-1", 4294967295u},
                      NumberCase{"-4294967295", 1u},
                      NumberCase{"-4294967296", 4294967295u},
                      NumberCase{"+12", 12u}, NumberCase{" 12", 12u},
                      NumberCase{"0012", 12u}, NumberCase{"12abc", 12u}));

TEST(MainCmdline, PortWithoutDigitsRejected) {
  // "0x10" is read as 0 followed by text, like "%lu" does: rejected as 0.
  for (const char* text : {"-port=", "-port=-", "-port=+", "-port=abc",
                           "-port= ", "-port=0x10"}) {
    EXPECT_EQ(Parse(ValidWith({text})), 0) << text;
  }
}

TEST(MainCmdline, CamidZeroKeptButRejected) {
  std::vector<std::string> args = ValidWith({});
  args[2] = "-camid=-0";
  EXPECT_EQ(Parse(args), 0);
  EXPECT_EQ(m_camid, 0u);
}

TEST(MainCmdline, DvridOutOfRangeKeptInVariable) {
  std::vector<std::string> args = ValidWith({});
  args[0] = "-dvrid=70000";
  EXPECT_EQ(Parse(args), 0);
  EXPECT_EQ(m_dvrid, 4464);
  args[0] = "-dvrid=65";
  EXPECT_EQ(Parse(args), 0);
  EXPECT_EQ(m_dvrid, 65);
  args[0] = "-dvrid=64";
  EXPECT_EQ(Parse(args), 65535);
}

TEST(MainCmdline, TextValueSkipsLeadingSpaceAndStopsAtWhiteSpace) {
  std::vector<std::string> args = ValidWith({});
  args[1] = "-ipa= \t10.1.1.1\tjunk";
  ASSERT_EQ(Parse(args), 65535);
  EXPECT_EQ(m_ipa, "10.1.1.1");
}

// Each text option at its capacity is stored whole; one character more is
// rejected and leaves the variable untouched.
TEST(MainCmdline, TextCapacitiesEnforcedWithoutTruncation) {
  struct {
    size_t index;
    const char* name;
    size_t max;
    const std::string* value;
  } const kTexts[] = {{1, "-ipa=", 255, &m_ipa},
                      {3, "-sdate=", 32, &m_sdate},
                      {4, "-filepath=", 4096, &m_filepath}};
  for (const auto& t : kTexts) {
    std::vector<std::string> args = ValidWith({});
    args[t.index] = t.name + std::string(t.max, 'z');
    ASSERT_EQ(Parse(args), 65535) << t.name;
    EXPECT_EQ(*t.value, std::string(t.max, 'z')) << t.name;
    args[t.index] = t.name + std::string(t.max + 1, 'z');
    EXPECT_EQ(Parse(args), 0) << t.name;
    EXPECT_TRUE(t.value->empty()) << t.name;
  }
}

TEST(MainCmdline, ErrorStopsBeforeLaterArguments) {
  // The duplicate stops the loop: the file path after it is never stored.
  EXPECT_EQ(Parse({"-dvrid=1", "-dvrid=1", "-filepath=late"}), 0);
  EXPECT_TRUE(m_filepath.empty());
}

TEST(MainCmdline, HelpWithOtherArgumentsReturnsFailure) {
  EXPECT_EQ(Parse(ValidWith({"-?"})), 0);
}

TEST(MainCmdlineDeathTest, HelpAloneExitsWithStatusZero) {
  EXPECT_EXIT(Parse({"-?"}), ::testing::ExitedWithCode(0), "");
}

}  // namespace
