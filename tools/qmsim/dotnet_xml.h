// XML replies written the way the .NET server writes them: an XML
// declaration, CR LF line ends and two-space indentation; serialized objects
// in the http://tempuri.org/ namespace with the xsi and xsd declarations; an
// empty text as a self-closing element; DataSets with their inline schema
// and a diffgram, an empty table being a self-closing diffgram.
#ifndef QMSIM_DOTNET_XML_H
#define QMSIM_DOTNET_XML_H

#include <string>
#include <utility>
#include <vector>

namespace qmsim {

// Element name and text of each field, in order; texts are escaped when
// written.
using Fields = std::vector<std::pair<std::string, std::string>>;

// A list inside a serialized object: <name> holding one <item> per entry.
// With an empty name the items sit directly in the document element (an
// ArrayOf... document).
struct FieldList {
  std::string name;
  std::string item;
  std::vector<Fields> entries;
};

// A serialized object: <root> with its fields, then the list when given.
std::string ObjectDocument(const std::string& root, const Fields& fields,
                           const FieldList* list = nullptr);

// A serialized null object: <root xsi:nil="true" />.
std::string NilDocument(const std::string& root);

// The text of a .NET Boolean return value: <boolean>true</boolean>.
std::string BooleanDocument(bool value);

// A DataSet column: its name and schema type ("xs:int", "xs:string",
// "xs:dateTime", "xs:long", "xs:boolean").
struct Column {
  const char* name;
  const char* type;
};

// A DataSet holding one table "Table" with the columns; each row gives the
// texts in column order (an empty text leaves the field out, as a DBNull).
std::string DataSetDocument(const std::vector<Column>& columns,
                            const std::vector<std::vector<std::string>>& rows);

}  // namespace qmsim

#endif  // QMSIM_DOTNET_XML_H
