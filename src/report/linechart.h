// A line chart as a standalone SVG document, drawn by hand: a title, a plot
// area with grid lines and tick labels on both axes, an axis label under the
// horizontal and beside the vertical axis, one polyline per series and a
// legend that names each series in its colour. Every text is escaped.
//
// A series may have gaps (points without a value, such as a deadline without
// a feasible schedule): the line breaks there, and a point with no
// neighbour of its own is drawn as a dot.
#ifndef MAXNPV_LINECHART_H
#define MAXNPV_LINECHART_H

#include <string>
#include <vector>

struct chartseries {
    std::string label;     // the legend's text
    std::vector<double> x; // per point, its horizontal value
    std::vector<double> y; // per point, its vertical value (when has)
    std::vector<bool> has; // per point, whether it has a value
};

struct chartlabels {
    std::string title;  // above the plot
    std::string xlabel; // under the horizontal axis
    std::string ylabel; // beside the vertical axis, turned
};

std::string linechart(const chartlabels &labels, const std::vector<chartseries> &series);

#endif
