// The optimal schedule as a Gantt chart: a standalone SVG document with one
// row per activity in file order (or by start time), the bars at their start
// times, the binding relations of the final tree as start-to-start
// connectors, each its own element with a title, the deadline and a time
// axis that ends a little after the deadline or the last finish. Activities postponed without limit
// get a stub and an arrow to the right edge instead of a bar. An instance that was not solved gives
// a small card with its status and reason.
//
// The rows shrink with the number of activities (to a floor), and labels and
// ticks thin out, so the chart stays readable and compact from a handful to
// a thousand activities.
//
// An instance with renewable resources gets, under the plot and on its time
// scale, one band per resource with its use over time, its capacity line and
// the use above the capacity marked; each band is a group titled "resource
// k: peak P of capacity C" (k from 1). Charts of instances without resources
// have none of this.
#ifndef MAXNPV_GANTT_H
#define MAXNPV_GANTT_H

#include <cstddef>
#include <string>

#include "report/schedule.h"

// The order of the rows: as the file lists the activities, or by start time
// (ties in file order, activities postponed without limit last).
enum class ganttorder { file, start };

// Which binding relations are drawn: all, none, or all up to autoarcslimit
// activities and none above (where they only form a thicket).
enum class ganttarcs { automatic, all, none };

constexpr std::size_t autoarcslimit = 300;

struct ganttoptions {
    ganttorder order = ganttorder::file;
    ganttarcs arcs = ganttarcs::automatic;
};

std::string schedsvg(const schedreport &r, const ganttoptions &opt = ganttoptions());

// Text as SVG character data or an attribute value: the five markup
// characters as entities, what XML 1.0 cannot hold as U+FFFD, line breaks and
// tabs as blanks.
std::string svgtext(const std::string &s);

#endif
