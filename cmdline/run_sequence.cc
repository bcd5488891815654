#include "cmdline/run_sequence.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <memory>
#include <string>

#include "cmdline/options.h"
#include "cmdline/result_file.h"
#include "devmgr/ikorindmif.h"
#include "devmgr/singleton.h"
#include "protocol/qmlinux.h"
#include "protocol/text_convert.h"

namespace {

// Capacity of each widened text, terminator included.
const size_t kWideChars = 256;

// Widens an 8-bit text with the C library's multibyte conversion. A text
// the locale cannot convert is widened byte by byte instead; its unmapped
// bytes then become characters that the request packet refuses to send, so
// the query fails visibly rather than going out with altered credentials.
void Widen(const std::string& text, wchar_t (&out)[kWideChars]) {
  if (swprintf(out, kWideChars, L"%s", text.c_str()) >= 0) return;
  std::wstring wide = string_to_wstring(text.substr(0, kWideChars - 1));
  wmemcpy(out, wide.c_str(), wide.size() + 1);
}

}  // namespace

int ProcessGetRecInfo(QMLinux* server) {
  int status = 0;
  QM::RecTimeList list;
  std::wstring date = string_to_wstring(m_sdate);
  if (!server->GetDateTimeTracker(m_camid, date.c_str(), list)) {
    status = 4;
    WriteFile(4);
  } else {
    WriteFile(list);
  }
  return status;
}

void RunSequence() {
  bool failed = false;
  Singleton<IKorinDMIf>::Instance(failed);
  IKorinDMIf* dm = Singleton<IKorinDMIf>::GetInstance();
  if (dm == nullptr) {
    puts("qmrecinfo: error: Could not get instance of ikorindmif");
    WriteFile(2);
    fflush(stdout);
    exit(1);
  }

  m_user += dm->GetUserNamebyDvrId(m_dvrid);
  m_pass += dm->GetPassWordbyDvrId(m_dvrid);

  wchar_t address[kWideChars];
  wchar_t user[kWideChars];
  wchar_t password[kWideChars];
  Widen(m_ipa, address);
  Widen(m_user, user);
  Widen(m_pass, password);

  int status;
  {
    // Clicks 0 and cookie 0: the server object draws a random cookie.
    auto server = std::make_unique<QMLinux>(
        address, static_cast<unsigned short>(m_port & 0xFFFFu), user,
        password, 0ULL, 0u);
    status = ProcessGetRecInfo(server.get());
  }
  Singleton<IKorinDMIf>::DeleteInstance();
  fflush(stdout);
  exit(status);
}
