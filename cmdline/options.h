// Command-line options of qmrecinfo: the program-wide option values and the
// parser that fills them.
#ifndef QM_CMDLINE_OPTIONS_H_
#define QM_CMDLINE_OPTIONS_H_

#include <cstdint>
#include <string>

// Program-wide option values. Each is set by main_cmdline and read by the
// result file and the run sequence; m_user and m_pass are filled by the run
// sequence from the device-manager interface. All start at 0 / empty.
extern unsigned short m_dvrid;   // "-dvrid=", physical DVR id (1 to 64)
extern std::string m_ipa;        // "-ipa=", server address (<= 255 chars)
extern std::uint32_t m_port;     // "-port=", command port, 4011 by default
extern std::uint32_t m_camid;    // "-camid=", camera id on the server
extern std::string m_sdate;      // "-sdate=", search date (<= 32 chars)
extern std::string m_filepath;   // "-filepath=", result file (<= 4096 chars)
extern std::string m_user;       // server user name of the DVR id
extern std::string m_pass;       // server password of the DVR id

// The value 65535 that main_cmdline returns when the options are usable.
constexpr int kCmdlineOk = 65535;

// Parses argv[1..argc-1] into the option values above, printing every option
// message on standard output. Returns kCmdlineOk (65535) when all mandatory
// options were accepted and no option was rejected, 0 otherwise. When "-?" is
// the only argument it prints the usage text and ends the process with
// status 0 (it does not return). argv must hold argc valid C strings; the
// strings are only read during the call.
int main_cmdline(int argc, char** argv);

// Prints the usage text on standard output.
void PrintUsage();

// Puts every option value back to its initial state (0 / empty). Only tests
// use it, to run main_cmdline several times in one process; the tool parses
// its options once.
void ResetOptionValues();

#endif  // QM_CMDLINE_OPTIONS_H_
