#include "dotnet_xml.h"

#include "dataset_reply.h"

namespace qmsim {
namespace {

const char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n";
const char kObjectNamespaces[] =
    " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
    " xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" xmlns=\"http://tempuri.org/\"";
const char kDiffgram[] =
    "<diffgr:diffgram xmlns:msdata=\"urn:schemas-microsoft-com:xml-msdata\" "
    "xmlns:diffgr=\"urn:schemas-microsoft-com:xml-diffgram-v1\"";

// Appends one line at `depth` levels of indentation.
void Line(std::string* doc, int depth, const std::string& text) {
  doc->append(static_cast<std::size_t>(depth) * 2, ' ');
  *doc += text;
  *doc += "\r\n";
}

// <name>text</name>, or <name /> for an empty text.
std::string Element(const std::string& name, const std::string& text) {
  if (text.empty()) return "<" + name + " />";
  return "<" + name + ">" + XmlEscape(text) + "</" + name + ">";
}

void AppendFields(std::string* doc, int depth, const Fields& fields) {
  for (const auto& field : fields) Line(doc, depth, Element(field.first, field.second));
}

void AppendEntries(std::string* doc, int depth, const FieldList& list) {
  for (const Fields& entry : list.entries) {
    Line(doc, depth, "<" + list.item + ">");
    AppendFields(doc, depth + 1, entry);
    Line(doc, depth, "</" + list.item + ">");
  }
}

// The elements around the column list of a DataSet's inline schema,
// outermost first (each is closed again in reverse order).
const char kSchemaRoot[] =
    "<xs:schema id=\"NewDataSet\" xmlns=\"\" xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
    "xmlns:msdata=\"urn:schemas-microsoft-com:xml-msdata\">";
const char* const kSchemaLevels[] = {
    kSchemaRoot,
    "<xs:element name=\"NewDataSet\" msdata:IsDataSet=\"true\" msdata:UseCurrentLocale=\"true\">",
    "<xs:complexType>",
    "<xs:choice minOccurs=\"0\" maxOccurs=\"unbounded\">",
    "<xs:element name=\"Table\">",
    "<xs:complexType>",
    "<xs:sequence>",
};

void AppendSchema(std::string* doc, const std::vector<Column>& columns) {
  const int levels = static_cast<int>(sizeof kSchemaLevels / sizeof kSchemaLevels[0]);
  for (int i = 0; i < levels; ++i) Line(doc, i + 1, kSchemaLevels[i]);
  for (const Column& c : columns) {
    Line(doc, levels + 1, std::string("<xs:element name=\"") + c.name + "\" type=\"" + c.type +
                              "\" minOccurs=\"0\" />");
  }
  for (int i = levels - 1; i >= 0; --i) {
    const std::string open = kSchemaLevels[i];
    Line(doc, i + 1, "</" + open.substr(1, open.find_first_of(" >") - 1) + ">");
  }
}

}  // namespace

std::string ObjectDocument(const std::string& root, const Fields& fields,
                           const FieldList* list) {
  std::string doc = kDeclaration;
  Line(&doc, 0, "<" + root + kObjectNamespaces + ">");
  AppendFields(&doc, 1, fields);
  if (list && list->name.empty()) AppendEntries(&doc, 1, *list);
  if (list && !list->name.empty()) {
    Line(&doc, 1, "<" + list->name + ">");
    AppendEntries(&doc, 2, *list);
    Line(&doc, 1, "</" + list->name + ">");
  }
  Line(&doc, 0, "</" + root + ">");
  return doc;
}

std::string NilDocument(const std::string& root) {
  return std::string(kDeclaration) + "<" + root + kObjectNamespaces + " xsi:nil=\"true\" />\r\n";
}

std::string BooleanDocument(bool value) {
  return std::string(kDeclaration) + "<boolean xmlns=\"http://tempuri.org/\">" +
         (value ? "true" : "false") + "</boolean>\r\n";
}

std::string DataSetDocument(const std::vector<Column>& columns,
                            const std::vector<std::vector<std::string>>& rows) {
  std::string doc = kDeclaration;
  Line(&doc, 0, "<DataSet xmlns=\"http://tempuri.org/\">");
  AppendSchema(&doc, columns);
  if (rows.empty()) {
    Line(&doc, 1, std::string(kDiffgram) + " />");
  } else {
    Line(&doc, 1, std::string(kDiffgram) + ">");
    Line(&doc, 2, "<NewDataSet xmlns=\"\">");
    for (std::size_t r = 0; r < rows.size(); ++r) {
      Line(&doc, 3, "<Table diffgr:id=\"Table" + std::to_string(r + 1) +
                        "\" msdata:rowOrder=\"" + std::to_string(r) + "\">");
      for (std::size_t c = 0; c < columns.size() && c < rows[r].size(); ++c) {
        if (!rows[r][c].empty()) Line(&doc, 4, Element(columns[c].name, rows[r][c]));
      }
      Line(&doc, 3, "</Table>");
    }
    Line(&doc, 2, "</NewDataSet>");
    Line(&doc, 1, "</diffgr:diffgram>");
  }
  Line(&doc, 0, "</DataSet>");
  return doc;
}

}  // namespace qmsim
