// Request packet core: parameters, envelope composition and framing.
// The envelope is composed in place in a fixed wide-character buffer; every
// append is bounded, and a request that does not fit is refused when it is
// framed (send count 0) instead of being cut or written past the buffer.
#include "protocol/qmreqpkt.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "client/server.h"

namespace QM {

namespace {

// Namespace URIs of the envelope, as the remoting SOAP formatter writes them.
const wchar_t kXsi[] = L"http://www.w3.org/2001/XMLSchema-instance";
const wchar_t kXsd[] = L"http://www.w3.org/2001/XMLSchema";
const wchar_t kEnc[] = L"http://schemas.xmlsoap.org/soap/encoding/";
const wchar_t kEnv[] = L"http://schemas.xmlsoap.org/soap/envelope/";
const wchar_t kClr[] = L"http://schemas.microsoft.com/soap/encoding/clr/1.0";
const wchar_t kLib[] =
    L"http://schemas.microsoft.com/clr/nsassem/Quillmark.LIB/"
    L"Quillmark.LIB%2C%20Version%3D4.0.0.0%2C%20Culture%3Dneutral%2C%20"
    L"PublicKeyToken%3Dnull";
const wchar_t kTypes[] =
    L"http://schemas.microsoft.com/clr/nsassem/Quillmark.LIB.QMTypes/"
    L"Quillmark.LIB%2C%20Version%3D4.0.0.0%2C%20Culture%3Dneutral%2C%20"
    L"PublicKeyToken%3Dnull";

const wchar_t kCrLf[] = L"\r\n";

// Room for any number the envelope carries (at most 20 digits and a sign).
const size_t kNumberChars = 32;

}  // namespace

int check_endian() {
  const unsigned int one = 1;
  unsigned char first = 0;
  std::memcpy(&first, &one, 1);
  return first == 1 ? 0 : 1;
}

unsigned int swap32(unsigned int value) {
  return ((value & 0x000000FFu) << 24) | ((value & 0x0000FF00u) << 8) |
         ((value & 0x00FF0000u) >> 8) | ((value & 0xFF000000u) >> 24);
}

ReqPkt::ReqPkt()
    : clicks_(0),
      envelope_len_(0),
      envelope_overflow_(false),
      int1_(0),
      int2_(0),
      int3_(0),
      cookie_(0) {
  envelope_[0] = L'\0';
  // The frame is given a defined, empty state so that Frame() never exposes
  // indeterminate bytes before the first builder call.
  std::memset(&frame_, 0, sizeof(frame_));
  frame_.client_type = static_cast<unsigned char>(CLIENT_TYPE_DEFAULT);
  SetUser(nullptr);
  SetPassword(nullptr);
  SetCookie(0);
}

ReqPkt::ReqPkt(Server& server) : ReqPkt() {
  SetUser(server.GetUser());
  SetPassword(server.GetPassword());
  SetCookie(server.GetConnectionCookie());
}

ReqPkt::~ReqPkt() { ClearAllParameters(); }

void ReqPkt::SetClicks(unsigned long long clicks) { clicks_ = clicks; }
void ReqPkt::SetCookie(unsigned int cookie) { cookie_ = cookie; }
void ReqPkt::SetInt1(int value) { int1_ = value; }
void ReqPkt::SetInt2(int value) { int2_ = value; }
void ReqPkt::SetInt3(int value) { int3_ = value; }

void ReqPkt::SetClientType(CLIENT_TYPE type) {
  frame_.client_type = static_cast<unsigned char>(static_cast<int>(type) & 0xFF);
}

namespace {
// Clears `field`, then copies `text` when it is given.
void AssignText(std::wstring& field, const wchar_t* text) {
  field.clear();
  if (text != nullptr) field.assign(text);
}
}  // namespace

void ReqPkt::SetUser(const wchar_t* text) { AssignText(user_, text); }
void ReqPkt::SetPassword(const wchar_t* text) { AssignText(password_, text); }
void ReqPkt::SetStr1(const wchar_t* text) { AssignText(str1_, text); }
void ReqPkt::SetStr2(const wchar_t* text) { AssignText(str2_, text); }
void ReqPkt::SetStr3(const wchar_t* text) { AssignText(str3_, text); }

void ReqPkt::ClearAllParameters() {
  SetInt1(0);
  SetInt2(0);
  SetInt3(0);
  SetStr1(nullptr);
  SetStr2(nullptr);
  SetStr3(nullptr);
  SetClientType(CLIENT_TYPE_DEFAULT);
}

void ReqPkt::Append(const wchar_t* text) {
  if (text == nullptr || envelope_overflow_) return;
  const size_t len = std::wcslen(text);
  // The terminator must fit as well.
  if (len >= kEnvelopeChars - envelope_len_) {
    envelope_overflow_ = true;
    return;
  }
  std::wmemcpy(envelope_ + envelope_len_, text, len);
  envelope_len_ += len;
  envelope_[envelope_len_] = L'\0';
}

void ReqPkt::Append(const std::wstring& text) {
  if (envelope_overflow_) return;
  // Only the text up to an embedded NUL would survive the 8-bit conversion,
  // so the envelope takes the same prefix.
  Append(text.c_str());
}

namespace {

// Formats one number into `out` (kNumberChars wide characters).
template <typename T>
const wchar_t* FormatNumber(wchar_t (&out)[kNumberChars], const wchar_t* format,
                            T value) {
  if (std::swprintf(out, kNumberChars, format, value) < 0) out[0] = L'\0';
  return out;
}

}  // namespace

wchar_t* ReqPkt::FillCommonHeader() {
  envelope_len_ = 0;
  envelope_[0] = L'\0';
  envelope_overflow_ = false;

  Append(L"<SOAP-ENV:Envelope xmlns:xsi=\"");
  Append(kXsi);
  Append(L"\" xmlns:xsd=\"");
  Append(kXsd);
  Append(L"\" xmlns:SOAP-ENC=\"");
  Append(kEnc);
  Append(L"\" xmlns:SOAP-ENV=\"");
  Append(kEnv);
  Append(L"\" xmlns:clr=\"");
  Append(kClr);
  Append(L"\" SOAP-ENV:encodingStyle=\"");
  Append(kEnc);
  Append(L"\">");
  Append(kCrLf);
  Append(L"<SOAP-ENV:Body>");
  Append(kCrLf);
  Append(L"<a1:ClientRequestHeader id=\"ref-1\" xmlns:a1=\"");
  Append(kLib);
  Append(L"\">");
  Append(kCrLf);
  Append(L"<CommandCode xsi:type=\"a2:CommandCodes\" xmlns:a2=\"");
  Append(kTypes);
  Append(L"\">");
  return envelope_;
}

wchar_t* ReqPkt::SetCommand(unsigned int code) {
  wchar_t number[kNumberChars];
  Append(FormatNumber(number, L"%u", code));
  Append(L"</CommandCode><UID id=\"ref-3\">");
  Append(user_);
  Append(L"</UID><PWD>");
  Append(password_);
  Append(L"</PWD>");
  Append(kCrLf);
  Append(L"<CookieID>");
  Append(FormatNumber(number, L"%u", cookie_));
  Append(L"</CookieID>");
  Append(kCrLf);
  Append(L"<CTKs>");
  Append(FormatNumber(number, L"%lld", static_cast<long long>(clicks_)));
  Append(L"</CTKs>");
  Append(kCrLf);
  Append(L"<m_obj href=\"#ref-4\" />");
  Append(kCrLf);
  Append(L"</a1:ClientRequestHeader>");
  Append(kCrLf);
  return envelope_;
}

namespace {

// Line of one integer parameter: <IntParameterN>value</IntParameterN>.
void IntLine(wchar_t (&out)[128], int index, int value) {
  if (std::swprintf(out, 128, L"<IntParameter%d>%d</IntParameter%d>\r\n",
                    index, value, index) < 0) {
    out[0] = L'\0';
  }
}

}  // namespace

wchar_t* ReqPkt::FillCommand() {
  Append(L"<a1:CommonCMDHeader id=\"ref-4\" xmlns:a1=\"");
  Append(kLib);
  Append(L"\">");
  Append(kCrLf);

  wchar_t line[128];
  IntLine(line, 1, int1_);
  Append(line);
  IntLine(line, 2, int2_);
  Append(line);
  IntLine(line, 3, int3_);
  Append(line);

  const std::wstring* strs[3] = {&str1_, &str2_, &str3_};
  for (int i = 0; i < 3; ++i) {
    wchar_t open[64];
    // Ids ref-5, ref-6, ref-7 belong to StrParameter1-3.
    std::swprintf(open, 64, L"<StrParameter%d id=\"ref-%d\"", i + 1, i + 5);
    Append(open);
    if (strs[i]->empty()) {
      Append(L" />");
    } else {
      Append(L">");
      Append(*strs[i]);
      wchar_t close[32];
      std::swprintf(close, 32, L"</StrParameter%d>", i + 1);
      Append(close);
    }
    Append(kCrLf);
  }

  Append(L"</a1:CommonCMDHeader>");
  Append(kCrLf);
  Append(L"</SOAP-ENV:Body>");
  Append(kCrLf);
  Append(L"</SOAP-ENV:Envelope>");
  Append(kCrLf);
  return envelope_;
}

wchar_t* ReqPkt::CreateCommand(unsigned int code) {
  FillCommonHeader();
  SetCommand(code);
  FillCommand();
  return envelope_;
}

unsigned int ReqPkt::EnsureCharset() {
  size_t n = 0;
  bool usable = !envelope_overflow_;
  if (usable) {
    // Measure first: the text area holds kTextBytes bytes and a terminator,
    // and a character without a form in the locale fails the conversion.
    n = std::wcstombs(nullptr, envelope_, 0);
    if (n == static_cast<size_t>(-1) || n > kTextBytes) usable = false;
  }
  if (!usable) {
    n = 0;
    frame_.text[0] = '\0';
  } else {
    std::wcstombs(frame_.text, envelope_, kTextBytes + 1);
    frame_.text[n] = '\0';
  }

  // A refused request leaves frame length 0, which no real frame has.
  unsigned int length = usable ? static_cast<unsigned int>(n + 4) : 0;
  if (check_endian() != 0) length = swap32(length);
  unsigned char* base = reinterpret_cast<unsigned char*>(&frame_);
  std::memcpy(base + offsetof(FrameBytes, length), &length, sizeof(length));

  return usable ? static_cast<unsigned int>(n + 5) : 0;
}

char* ReqPkt::Frame() { return reinterpret_cast<char*>(&frame_); }

}  // namespace QM
