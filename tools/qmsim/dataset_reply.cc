#include "dataset_reply.h"

namespace qmsim {
namespace {

const char kDataSetOpen[] =
    "<DataSet><diffgr:diffgram "
    "xmlns:msdata=\"urn:schemas-microsoft-com:xml-msdata\" "
    "xmlns:diffgr=\"urn:schemas-microsoft-com:xml-diffgram-v1\"><NewDataSet>";
const char kDataSetClose[] = "</NewDataSet></diffgr:diffgram></DataSet>";

// Appends <name>escaped value</name>.
void AppendField(std::string* doc, const char* name, const std::string& value) {
  *doc += '<';
  *doc += name;
  *doc += '>';
  *doc += XmlEscape(value);
  *doc += "</";
  *doc += name;
  *doc += '>';
}

// Appends the opening tag of row number `row` (0-based).
void AppendRowOpen(std::string* doc, std::size_t row) {
  *doc += "<Table diffgr:id=\"Table" + std::to_string(row + 1) +
          "\" msdata:rowOrder=\"" + std::to_string(row) + "\">";
}

}  // namespace

const char kLoginFailureDocument[] = "<string>Login Error</string>";

std::string XmlEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out += c;
    }
  }
  return out;
}

bool OverlapsWindow(WallSeconds start, WallSeconds end, WallSeconds window_start,
                    WallSeconds window_end) {
  return start < window_end && end >= window_start;
}

std::vector<const SimFile*> FilesInWindow(const SimCamera& camera,
                                          WallSeconds window_start,
                                          WallSeconds window_end) {
  std::vector<const SimFile*> selected;
  for (const SimFile& f : camera.files) {
    if (OverlapsWindow(f.start, f.end, window_start, window_end)) {
      selected.push_back(&f);
    }
  }
  return selected;
}

std::vector<const SimMotion*> MotionsInWindow(const SimCamera& camera,
                                              WallSeconds window_start,
                                              WallSeconds window_end) {
  std::vector<const SimMotion*> selected;
  for (const SimMotion& m : camera.motions) {
    if (OverlapsWindow(m.start, m.end, window_start, window_end)) {
      selected.push_back(&m);
    }
  }
  return selected;
}

std::string RecordingInfoDocument(std::uint32_t camera_id,
                                  const std::vector<const SimFile*>& files) {
  std::string doc = kDataSetOpen;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const SimFile& f = *files[i];
    AppendRowOpen(&doc, i);
    AppendField(&doc, "CameraID", std::to_string(camera_id));
    AppendField(&doc, "FileID", std::to_string(f.id));
    AppendField(&doc, "FileName", f.name);
    AppendField(&doc, "StartTime", f.start_text);
    AppendField(&doc, "EndTime", f.end_text);
    AppendField(&doc, "RecordingType", std::to_string(f.type));
    AppendField(&doc, "TotalFrames", std::to_string(f.frames));
    doc += "</Table>";
  }
  return doc + kDataSetClose;
}

std::string MotionInfoDocument(std::uint32_t camera_id,
                               const std::vector<const SimMotion*>& motions) {
  std::string doc = kDataSetOpen;
  for (std::size_t i = 0; i < motions.size(); ++i) {
    const SimMotion& m = *motions[i];
    AppendRowOpen(&doc, i);
    AppendField(&doc, "oCameraID", std::to_string(camera_id));
    AppendField(&doc, "FileID", std::to_string(m.file_id));
    AppendField(&doc, "StartTime", m.start_text);
    AppendField(&doc, "EndTime", m.end_text);
    doc += "</Table>";
  }
  return doc + kDataSetClose;
}

}  // namespace qmsim
