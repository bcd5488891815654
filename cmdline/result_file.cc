#include "cmdline/result_file.h"

#include <climits>
#include <cstdio>
#include <cwchar>
#include <memory>

#include "cmdline/options.h"

namespace {

struct FileCloser {
  void operator()(FILE* file) const { fclose(file); }
};
// An output file, closed when the holder goes away.
typedef std::unique_ptr<FILE, FileCloser> OutputFile;

// Opens m_filepath for writing, creating it or truncating it to zero length.
// Null when it cannot be opened.
OutputFile OpenResultFile() { return OutputFile(fopen(m_filepath.c_str(), "w")); }

// Prints one line of text on standard output without changing the stream's
// orientation: a wide-oriented stdout gets it through the wide functions,
// an unoriented or narrow one through the narrow functions. Mixing both kinds
// on one stream would silently drop the output of the kind that lost.
void PrintLineOnStdout(const char* narrow, const wchar_t* wide) {
  if (fwide(stdout, 0) > 0) {
    fwprintf(stdout, L"%ls\n", wide);
  } else {
    printf("%s\n", narrow);
  }
}

}  // namespace

std::string TimeTextTo8Bit(const std::wstring& text) {
  // Zero-filled 129-byte buffer holding at most 128 bytes of text.
  char buffer[kTimeTextMax + 1] = {};
  std::size_t used = 0;
  mbstate_t state = mbstate_t();
  for (wchar_t c : text) {
    if (c == L'\0') break;
    if (c > 0 && c < 0x80) {
      // ASCII converts to itself, one byte and no shift state, in the "C"
      // locale the program runs in (and in every locale the C library
      // offers): no library call needed.
      if (used == kTimeTextMax) break;
      buffer[used++] = static_cast<char>(c);
      continue;
    }
    char bytes[MB_LEN_MAX];
    std::size_t count = wcrtomb(bytes, c, &state);
    if (count == static_cast<std::size_t>(-1)) {
      state = mbstate_t();
      bytes[0] = '?';
      count = 1;
    }
    if (count > kTimeTextMax - used) break;
    for (std::size_t i = 0; i < count; ++i) buffer[used++] = bytes[i];
  }
  return std::string(buffer, used);
}

void WriteFile(int code) {
  if (m_filepath.empty()) {
    printf("qmrecinfo:WriteFile(): error: File Name is empty.\n");
    return;
  }
  OutputFile file = OpenResultFile();
  if (!file) return;
  fprintf(file.get(), "DVRID=%u\n", static_cast<unsigned>(m_dvrid));
  fflush(file.get());
  fprintf(file.get(), "ERRORCODE=%d\n", code);
  fflush(file.get());
}

void WriteFile(QM::RecTimeList list) {
  if (m_filepath.empty()) {
    PrintLineOnStdout("qmrecinfo:WriteFile(rts): ERROR: File Name is empty.",
                      L"qmrecinfo:WriteFile(rts): ERROR: File Name is empty.");
    return;
  }
  OutputFile file = OpenResultFile();
  if (!file) return;
  const std::size_t count = list ? list->size() : 0;
  fprintf(file.get(), "DVRID=%u\n", static_cast<unsigned>(m_dvrid));
  fprintf(file.get(), "ERRORCODE=0\n");
  fprintf(file.get(), "LISTCOUNT=%zu\n", count);
  fprintf(file.get(), "IDX,CAMID,RECTYPE,START,END\n");
  for (std::size_t i = 0; i < count; ++i) {
    const QM::RecTimePtr& row = (*list)[i];
    if (!row) continue;
    const std::string start = TimeTextTo8Bit(row->StartStr);
    const std::string end = TimeTextTo8Bit(row->EndStr);
    fprintf(file.get(), "%u,%u,%u,%s,%s\n", row->Idx, row->CamId, row->RecType,
            start.c_str(), end.c_str());
  }
  fflush(file.get());
}
