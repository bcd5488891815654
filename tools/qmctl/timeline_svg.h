// The timeline picture as one self-contained SVG document, built as an XML
// document with TinyXML and written by its printer.
//
// Geometry (in SVG user units): the axis starts at kTimelineLeft and takes
// kTimelineHourWidth per hour of real time, so a 23- or 25-hour day is one
// hour narrower or wider than an ordinary one. A bar from instant s to
// instant e (inclusive) is a rect at x = kTimelineLeft + (s - start) *
// kTimelineHourWidth / 3600 with width (e + 1 - s) * kTimelineHourWidth /
// 3600, clipped to the axis; each lane is a group "lane-<id>" whose bars
// have class "bar" (or "bar motion") and a <title> child with the exact
// times; gaps between bars of a lane that marks them are rects of class
// "gap".
#pragma once

#include <string>

#include "timeline_model.h"

namespace qmctl {

constexpr double kTimelineLeft = 150.0;
constexpr double kTimelineHourWidth = 40.0;

// The SVG text of `timeline` (an XML declaration, then the svg element).
std::string TimelineSvg(const Timeline& timeline);

// Writes `svg` to `path` (created or truncated). False with `error` set
// ("cannot write PATH: reason") when it cannot be opened or written.
bool WriteSvgFile(const std::string& path, const std::string& svg, std::string* error);

}  // namespace qmctl
