// The result file of qmrecinfo: the error form (DVR id and error code) and
// the list form (DVR id, row count and one line per recording row).
#ifndef QM_CMDLINE_RESULT_FILE_H_
#define QM_CMDLINE_RESULT_FILE_H_

#include <cstddef>
#include <string>

#include "client/rectime.h"

// Writes the error form ("DVRID=<m_dvrid>", "ERRORCODE=<code>") to
// m_filepath, replacing any file there. With an empty m_filepath it prints
// "qmrecinfo:WriteFile(): error: File Name is empty." on standard output and
// writes nothing. A file that cannot be opened or written is not reported.
void WriteFile(int code);

// Writes the list form for list to m_filepath, replacing any file there: the
// DVR id, "ERRORCODE=0", "LISTCOUNT=<number of elements>", the column header
// and one "IDX,CAMID,RECTYPE,START,END" line per row in list order. A null
// list is written as an empty one and a null row is skipped (the count still
// counts it). With an empty m_filepath it prints
// "qmrecinfo:WriteFile(rts): ERROR: File Name is empty." on standard output
// (through the wide stream when standard output is wide-oriented, otherwise
// through the narrow one, so that no output is lost) and writes nothing.
// Open or write failures are not reported.
void WriteFile(QM::RecTimeList list);

// Capacity of the 8-bit START and END texts of a row, in bytes.
constexpr std::size_t kTimeTextMax = 128;

// Converts a row's time text to 8-bit text in the current locale, character
// by character, stopping at the first null character and before the
// conversion would exceed kTimeTextMax bytes (a multibyte character is never
// split). A character the locale cannot represent becomes '?'.
std::string TimeTextTo8Bit(const std::wstring& text);

#endif  // QM_CMDLINE_RESULT_FILE_H_
