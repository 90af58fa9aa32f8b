// Layout: a fixed canvas with the plot on the left and the legend in a
// column on the right. Both axes get ticks at a whole step of 1, 2 or 5
// times a power of ten, about ticktarget of them; the vertical range is
// widened to whole steps, the horizontal one is the range of the points.
// Each series is one group with a title, its line a path of one or more
// runs of consecutive points that have a value; with few points in all,
// every point also gets a dot with a title that gives its values.
#include "report/linechart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "report/gantt.h"

namespace {

constexpr double width = 800;           // px, the whole canvas
constexpr double height = 480;          // px
constexpr double plotleft = 90;         // left edge of the plot: room for tick labels
constexpr double plottop = 50;          // under the title
constexpr double plotright = 600;       // right edge of the plot; the legend is beyond it
constexpr double plotbottom = 410;      // above the tick labels and the axis label
constexpr double titley = 28;           // baseline of the title
constexpr double xlabely = 455;         // baseline of the horizontal axis label
constexpr double ylabelx = 22;          // baseline of the turned vertical axis label
constexpr double ticklength = 5;        // px
constexpr double legendx = 620;         // left edge of the legend's swatches
constexpr double legendtop = 60;        // top of the first legend line
constexpr double legendline = 20;       // px per legend line
constexpr double swatch = 18;           // length of a legend swatch
constexpr double dotradius = 2.5;       // px
constexpr int ticktarget = 6;           // ticks wanted per axis
constexpr std::size_t mostdots = 400;   // points drawn as titled dots up to this many in all
constexpr std::size_t legendchars = 22; // a legend text is cut after this many characters

const char *const palette[] = {"#1f77b4", "#d62728", "#2ca02c", "#ff7f0e",
                               "#9467bd", "#8c564b", "#e377c2", "#17becf"};
constexpr std::size_t palettesize = sizeof palette / sizeof palette[0];

std::string num(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    return buf;
}

// A tick step of 1, 2 or 5 times a power of ten that cuts span into about
// ticktarget parts.
double tickstep(double span) {
    const double raw = span / ticktarget;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0})
        if (m * power >= raw) return m * power;
    return 10 * power;
}

// A tick value with as many decimals as the step needs.
std::string ticktext(double v, double step) {
    const int decimals = std::max(0, (int)-std::floor(std::log10(step) + 1e-9));
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.*f", std::min(decimals, 12),
                  std::fabs(v) < step / 2 ? 0.0 : v);
    return buf;
}

// An axis: its range and tick step.
struct axis {
    double lo, hi, step;
};

axis makeaxis(double lo, double hi, bool widen) {
    if (!(hi > lo)) {
        const double pad = lo == 0 ? 1 : std::fabs(lo) * 0.1;
        lo -= pad, hi += pad;
    }
    axis a{lo, hi, tickstep(hi - lo)};
    if (widen) {
        a.lo = std::floor(lo / a.step) * a.step;
        a.hi = std::ceil(hi / a.step) * a.step;
    }
    return a;
}

} // namespace

