// Reading a timeline SVG back as XML: the bars of a lane with their place,
// size, class and tooltip.
#ifndef QM_TESTS_QMCTL_DAY_SVG_READER_H_
#define QM_TESTS_QMCTL_DAY_SVG_READER_H_

#include <tinyxml.h>

#include <string>
#include <vector>

namespace qmday {

struct SvgBar {
  std::string css;
  double x = 0, width = 0;
  std::string tooltip;
};

struct SvgPicture {
  bool parsed = false;
  double width = 0;
  std::string title;  // the svg element's <title>
  std::vector<std::string> ticks;
  std::vector<std::string> lanes;  // ids of the lane groups, in order
};

inline double NumberOf(const TiXmlElement* e, const char* name) {
  const char* v = e ? e->Attribute(name) : nullptr;
  return v ? std::stod(v) : -1;
}

inline std::string TextOf(const TiXmlElement* e) {
  return e && e->GetText() ? e->GetText() : "";
}

inline SvgPicture ReadPicture(const std::string& svg) {
  SvgPicture picture;
  TiXmlDocument document;
  document.Parse(svg.c_str());
  const TiXmlElement* root = document.RootElement();
  if (document.Error() || root == nullptr || root->ValueStr() != "svg") return picture;
  picture.parsed = true;
  picture.width = NumberOf(root, "width");
  picture.title = TextOf(root->FirstChildElement("title"));
  for (const TiXmlElement* g = root->FirstChildElement("g"); g; g = g->NextSiblingElement("g")) {
    const std::string id = g->Attribute("id") ? g->Attribute("id") : "";
    if (id.rfind("lane-", 0) == 0) picture.lanes.push_back(id.substr(5));
    if (id != "axis") continue;
    for (const TiXmlElement* t = g->FirstChildElement("text"); t; t = t->NextSiblingElement("text"))
      picture.ticks.push_back(TextOf(t));
  }
  return picture;
}

// The rects of class `kind` ("bar" also matches "bar motion") in the lane
// group "lane-<lane>".
inline std::vector<SvgBar> ReadBars(const std::string& svg, const std::string& lane,
                                    const std::string& kind = "bar") {
  std::vector<SvgBar> bars;
  TiXmlDocument document;
  document.Parse(svg.c_str());
  const TiXmlElement* root = document.RootElement();
  for (const TiXmlElement* g = root ? root->FirstChildElement("g") : nullptr; g;
       g = g->NextSiblingElement("g")) {
    if (!g->Attribute("id") || g->Attribute("id") != "lane-" + lane) continue;
    for (const TiXmlElement* r = g->FirstChildElement("rect"); r; r = r->NextSiblingElement("rect")) {
      const std::string css = r->Attribute("class") ? r->Attribute("class") : "";
      if (css.rfind(kind, 0) != 0) continue;
      bars.push_back(SvgBar{css, NumberOf(r, "x"), NumberOf(r, "width"),
                            TextOf(r->FirstChildElement("title"))});
    }
  }
  return bars;
}

}  // namespace qmday

#endif  // QM_TESTS_QMCTL_DAY_SVG_READER_H_
