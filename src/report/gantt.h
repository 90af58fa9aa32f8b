// The optimal schedule as a Gantt chart: a standalone SVG document with one
// row per activity in file order, the bars at their start times, the binding
// relations of the final tree as start-to-start connectors, the deadline and
// a time axis. Activities postponed without limit get a stub and an arrow to
// the right edge instead of a bar. An instance that was not solved gives a
// small card with its status and reason.
//
// The rows shrink with the number of activities (to a floor), and labels and
// ticks thin out, so the chart stays readable and compact from a handful to
// a thousand activities.
#ifndef MAXNPV_GANTT_H
#define MAXNPV_GANTT_H

#include <string>

#include "report/schedule.h"

std::string schedsvg(const schedreport &r);

#endif
