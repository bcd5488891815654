// MakeRecTimes over fuzzed tracker rows, files and motions. Input: a zone
// selector byte, then lines, one character per byte:
//   R <row text>            a tracker interval row, normally N,START,END
//   F <start> <end>         a recording file
//   M <start> <end> [cam]   a motion period of camera `cam` (default 12)
//   f / m                   a null file / motion pointer in its list
// Other lines are ignored. Without an F or f line the file list is null;
// without an M or m line the motion list is null.
#include <boost/make_shared.hpp>
#include <string>
#include <vector>

#include "client/server.h"
#include "client/split.h"
#include "fuzz/fuzz_input.h"
#include "protocol/text_convert.h"

namespace {

struct Script {
  std::vector<std::wstring> rows;
  QM::RecFileList files;
  QM::RecMotionList motions;
};

Script ReadScript(const std::string& text) {
  Script script;
  for (const std::wstring& line : QM::split(string_to_wstring(text), L'\n')) {
    if (line.empty()) continue;
    const wchar_t tag = line[0];
    const std::wstring body = line.size() > 2 ? line.substr(2) : L"";
    const std::vector<std::wstring> words = QM::split(body, L' ');
    const std::wstring& start = words[0];
    const std::wstring end = words.size() > 1 ? words[1] : L"";
    if (tag == L'R') {
      script.rows.push_back(body);
    } else if (tag == L'F' || tag == L'f') {
      if (!script.files) script.files = boost::make_shared<std::vector<QM::RecFilePtr>>();
      QM::RecFilePtr file;
      if (tag == L'F') {
        file = boost::make_shared<QM::RecFile>(L"file");
        file->StartStr = start;
        file->EndStr = end;
      }
      script.files->push_back(file);
    } else if (tag == L'M' || tag == L'm') {
      if (!script.motions) {
        script.motions = boost::make_shared<std::vector<QM::RecMotionPtr>>();
      }
      QM::RecMotionPtr motion;
      if (tag == L'M') {
        const unsigned cam =
            words.size() > 2 ? static_cast<unsigned>(wcstoul(words[2].c_str(), nullptr, 10)) : 12;
        motion = boost::make_shared<QM::RecMotion>(cam);
        motion->StartStr = start;
        motion->EndStr = end;
      }
      script.motions->push_back(motion);
    }
  }
  return script;
}

size_t CountOf(const QM::RecFileList& list) { return list ? list->size() : 0; }
size_t CountOf(const QM::RecMotionList& list) { return list ? list->size() : 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qmfuzz::FuzzInput in(data, size);
  const qmfuzz::Zone& zone = qmfuzz::ZoneOf(in.Byte());
  qmfuzz::UseZone(zone);
  Script script = ReadScript(in.Rest());

  const QM::RecTimeList result =
      QM::Server::MakeRecTimes(12, script.rows, script.files, script.motions);
  FUZZ_CHECK(result);
  if (CountOf(script.files) == 0 || script.rows.empty()) {
    FUZZ_CHECK(result->empty());
    return 0;
  }
  // Each motion hands on at most every interval before it and one row per
  // interval it spans; what is left over goes out once more at the end.
  const size_t intervals = script.rows.size();
  FUZZ_CHECK(result->size() <= CountOf(script.motions) * 2 * intervals + intervals);
  for (size_t i = 0; i < result->size(); ++i) {
    const QM::RecTimePtr& row = (*result)[i];
    FUZZ_CHECK(row);
    FUZZ_CHECK(row->Idx == i + 1);
    FUZZ_CHECK(row->RecType <= 1);
    if (row->RecType == 0) FUZZ_CHECK(row->CamId == 12);
    FUZZ_CHECK(!row->StartFixed || row->RecType == 0);
    // Every time is the calendar time of its text, whether it was read
    // from the text or the text written from it (checked where the text
    // can show the year and local times convert back exactly).
    for (const auto& edge : {std::make_pair(row->Start, &row->StartStr),
                             std::make_pair(row->End, &row->EndStr)}) {
      struct tm local = {};
      if (!zone.fixed || localtime_r(&edge.first, &local) == nullptr ||
          local.tm_year < 1000 - 1900 || local.tm_year > 9999 - 1900) {
        continue;
      }
      time_t parsed = 0;
      QM::Server::ConvToTimeT(*edge.second, &parsed);
      FUZZ_CHECK(parsed == edge.first);
    }
  }
  return 0;
}
