#include "timeline_svg.h"

#include <tinyxml.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <utility>

namespace qmctl {

namespace {

constexpr double kRightMargin = 20.0;
constexpr double kLanesTop = 84.0;
constexpr double kLaneHeight = 22.0;
constexpr double kLaneGap = 10.0;
constexpr double kSecondsPerHour = 3600.0;

const char kStyle[] =
    "text{font-family:sans-serif;fill:#1a202c}"
    ".title{font-size:16px;font-weight:bold}.subtitle,.label,.tick-label,.note{font-size:12px}"
    ".tick-label{text-anchor:middle;fill:#4a5568}.tick{stroke:#cbd5e0;stroke-width:1}"
    ".track{fill:#f7fafc;stroke:#e2e8f0}"
    ".bar{fill:#2b6cb0;stroke:#2b6cb0;stroke-width:0.5}"
    ".bar.motion{fill:#dd6b20;stroke:#dd6b20}"
    ".gap{fill:#feb2b2;fill-opacity:0.6}"
    ".change{stroke:#6b46c1;stroke-width:1.5;stroke-dasharray:4 3}.note{fill:#6b46c1}";

// A coordinate or length: three decimals at most, no trailing zeros.
std::string Number(double value) {
  char text[48];
  std::snprintf(text, sizeof text, "%.3f", value);
  std::string s = text;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s == "-0" ? "0" : s;
}

// Appends a child element (TinyXML copies it; the document owns the copy).
TiXmlElement* Add(TiXmlNode* parent, const char* name) {
  return parent->InsertEndChild(TiXmlElement(name))->ToElement();
}

TiXmlElement* AddText(TiXmlNode* parent, const char* name, const std::string& text) {
  TiXmlElement* element = Add(parent, name);
  element->InsertEndChild(TiXmlText(text));
  return element;
}

void Set(TiXmlElement* element, const char* name, double value) {
  element->SetAttribute(name, Number(value));
}

// A <text> of class `css` at (x, y).
TiXmlElement* AddLabel(TiXmlNode* parent, const char* css, const std::string& text, double x,
                       double y) {
  TiXmlElement* label = AddText(parent, "text", text);
  label->SetAttribute("class", css);
  Set(label, "x", x);
  Set(label, "y", y);
  return label;
}

// An element `name` of class `css` with numeric attributes.
TiXmlElement* AddShape(TiXmlNode* parent, const char* name, const char* css,
                       std::initializer_list<std::pair<const char*, double>> attributes) {
  TiXmlElement* shape = Add(parent, name);
  shape->SetAttribute("class", css);
  for (const auto& attribute : attributes) Set(shape, attribute.first, attribute.second);
  return shape;
}

// A vertical <line> of class `css` at x from y1 to y2.
TiXmlElement* AddVertical(TiXmlNode* parent, const char* css, double x, double y1, double y2) {
  return AddShape(parent, "line", css, {{"x1", x}, {"x2", x}, {"y1", y1}, {"y2", y2}});
}

// Maps instants onto the axis.
class Axis {
 public:
  explicit Axis(const Timeline& t) : start_(t.start), end_(t.end) {}
  double X(time_t t) const {
    const time_t clipped = std::min(std::max(t, start_), end_);
    return kTimelineLeft + static_cast<double>(clipped - start_) * kTimelineHourWidth / kSecondsPerHour;
  }
  double Right() const { return X(end_); }
  // The rect of an inclusive span: x and width; false when it lies off the axis.
  bool Place(const InstantSpan& span, double* x, double* width) const {
    if (span.end < start_ || span.start >= end_ || span.end < span.start) return false;
    *x = X(span.start);
    *width = X(span.end + 1) - *x;
    return true;
  }

