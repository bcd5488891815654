// main_cmdline over an argument vector: the input cut at zero bytes gives
// the arguments after the program name. A lone "-?" ends the process by
// design and is skipped. When the parser accepts the options, every value
// must be within its bounds; the program-wide values are reset afterwards.
#include <cstdint>
#include <string>
#include <vector>

#include "cmdline/options.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  qmfuzz::SilenceStdout();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args{"qmrecinfo"};
  const std::string input(reinterpret_cast<const char*>(data), size);
  for (size_t from = 0; from <= input.size();) {
    size_t end = input.find('\0', from);
    if (end == std::string::npos) end = input.size();
    args.push_back(input.substr(from, end - from));
    from = end + 1;
  }
  if (args.size() == 2 && args[1] == "-?") return 0;

  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (std::string& arg : args) argv.push_back(&arg[0]);
  argv.push_back(nullptr);

  const int result = main_cmdline(static_cast<int>(args.size()), argv.data());
  FUZZ_CHECK(result == 0 || result == kCmdlineOk);
  if (result == kCmdlineOk) {
    FUZZ_CHECK(m_dvrid >= 1 && m_dvrid <= 64);
    FUZZ_CHECK(m_port != 0 && m_camid != 0);
    FUZZ_CHECK(!m_ipa.empty() && m_ipa.size() <= 255);
    FUZZ_CHECK(!m_sdate.empty() && m_sdate.size() <= 32);
    FUZZ_CHECK(!m_filepath.empty() && m_filepath.size() <= 4096);
    for (const std::string* text : {&m_ipa, &m_sdate, &m_filepath}) {
      FUZZ_CHECK(text->find_first_of(std::string(" \t\n\v\f\r\0", 7)) ==
                 std::string::npos);
    }
  }
  FUZZ_CHECK(m_user.empty() && m_pass.empty());
  ResetOptionValues();
  return 0;
}
