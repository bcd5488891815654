#include "bench/common/day_model.h"

#include <cstdio>

namespace qmbench {

const wchar_t kQueryDate[] = L"05.07.2013";
const char kDay[] = "2013-05-07";
const char kSuffix[] = "-04:00";

namespace {

const int kSecondsPerDay = 86400;
// Unrecorded seconds at the end of every interval period: more than two
// minutes, so that at least one whole minute of each gap stays unflagged.
const int kIntervalGap = 170;
// Seconds between the end of one file and the start of the next.
const int kFileSpacing = 2;

const char kDataSetOpen[] =
    "<DataSet><diffgr:diffgram "
    "xmlns:msdata=\"urn:schemas-microsoft-com:xml-msdata\" "
    "xmlns:diffgr=\"urn:schemas-microsoft-com:xml-diffgram-v1\"><NewDataSet>";
const char kDataSetClose[] = "</NewDataSet></diffgr:diffgram></DataSet>";

void AppendField(std::string& doc, const char* name, const std::string& value) {
  doc += '<';
  doc += name;
  doc += '>';
  doc += value;
  doc += "</";
  doc += name;
  doc += '>';
}

void AppendRowOpen(std::string& doc, size_t row) {
  doc += "<Table diffgr:id=\"Table" + std::to_string(row + 1) +
         "\" msdata:rowOrder=\"" + std::to_string(row) + "\">";
}

std::string FileName(size_t index, const Span& span) {
  char name[96];
  std::snprintf(name, sizeof name,
                "D:\\VideoStore\\Camera12\\2013-05-07\\12_20130507_%02d%02d%02d_%zu.vid",
                span.start / 3600, span.start / 60 % 60, span.start % 60,
                index + 1);
  return name;
}

}  // namespace

DaySize ScaledDay(unsigned int scale) {
  DaySize size;
  size.files *= scale;
  size.motions *= scale;
  return size;
}

Day MakeDay(const DaySize& size) {
  Day day;
  const int intervals = size.intervals == 0 ? 1 : static_cast<int>(size.intervals);
  const int period = kSecondsPerDay / intervals;
  const int span = period - kIntervalGap;
  const int files = static_cast<int>(size.files);
  for (int k = 0; k < intervals; ++k) {
    const int count = files / intervals + (k < files % intervals ? 1 : 0);
    if (count == 0) continue;
    const int length = span / count;
    for (int i = 0; i < count; ++i) {
      const int start = k * period + i * length;
      day.files.push_back({start, start + length - 1 - kFileSpacing});
    }
  }
  const int motions = static_cast<int>(size.motions);
  for (int m = 0; m < motions; ++m) {
    // Starts from 00:00:07 on, so that the last motion (at most 11 seconds)
    // still ends within the day.
    const long long start =
        7 + static_cast<long long>(m) * (kSecondsPerDay - 20) / motions;
    day.motions.push_back(
        {static_cast<int>(start), static_cast<int>(start) + 3 + m % 9});
  }
  return day;
}

std::string WallText(int second_of_day, const char* suffix) {
  char text[64];
  std::snprintf(text, sizeof text, "%sT%02d:%02d:%02d%s", kDay,
                second_of_day / 3600, second_of_day / 60 % 60,
                second_of_day % 60, suffix);
  return text;
}

std::vector<unsigned char> TrackerReply(const Day& day) {
  std::vector<unsigned char> bytes(192, 0);
  for (const Span& file : day.files) {
    for (int minute = file.start / 60; minute <= file.end / 60; ++minute) {
      const int hour = minute / 60;
      const int in_hour = minute % 60;
      bytes[static_cast<size_t>(hour * 8 + in_hour / 8)] |=
          static_cast<unsigned char>(1u << (in_hour % 8));
    }
  }
  return bytes;
}

std::string RecordingInfoReply(const Day& day) {
  std::string doc = kDataSetOpen;
  for (size_t i = 0; i < day.files.size(); ++i) {
    const Span& f = day.files[i];
    AppendRowOpen(doc, i);
    AppendField(doc, "CameraID", std::to_string(kCamera));
    AppendField(doc, "FileID", std::to_string(i + 1));
    AppendField(doc, "FileName", FileName(i, f));
    AppendField(doc, "StartTime", WallText(f.start, kSuffix));
    AppendField(doc, "EndTime", WallText(f.end, kSuffix));
    AppendField(doc, "RecordingType", "0");
    AppendField(doc, "TotalFrames", std::to_string((f.end - f.start) * 30));
    doc += "</Table>";
  }
  return doc + kDataSetClose;
}

std::string MotionInfoReply(const Day& day) {
  std::string doc = kDataSetOpen;
  for (size_t i = 0; i < day.motions.size(); ++i) {
    const Span& m = day.motions[i];
    AppendRowOpen(doc, i);
    AppendField(doc, "oCameraID", std::to_string(kCamera));
    AppendField(doc, "FileID", "0");
    AppendField(doc, "StartTime", WallText(m.start, kSuffix));
    AppendField(doc, "EndTime", WallText(m.end, kSuffix));
    doc += "</Table>";
  }
  return doc + kDataSetClose;
}

std::string Scenario(const Day& day) {
  std::string doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<scenario>\n";
  doc += "  <camera id=\"" + std::to_string(kCamera) + "\">\n";
  for (size_t i = 0; i < day.files.size(); ++i) {
    const Span& f = day.files[i];
    doc += "    <file id=\"" + std::to_string(i + 1) + "\" name=\"" +
           FileName(i, f) + "\" start=\"" + WallText(f.start, kSuffix) +
           "\" end=\"" + WallText(f.end, kSuffix) + "\" type=\"0\" frames=\"" +
           std::to_string((f.end - f.start) * 30) + "\"/>\n";
  }
  for (const Span& m : day.motions) {
    doc += "    <motion start=\"" + WallText(m.start, kSuffix) + "\" end=\"" +
           WallText(m.end, kSuffix) + "\"/>\n";
  }
  doc += "  </camera>\n</scenario>\n";
  return doc;
}

}  // namespace qmbench