 private:
  time_t start_;
  time_t end_;
};

TiXmlElement* AddRect(TiXmlNode* parent, const char* css, double x, double y, double width,
                      double height) {
  return AddShape(parent, "rect", css, {{"x", x}, {"y", y}, {"width", width}, {"height", height}});
}

void AddLane(TiXmlElement* svg, const Axis& axis, const TimelineLane& lane, double y) {
  TiXmlElement* group = Add(svg, "g");
  group->SetAttribute("id", "lane-" + lane.id);
  AddLabel(group, "label", lane.label, 8, y + kLaneHeight * 0.7);
  AddRect(group, "track", kTimelineLeft, y, axis.Right() - kTimelineLeft, kLaneHeight);

  std::vector<TimelineBar> bars = lane.bars;
  std::stable_sort(bars.begin(), bars.end(), [](const TimelineBar& a, const TimelineBar& b) {
    return a.span.start < b.span.start;
  });
  if (lane.mark_gaps) {
    for (size_t i = 1; i < bars.size(); ++i) {
      const InstantSpan gap{bars[i - 1].span.end + 1, bars[i].span.start - 1};
      double x = 0;
      double width = 0;
      if (gap.end < gap.start || !axis.Place(gap, &x, &width)) continue;
      TiXmlElement* rect = AddRect(group, "gap", x, y, width, kLaneHeight);
      AddText(rect, "title", "gap of " + std::to_string(gap.end - gap.start + 1) + " s");
    }
  }
  for (const TimelineBar& bar : bars) {
    double x = 0;
    double width = 0;
    if (!axis.Place(bar.span, &x, &width)) continue;
    TiXmlElement* rect =
        AddRect(group, bar.second_colour ? "bar motion" : "bar", x, y + 2, width, kLaneHeight - 4);
    AddText(rect, "title", bar.tooltip);
  }
}

void AddLegend(TiXmlElement* svg, double y) {
  TiXmlElement* group = Add(svg, "g");
  group->SetAttribute("id", "legend");
  const struct {
    const char* css;
    const char* text;
  } kItems[] = {{"bar", "recorded, file, interval"}, {"bar motion", "motion"}, {"gap", "gap"}};
  double x = kTimelineLeft;
  for (const auto& item : kItems) {
    AddRect(group, item.css, x, y - 10, 14, 10);
    AddLabel(group, "label", item.text, x + 18, y);
    x += 48 + 7 * std::strlen(item.text);
  }
}

}  // namespace

std::string TimelineSvg(const Timeline& timeline) {
  const Axis axis(timeline);
  const double lanes_bottom =
      kLanesTop + static_cast<double>(timeline.lanes.size()) * (kLaneHeight + kLaneGap);
  const double width = axis.Right() + kRightMargin;
  const double height = lanes_bottom + 56;

  TiXmlDocument document;
  document.InsertEndChild(TiXmlDeclaration("1.0", "UTF-8", ""));
  TiXmlElement* svg = Add(&document, "svg");
  svg->SetAttribute("xmlns", "http://www.w3.org/2000/svg");
  Set(svg, "width", width);
  Set(svg, "height", height);
  svg->SetAttribute("viewBox", "0 0 " + Number(width) + " " + Number(height));
  AddText(svg, "title", timeline.title);
  AddText(svg, "style", kStyle);
  TiXmlElement* background = AddRect(svg, "background", 0, 0, width, height);
  background->SetAttribute("fill", "#ffffff");
  AddLabel(svg, "title", timeline.title, 8, 24);
  AddLabel(svg, "subtitle", timeline.subtitle, 8, 46);

  TiXmlElement* ticks = Add(svg, "g");
  ticks->SetAttribute("id", "axis");
  for (const TimelineMark& tick : timeline.ticks) {
    const double x = axis.X(tick.at);
    AddVertical(ticks, "tick", x, kLanesTop - 4, lanes_bottom - kLaneGap + 4);
    AddLabel(ticks, "tick-label", tick.label, x, kLanesTop - 8);
  }

  double y = kLanesTop;
  for (const TimelineLane& lane : timeline.lanes) {
    AddLane(svg, axis, lane, y);
    y += kLaneHeight + kLaneGap;
  }

  TiXmlElement* changes = Add(svg, "g");
  changes->SetAttribute("id", "changes");
  for (const TimelineMark& change : timeline.changes) {
    const double x = axis.X(change.at);
    TiXmlElement* line = AddVertical(changes, "change", x, kLanesTop - 22, lanes_bottom - kLaneGap + 6);
    AddText(line, "title", change.label);
    AddLabel(changes, "note", change.label, x + 4, kLanesTop - 22);
  }
  AddLegend(svg, lanes_bottom + 18);

  TiXmlPrinter printer;
  printer.SetIndent("  ");
  document.Accept(&printer);
  return printer.Str();
}

bool WriteSvgFile(const std::string& path, const std::string& svg, std::string* error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out) out.write(svg.data(), static_cast<std::streamsize>(svg.size()));
  if (out) out.close();
  if (!out) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace qmctl
