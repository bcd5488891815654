// A bound on element nesting checked on the raw text, before the recursive
// XML parser sees it: the parser's stack use grows with the depth, so a
// deeply nested file would overflow the stack instead of being reported.
#ifndef QMSIM_MARKUP_DEPTH_H
#define QMSIM_MARKUP_DEPTH_H

#include <string>

namespace qmsim {

// Deepest element nesting a scenario may have (the format uses three
// levels: scenario, camera, file or motion).
constexpr int kMaxScenarioDepth = 32;

// Scans text for start and end tags (skipping comments, CDATA sections,
// declarations and processing instructions, and quoted attribute values) and
// returns true when no element opens deeper than max_depth. Otherwise returns
// false and stores in *line (from 1) the line of the first start tag beyond
// the bound. Malformed markup is left to the parser; the count never comes
// out lower than the nesting the parser would reach.
bool NestingWithin(const std::string& text, int max_depth, int* line);

}  // namespace qmsim

#endif  // QMSIM_MARKUP_DEPTH_H