std::string linechart(const chartlabels &labels, const std::vector<chartseries> &series) {
    double xlo = HUGE_VAL, xhi = -HUGE_VAL, ylo = HUGE_VAL, yhi = -HUGE_VAL;
    std::size_t points = 0;
    for (const chartseries &s : series)
        for (std::size_t k = 0; k < s.x.size(); k++) {
            xlo = std::min(xlo, s.x[k]), xhi = std::max(xhi, s.x[k]);
            if (k < s.has.size() && s.has[k] && k < s.y.size())
                ylo = std::min(ylo, s.y[k]), yhi = std::max(yhi, s.y[k]), points++;
        }
    if (xlo > xhi) xlo = 0, xhi = 1;
    if (ylo > yhi) ylo = 0, yhi = 1;
    const axis ax = makeaxis(xlo, xhi, false), ay = makeaxis(ylo, yhi, true);
    auto px = [&](double x) {
        return plotleft + (x - ax.lo) / (ax.hi - ax.lo) * (plotright - plotleft);
    };
    auto py = [&](double y) {
        return plotbottom - (y - ay.lo) / (ay.hi - ay.lo) * (plotbottom - plottop);
    };

    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                      num(width) + "\" height=\"" + num(height) + "\" viewBox=\"0 0 " + num(width) +
                      " " + num(height) + "\" font-family=\"sans-serif\" font-size=\"12\">\n";
    out += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
    out += "<text class=\"title\" x=\"" + num((plotleft + plotright) / 2) + "\" y=\"" +
           num(titley) + "\" text-anchor=\"middle\" font-size=\"15\">" + svgtext(labels.title) +
           "</text>\n";

    // Grid, ticks and tick labels.
    out += "<g class=\"grid\" stroke=\"#dddddd\">\n";
    std::string ticks;
    for (double k = std::ceil(ax.lo / ax.step - 1e-9); k * ax.step <= ax.hi + ax.step * 1e-9; k++) {
        const double x = px(k * ax.step);
        out += "<line x1=\"" + num(x) + "\" y1=\"" + num(plottop) + "\" x2=\"" + num(x) +
               "\" y2=\"" + num(plotbottom) + "\"/>\n";
        ticks += "<text class=\"xtick\" x=\"" + num(x) + "\" y=\"" +
                 num(plotbottom + ticklength + 13) + "\" text-anchor=\"middle\">" +
                 svgtext(ticktext(k * ax.step, ax.step)) + "</text>\n";
    }
    for (double k = std::round(ay.lo / ay.step); k * ay.step <= ay.hi + ay.step * 1e-9; k++) {
        const double y = py(k * ay.step);
        out += "<line x1=\"" + num(plotleft) + "\" y1=\"" + num(y) + "\" x2=\"" + num(plotright) +
               "\" y2=\"" + num(y) + "\"/>\n";
        ticks += "<text class=\"ytick\" x=\"" + num(plotleft - ticklength - 3) + "\" y=\"" +
                 num(y + 4) + "\" text-anchor=\"end\">" + svgtext(ticktext(k * ay.step, ay.step)) +
                 "</text>\n";
    }
    out += "</g>\n" + ticks;
    out += "<rect class=\"frame\" x=\"" + num(plotleft) + "\" y=\"" + num(plottop) + "\" width=\"" +
           num(plotright - plotleft) + "\" height=\"" + num(plotbottom - plottop) +
           "\" fill=\"none\" stroke=\"#333333\"/>\n";
    out += "<text class=\"xlabel\" x=\"" + num((plotleft + plotright) / 2) + "\" y=\"" +
           num(xlabely) + "\" text-anchor=\"middle\">" + svgtext(labels.xlabel) + "</text>\n";
    out += "<text class=\"ylabel\" transform=\"translate(" + num(ylabelx) + " " +
           num((plottop + plotbottom) / 2) + ") rotate(-90)\" text-anchor=\"middle\">" +
           svgtext(labels.ylabel) + "</text>\n";

    // The lines, broken where a point has no value.
    for (std::size_t s = 0; s < series.size(); s++) {
        const chartseries &c = series[s];
        const char *colour = palette[s % palettesize];
        out += "<g class=\"series\" stroke=\"" + std::string(colour) + "\" fill=\"" + colour +
               "\">\n<title>" + svgtext(c.label) + "</title>\n";
        std::string d;
        const std::size_t n = std::min({c.x.size(), c.y.size(), c.has.size()});
        for (std::size_t k = 0; k < n; k++) {
            if (!c.has[k]) continue;
            const bool joined = k > 0 && c.has[k - 1];
            const bool alone = !joined && (k + 1 >= n || !c.has[k + 1]);
            if (alone)
                out += "<circle class=\"alone\" cx=\"" + num(px(c.x[k])) + "\" cy=\"" +
                       num(py(c.y[k])) + "\" r=\"" + num(dotradius) + "\"/>\n";
            else
                d += std::string(joined ? " L" : (d.empty() ? "M" : " M")) + num(px(c.x[k])) + " " +
                     num(py(c.y[k]));
        }
        if (!d.empty())
            out += "<path class=\"line\" fill=\"none\" stroke-width=\"1.5\" d=\"" + d + "\"/>\n";
        if (points <= mostdots)
            for (std::size_t k = 0; k < n; k++)
                if (c.has[k]) {
                    char value[96];
                    std::snprintf(value, sizeof value, "%s: %.10g, %.10g", c.label.c_str(), c.x[k],
                                  c.y[k]);
                    out += "<circle class=\"point\" cx=\"" + num(px(c.x[k])) + "\" cy=\"" +
                           num(py(c.y[k])) + "\" r=\"" + num(dotradius) + "\"><title>" +
                           svgtext(value) + "</title></circle>\n";
                }
        out += "</g>\n";
    }

    // The legend.
    out += "<g class=\"legend\">\n";
    for (std::size_t s = 0; s < series.size(); s++) {
        const double y = legendtop + legendline * (double)s;
        std::string label = series[s].label;
        if (label.size() > legendchars) label = label.substr(0, legendchars - 3) + "...";
        out += "<line x1=\"" + num(legendx) + "\" y1=\"" + num(y) + "\" x2=\"" +
               num(legendx + swatch) + "\" y2=\"" + num(y) + "\" stroke=\"" +
               palette[s % palettesize] + "\" stroke-width=\"3\"/>\n";
        out += "<text x=\"" + num(legendx + swatch + 6) + "\" y=\"" + num(y + 4) + "\">" +
               svgtext(label) + "</text>\n";
    }
    out += "</g>\n</svg>\n";
    return out;
}
