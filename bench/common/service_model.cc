// Synthetic service replies: camera directory (both forms), video files,
// presets, a file header with its frame table and a live stream.
#include "bench/common/service_model.h"

#include <cstdio>

namespace qmbench {

namespace {

const char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n";
const char kObjectNamespaces[] =
    " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
    " xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" xmlns=\"http://tempuri.org/\"";
const char kDataSetOpen[] =
    "<DataSet xmlns=\"http://tempuri.org/\">\r\n"
    "  <xs:schema id=\"NewDataSet\" xmlns=\"\" xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
    "xmlns:msdata=\"urn:schemas-microsoft-com:xml-msdata\">\r\n"
    "    <xs:element name=\"NewDataSet\" msdata:IsDataSet=\"true\">\r\n"
    "      <xs:complexType><xs:choice minOccurs=\"0\" maxOccurs=\"unbounded\">"
    "<xs:element name=\"Table\"/></xs:choice></xs:complexType>\r\n"
    "    </xs:element>\r\n"
    "  </xs:schema>\r\n"
    "  <diffgr:diffgram xmlns:msdata=\"urn:schemas-microsoft-com:xml-msdata\" "
    "xmlns:diffgr=\"urn:schemas-microsoft-com:xml-diffgram-v1\">\r\n"
    "    <NewDataSet xmlns=\"\">\r\n";
const char kDataSetClose[] = "    </NewDataSet>\r\n  </diffgr:diffgram>\r\n</DataSet>";

// `  ...<name>text</name>\r\n` at `indent` spaces.
void Field(std::string& doc, int indent, const char* name, const std::string& text) {
  doc.append(static_cast<size_t>(indent), ' ');
  doc += "<";
  doc += name;
  doc += ">" + text + "</";
  doc += name;
  doc += ">\r\n";
}

// "2013-05-07THH:MM:SS-04:00" for a second of the day (wrapping at midnight).
std::string Time(unsigned int second) {
  second %= 86400;
  char text[32];
  std::snprintf(text, sizeof text, "2013-05-07T%02u:%02u:%02u-04:00", second / 3600,
                second / 60 % 60, second % 60);
  return text;
}

void Le(std::vector<unsigned char>& out, unsigned long long value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

}  // namespace

std::string CameraArrayReply(unsigned int cameras) {
  std::string doc = kDeclaration;
  doc += "<ArrayOfCameraInformation";
  doc += kObjectNamespaces;
  doc += ">\r\n";
  for (unsigned int i = 1; i <= cameras; ++i) {
    const std::string n = std::to_string(i);
    doc += "  <CameraInformation>\r\n";
    Field(doc, 4, "ID", n);
    Field(doc, 4, "Name", "Camera " + n);
    Field(doc, 4, "IPAddress", "192.0.2." + std::to_string(i % 250 + 1));
    Field(doc, 4, "FrameWidth", "1920");
    Field(doc, 4, "FrameHeight", "1080");
    Field(doc, 4, "FrameRate", "25");
    Field(doc, 4, "FourCC", "H264");
    Field(doc, 4, "IsPTZ", i % 4 == 0 ? "true" : "false");
    Field(doc, 4, "Disabled", "false");
    Field(doc, 4, "Active", "true");
    Field(doc, 4, "Description", "Camera " + n + " over the yard");
    Field(doc, 4, "UserName", "viewer");
    Field(doc, 4, "Password", "cam-pass-" + n);
    Field(doc, 4, "HTTPPort", "80");
    Field(doc, 4, "RTSPPort", "554");
    Field(doc, 4, "RTPPort", "6970");
    Field(doc, 4, "RTCPPort", "6971");
    doc += "  </CameraInformation>\r\n";
  }
  return doc + "</ArrayOfCameraInformation>";
}

std::string CameraTableReply(unsigned int cameras) {
  std::string doc = std::string(kDeclaration) + kDataSetOpen;
  for (unsigned int i = 1; i <= cameras; ++i) {
    const std::string n = std::to_string(i);
    doc += "      <Table diffgr:id=\"Table" + n + "\" msdata:rowOrder=\"" +
           std::to_string(i - 1) + "\">\r\n";
    Field(doc, 8, "cameraID", n);
    Field(doc, 8, "cameraName", "Camera " + n);
    Field(doc, 8, "IPAddress", "192.0.2." + std::to_string(i % 250 + 1));
    doc += "      </Table>\r\n";
  }
  return doc + kDataSetClose;
}

std::string VideoFilesReply(unsigned int files) {
  std::string doc = std::string(kDeclaration) + kDataSetOpen;
  for (unsigned int i = 1; i <= files; ++i) {
    const std::string n = std::to_string(i);
    const unsigned int start = (i - 1) * 900;
    doc += "      <Table diffgr:id=\"Table" + n + "\" msdata:rowOrder=\"" +
           std::to_string(i - 1) + "\">\r\n";
    Field(doc, 8, "FileID", n);
    Field(doc, 8, "CameraID", "5");
    Field(doc, 8, "FileName",
          "D:\\VideoStore\\192.0.2.15-5\\2013-05-07\\5_" + std::to_string(100000 + i) + ".vid");
    Field(doc, 8, "StartTime", Time(start));
    Field(doc, 8, "EndTime", Time(start + 899));
    Field(doc, 8, "TotalFrames", "22475");
    Field(doc, 8, "RecordingType", std::to_string(i % 3));
    Field(doc, 8, "Flag", "0");
    Field(doc, 8, "FileManipulationStatus", "0");
    doc += "      </Table>\r\n";
  }
  return doc + kDataSetClose;
}

std::string PresetsReply(unsigned int presets) {
  std::string doc = kDeclaration;
  doc += "<ArrayOfIPCPreset";
  doc += kObjectNamespaces;
  doc += ">\r\n";
  for (unsigned int i = 1; i <= presets; ++i) {
    doc += "  <IPCPreset>\r\n";
    Field(doc, 4, "PresetID", std::to_string(i));
    Field(doc, 4, "PresetName", "Preset " + std::to_string(i));
    doc += "  </IPCPreset>\r\n";
  }
  return doc + "</ArrayOfIPCPreset>";
}

std::vector<unsigned char> FileHeaderReply(unsigned int frames) {
  std::vector<unsigned char> reply;
  Le(reply, 1, 4);      // header tag
  Le(reply, 501, 4);    // value at 4
  Le(reply, 25000, 4);  // rate in thousandths
  Le(reply, frames, 4);
  Le(reply, 5, 4);  // value at 16
  Le(reply, 0, 4);  // format kind 0: no kind-dependent fields
  Le(reply, 0, 2);  // no extension block
  Le(reply, 634000000000000000ULL, 8);
  for (unsigned int i = 1; i < frames; ++i) Le(reply, 40ULL * i, 4);
  return reply;
}

std::vector<unsigned char> LiveStream(unsigned int payload, size_t total) {
  std::vector<unsigned char> stream;
  stream.reserve(total + payload + 18);
  for (unsigned int frame = 0; stream.size() < total; ++frame) {
    Le(stream, 0, 2);
    Le(stream, 18ULL + payload, 4);
    Le(stream, frame, 4);      // value A
    stream.push_back(5);       // value B
    stream.push_back(frame % 25 == 0 ? 1 : 0);  // flag
    Le(stream, 1920, 2);
    Le(stream, 1080, 2);
    Le(stream, 25, 2);
    for (unsigned int j = 0; j < payload; ++j) stream.push_back(static_cast<unsigned char>(frame + j));
  }
  return stream;
}

}  // namespace qmbench
