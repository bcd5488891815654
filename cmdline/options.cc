#include "cmdline/options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

unsigned short m_dvrid = 0;
std::string m_ipa;
std::uint32_t m_port = 0;
std::uint32_t m_camid = 0;
std::string m_sdate;
std::string m_filepath;
std::string m_user;
std::string m_pass;

namespace {

constexpr std::uint32_t kDefaultPort = 4011;
constexpr unsigned short kMaxDvrId = 64;

// Capacities of the text values, in characters (their buffers hold one more
// byte for the terminator).
constexpr std::size_t kIpaMax = 255;
constexpr std::size_t kSdateMax = 32;
constexpr std::size_t kFilePathMax = 4096;

enum OptionId { kDvrid, kIpa, kPort, kCamid, kSdate, kFilePath, kOptionCount };

// The value options in the order in which an argument is compared with them.
struct ValueOption {
  OptionId id;
  const char* name;  // option name, '=' included; matches as a prefix
};
constexpr ValueOption kValueOptions[] = {
    {kDvrid, "-dvrid="}, {kIpa, "-ipa="},     {kPort, "-port="},
    {kCamid, "-camid="}, {kSdate, "-sdate="}, {kFilePath, "-filepath="},
};

// White space as the "C" locale's isspace sees it (the program never sets a
// locale), which is where a "%s" scan stops and what a number scan skips.
bool IsScanSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads an unsigned decimal number from text the way "%lu" does where
// unsigned long has 32 bits: leading white space skipped, an optional sign,
// then digits up to the first non-digit. A magnitude above 4294967295
// saturates at 4294967295; a negative number wraps modulo 2^32. Returns false
// (and leaves *value alone) when no digit follows.
bool ScanU32(const char* text, std::uint32_t* value) {
  const char* p = text;
  while (IsScanSpace(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = (*p == '-');
    ++p;
  }
  if (!IsDigit(*p)) return false;
  std::uint64_t magnitude = 0;
  bool overflow = false;
  for (; IsDigit(*p); ++p) {
    if (overflow) continue;  // keep consuming digits, the value is fixed
    magnitude = magnitude * 10 + static_cast<unsigned>(*p - '0');
    if (magnitude > UINT32_MAX) overflow = true;
  }
  if (overflow) {
    *value = UINT32_MAX;
  } else if (negative) {
    *value = static_cast<std::uint32_t>(0u - static_cast<std::uint32_t>(magnitude));
  } else {
    *value = static_cast<std::uint32_t>(magnitude);
  }
  return true;
}

// Reads a "%s" value from text: leading white space skipped, then the text
// up to the first white-space character. Returns false (and leaves *value
// alone) when that text is empty or longer than max characters.
bool ScanText(const char* text, std::size_t max, std::string* value) {
  const char* start = text;
  while (IsScanSpace(*start)) ++start;
  const char* end = start;
  while (*end != '\0' && !IsScanSpace(*end)) {
    if (static_cast<std::size_t>(end - start) == max) return false;
    ++end;
  }
  if (end == start) return false;
  value->assign(start, end);
  return true;
}

void PrintInvalidFormat(const char* arg) {
  printf("Invalid option format: %s\n", arg);
}

// Scans and checks the value of one option argument and stores it. Prints
// the option's message and returns false when the value is rejected; a
// numeric value that was scanned but failed its check stays stored.
bool AcceptValue(const ValueOption& option, const char* arg) {
  const char* text = arg + strlen(option.name);
  switch (option.id) {
    case kDvrid: {
      unsigned short dvrid = 0;
      if (sscanf(arg, "-dvrid=%hu", &dvrid) < 1) {
        PrintInvalidFormat(arg);
        return false;
      }
      m_dvrid = dvrid;
      if (dvrid == 0 || dvrid > kMaxDvrId) {
        printf("Invalid value %s: %hu\n", option.name, dvrid);
        return false;
      }
      return true;
    }
    case kPort:
    case kCamid: {
      std::uint32_t number = 0;
      if (!ScanU32(text, &number)) {
        PrintInvalidFormat(arg);
        return false;
      }
      (option.id == kPort ? m_port : m_camid) = number;
      if (number == 0) {
        printf("Invalid value %s: %lu\n", option.name, 0UL);
        return false;
      }
      return true;
    }
    case kIpa:
    case kSdate:
    case kFilePath: {
      std::string* target = option.id == kIpa     ? &m_ipa
                            : option.id == kSdate ? &m_sdate
                                                  : &m_filepath;
      std::size_t max = option.id == kIpa     ? kIpaMax
                        : option.id == kSdate ? kSdateMax
                                              : kFilePathMax;
      if (!ScanText(text, max, target)) {
        PrintInvalidFormat(arg);
        return false;
      }
      return true;
    }
    case kOptionCount:
      break;
  }
  return false;
}

// The first value option whose name begins arg, or null.
const ValueOption* FindValueOption(const char* arg) {
  for (const ValueOption& option : kValueOptions) {
    if (strncmp(arg, option.name, strlen(option.name)) == 0) return &option;
  }
  return nullptr;
}

}  // namespace

void PrintUsage() {
  puts("Syntax:\n");
  puts("\tqmrecinfo [options]\n");
  puts("\tOptions:");
  printf("\t%s\t: sets physical DVR ID value of database\n", "-dvrid=");
  printf("\t%s\t: sets ip address\n", "-ipa=");
  printf("\t%s\t: sets ip port\n", "-port=");
  printf("\t%s\t: sets file path for result\n", "-filepath=");
  puts("\t-?  : this message");
  putchar('\n');
  puts("Examples:\n");
  puts("\tqmrecinfo -dvrid=1 -ipa=xxx.xxx.xxx.xxx -port=4011 -camid=xxxx "
       "-sdate=MM.DD.YYYY -filepath=xxxxxx");
  puts("\tqmrecinfo -?");
  putchar('\n');
}

int main_cmdline(int argc, char** argv) {
  bool help = false;
  bool seen[kOptionCount] = {};
  bool error = false;

  for (int i = 1; i < argc && argv != nullptr; ++i) {
    const char* arg = argv[i];
    if (arg == nullptr) continue;
    if (strcmp(arg, "-?") == 0) {
      if (argc > 2) {
        puts("Invalid number of parameters");
        error = true;
        break;
      }
      help = true;
      continue;
    }
    const ValueOption* option = FindValueOption(arg);
    if (option == nullptr) continue;  // not an option: ignored silently
    if (seen[option->id]) {
      printf("Duplicate option: %s\n", arg);
      error = true;
      break;
    }
    if (!AcceptValue(*option, arg)) {
      error = true;
      break;
    }
    seen[option->id] = true;
  }

  if (help) {
    PrintUsage();
    fflush(stdout);
    exit(0);
  }

  static const struct {
    OptionId id;
    const char* message;
  } kMandatory[] = {
      {kDvrid, "qmrecinfo: Please setup physical dvr id at parameter"},
      {kIpa, "qmrecinfo: Please setup ipa at parameter"},
      {kCamid,
       "qmrecinfo: Please setup Camera ID in Quillmark IP Server at parameter"},
      {kSdate, "qmrecinfo: Please setup search date at parameter"},
      {kFilePath, "qmrecinfo: Please setup file path at parameter"},
  };
  for (const auto& mandatory : kMandatory) {
    if (!seen[mandatory.id]) {
      puts(mandatory.message);
      return 0;
    }
  }

  if (!seen[kPort]) m_port = kDefaultPort;
  return error ? 0 : kCmdlineOk;
}

void ResetOptionValues() {
  m_dvrid = 0;
  m_ipa.clear();
  m_port = 0;
  m_camid = 0;
  m_sdate.clear();
  m_filepath.clear();
  m_user.clear();
  m_pass.clear();
}
