// Layout of the Gantt chart. The chart has a fixed width; from left to right
// it holds the activity labels, the plot area with the time axis above it and
// a zone for the activities postponed without limit. The time axis covers 0,
// every start and finish and the deadline; it starts at a whole tick step of
// 1, 2 or 5 times a power of ten and ends a small margin after the later of
// the deadline and the last finish, so the deadline stands near the right
// edge. Row heights follow the number of activities between a floor and a
// ceiling.
//
// Each binding relation is a path of its own, with a title that names it:
// a curve that leaves the start of its source's bar to the left and comes
// into the start of its target's bar from the left. Its course depends on
// both ends, so relations of different sources share no trunk and each reads
// as what it is even where many bars start at the same time.
//
// Each bar is one element with class "bar" (also on the postponed stubs)
// and a tooltip; bars of one colour share a group, which keeps a chart of a
// thousand activities near a quarter of a megabyte.
#include "report/gantt.h"

#include "platform/shown.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// ---------------------------------------------------------------- layout ---

constexpr double chartwidth = 1200;    // px
constexpr double margin = 16;          // outer margin on every side
constexpr double titley = 26;          // baseline of the title
constexpr double factsy = 45;          // baseline of the run data under it
constexpr double legendy = 68;         // middle of the legend
constexpr double plottop = 104;        // top of the plot, under the time axis labels
constexpr double ticklabelgap = 8;     // from a tick label's baseline to the plot
constexpr double overhang = 4;         // grid lines reach this far above the plot
constexpr double bottomaxisband = 26;  // room under the plot for the repeated axis
constexpr double minlabelcolumn = 60;  // least width of the activity label column
constexpr double labelpad = 24;        // label column beyond the widest number
constexpr double rowbudget = 900;      // the rows share this height until they hit a bound
constexpr double maxrow = 22;          // row height with few activities
constexpr double minrow = 3;           // row height floor with many activities
constexpr double barshare = 0.66;      // part of a row a bar fills
constexpr double labelspace = 12;      // least distance between two activity labels
constexpr double stripefrom = 8;       // rows at least this high get alternate shading
constexpr double arrowfrom = 6;        // rows at least this high get arrowheads on connectors
constexpr double minbarwidth = 1;      // a bar never gets thinner than this
constexpr double mindiamond = 2;       // least half-size of a zero-duration marker
constexpr double tickspace = 70;       // least distance between two tick labels
constexpr double charwidth = 6.5;      // width of a character at the label font, on the safe side
constexpr double legendchar = 5.9;     // average width of a character in the legend
constexpr double leftpad = 22;         // room between the labels and time tmin for connector hooks
constexpr double postzone = 130;       // width of the zone of postponed activities
constexpr double zonegap = 14;         // from the plot to the stubs in that zone
constexpr double stubwidth = 12;       // the bar stub of a postponed activity
constexpr double posttextfrom = 11;    // rows at least this high carry the word "postponed"
constexpr double postwordwidth = 62;   // room the word takes, gaps included
constexpr double bottomaxisfrom = 600; // plots taller than this repeat the axis below
constexpr double exactlimit = 1e15;    // tick values below this are printed in full
constexpr int maxshown = 120;          // characters of a name shown in the title
constexpr int reasonline = 110;        // characters per line of a reason
constexpr int reasonlines = 6;         // lines of a reason shown at most
constexpr double axismargin = 0.02;    // the axis runs this share of its range past its end
constexpr double bandbudget = 360;     // the resource bands share this height until ...
constexpr double maxband = 72;         // ... each is this high (few resources)
constexpr double minband = 36;         // or this low (many)
constexpr double bandgap = 10;         // between two resource bands
constexpr double bandpad = 6;          // room above the highest use or capacity in a band
constexpr double resourcehead = 30;    // the caption row above the bands

// ---------------------------------------------------------------- colours ---

const char positivecolour[] = "#2e7d32";
const char negativecolour[] = "#c62828";
const char zerocolour[] = "#8d8d8d";
const char relationcolour[] = "#455a64";
const char deadlinecolour[] = "#d81b60";
const char postponedcolour[] = "#ef6c00";
const char gridcolour[] = "#e3e3e3";
const char textcolour[] = "#222222";
const char mutedcolour[] = "#666666";
const char stripecolour[] = "#f5f7fa";
const char guidecolour[] = "#cfd8dc";
const char zerolinecolour[] = "#9e9e9e"; // time 0 when the axis starts before it
const char zonecolour[] = "#fff3e0";
const char usecolour[] = "#90a4ae";      // a resource's use
const char capacitycolour[] = "#37474f"; // its capacity line
const char overcolour[] = "#c62828";     // use above the capacity
const char bandcolour[] = "#fafafa";     // the background of a resource band

// ------------------------------------------------------------------ text ---

const char replacement[] = "\xef\xbf\xbd"; // U+FFFD
const char ellipsis[] = "\xe2\x80\xa6";    // U+2026

// A coordinate to one decimal, without locale dependence.
std::string px(double v) {
    long long tenths = std::llround(v * 10);
    std::string out = tenths < 0 ? "-" : "";
    unsigned long long a = tenths < 0 ? -(unsigned long long)tenths : tenths;
    out += std::to_string(a / 10);
    if (a % 10 != 0) out += '.' + std::to_string(a % 10);
    return out;
}

// Text content or attribute value: the markup characters as entities, and
// whatever XML 1.0 cannot hold (control characters, U+FFFE, U+FFFF, bytes
// outside well-formed UTF-8) as U+FFFD; line breaks and tabs become blanks.
// Longer texts than maxchars characters are cut with an ellipsis.
std::string xmltext(const std::string &s, std::size_t maxchars = std::string::npos) {
    std::string out;
    std::size_t chars = 0;
    for (std::size_t at = 0; at < s.size(); chars++) {
        if (chars == maxchars) {
            out += ellipsis;
            break;
        }
        unsigned code;
        std::size_t len = utf8seq(s, at, code);
        if (len == 0) {
            out += replacement;
            at++;
            continue;
        }
        if (code == '\t' || code == '\n' || code == '\r')
            out += ' ';
        else if (code < 0x20 || code == 0x7f || code == 0xfffe || code == 0xffff)
            out += replacement;
        else if (code == '&')
            out += "&amp;";
        else if (code == '<')
            out += "&lt;";
        else if (code == '>')
            out += "&gt;";
        else if (code == '"')
            out += "&quot;";
        else if (code == '\'')
            out += "&apos;";
        else
            out.append(s, at, len);
        at += len;
    }
    return out;
}

// Splits s into lines of at most width characters, at a blank where one is
// near the end; at most maxlines lines, the last one cut when text remains.
std::vector<std::string> wraptext(const std::string &s, std::size_t width, std::size_t maxlines) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < s.size() && lines.size() < maxlines) {
        std::size_t end = at, chars = 0, blank = std::string::npos;
        while (end < s.size() && chars < width) {
            unsigned code;
            std::size_t len = std::max<std::size_t>(utf8seq(s, end, code), 1);
            if (s[end] == ' ' && chars > width * 3 / 4) blank = end;
            end += len, chars++;
        }
        if (end < s.size() && blank != std::string::npos) end = blank + 1;
        if (lines.size() + 1 == maxlines && end < s.size()) {
            lines.push_back(xmltext(s.substr(at, end - at)) + ellipsis);
        } else {
            lines.push_back(xmltext(s.substr(at, end - at)));
        }
        at = end;
    }
    return lines;
}

// A money amount for the eye: cents, or all digits when it is that large.
std::string money(double v) {
    if (std::isnan(v)) return "nan";
    if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
    if (std::fabs(v) >= exactlimit) return shortestnum(v);
    return shortestnum(std::round(v * 100) / 100 + 0.0);
}

std::string timetext(double t) {
    if (std::fabs(t) >= exactlimit) return shortestnum(t);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.0f", t + 0.0);
    return buf;
}

// 1, 2 or 5 times a power of ten, at least raw and at least 1.
double nicestep(double raw) {
    if (!(raw > 1)) return 1;
    double mag = std::pow(10.0, std::floor(std::log10(raw)));
    for (double f : {1.0, 2.0, 5.0})
        if (f * mag >= raw) return f * mag;
    return 10 * mag;
}

// The first of 1, 2, 5, 10, 20, ... that is at least raw.
long long nicecount(double raw) {
    for (long long base = 1;; base *= 10)
        for (long long f : {1, 2, 5})
            if (f * base >= raw) return f * base;
}

// An arrowhead of a fixed size in the given colour, to end connectors.
std::string marker(const char *id, const char *colour) {
    return std::string("<marker id=\"") + id +
           "\" viewBox=\"0 0 8 8\" refX=\"8\" refY=\"4\" markerWidth=\"6\" markerHeight=\"6\" "
           "markerUnits=\"userSpaceOnUse\" orient=\"auto\"><path d=\"M0,0L8,4L0,8z\" fill=\"" +
           colour + "\"/></marker>";
}

std::string svghead(double height) {
    std::string w = px(chartwidth), h = px(height);
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
           w + "\" height=\"" + h + "\" viewBox=\"0 0 " + w + ' ' + h +
           "\" font-family=\"DejaVu Sans, Verdana, sans-serif\" font-size=\"11\" fill=\"" +
           textcolour + "\">\n<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
}

std::string textat(double x, double y, const std::string &text, const std::string &attrs = "") {
    return "<text x=\"" + px(x) + "\" y=\"" + px(y) + '"' + (attrs.empty() ? "" : " ") + attrs +
           '>' + text + "</text>\n";
}

std::string unsolvedcard(const schedreport &r) {
    std::vector<std::string> lines = wraptext(r.reason, reasonline, reasonlines);
    const double lineheight = 16, top = 74; // reason lines under title and status
    std::string out = svghead(top + lines.size() * lineheight + margin);
    out += "<title>" + xmltext(r.instance, maxshown) + ": " + xmltext(r.status, maxshown) +
           "</title>\n";
    out +=
        textat(margin, 28, xmltext(r.instance, maxshown), "font-size=\"15\" font-weight=\"bold\"");
    out += textat(margin, 52, "not solved: " + xmltext(r.status, maxshown),
                  std::string("font-size=\"13\" fill=\"") + negativecolour + '"');
    for (std::size_t k = 0; k < lines.size(); k++)
        out += textat(margin, top + k * lineheight, lines[k],
                      std::string("fill=\"") + mutedcolour + '"');
    return out + "</svg>\n";
}

// A diamond of half-size h centred at (x, y), as path data.
std::string diamond(double x, double y, double h) {
    return "M" + px(x) + ',' + px(y - h) + 'l' + px(h) + ',' + px(h) + 'l' + px(-h) + ',' + px(h) +
           'l' + px(-h) + ',' + px(-h) + 'z';
}

struct legendrow {
    double x, y;
    std::string out;
    void item(const std::string &symbol, const char *label) {
        out += "<g transform=\"translate(" + px(x) + ',' + px(y) + ")\">" + symbol +
               textat(18, 4, xmltext(label)) + "</g>\n";
        x += 18 + legendchar * std::char_traits<char>::length(label) + 22;
    }
};

// Where everything goes: the time scale and the rows.
struct chartlayout {
    std::size_t n = 0, postponed = 0;
    double tmin = 0, tmax = 0, step = 1; // the axis, rounded out to whole steps
    double labelleft = 0, plotleft = 0;  // activity labels end at plotleft
    double x0 = 0, plotright = 0;        // time tmin is at x0, tmax at plotright
    double halflabel = 0;                // a tick label reaches this far to each side
    double rowh = 0, barh = 0, plotbottom = 0;
    bool bottomaxis = false, arrows = false;

    double x(double t) const { return x0 + (t - tmin) / (tmax - tmin) * (plotright - x0); }
    double mid(std::size_t row) const { return plottop + rowh * (row + 0.5); }
};

chartlayout layoutof(const schedreport &r) {
    chartlayout c;
    c.n = r.activities.size();
    std::size_t digits = 1;
    for (const schedactivity &a : r.activities) {
        digits = std::max(digits, std::to_string(a.number).size());
        if (a.unbounded) {
            c.postponed++;
            continue;
        }
        c.tmin = std::min(c.tmin, (double)a.start);
        c.tmax = std::max(c.tmax, (double)a.start + (double)a.duration);
        c.tmax = std::max(c.tmax, (double)a.start);
    }
    if (r.hasdeadline) {
        c.tmin = std::min(c.tmin, (double)r.deadline);
        c.tmax = std::max(c.tmax, (double)r.deadline);
    }

    std::size_t labelchars = std::max(timetext(c.tmin).size(), timetext(c.tmax).size());
    c.halflabel = charwidth * labelchars / 2;
    c.plotleft = margin + std::max(minlabelcolumn, charwidth * digits + labelpad);
    c.x0 = c.plotleft + leftpad;
    c.plotright = chartwidth - margin - (c.postponed > 0 ? postzone : std::max(8.0, c.halflabel));
    double plotw = c.plotright - c.x0;
    double maxticks = std::max(1.0, std::floor(plotw / std::max(tickspace, 2 * c.halflabel + 20)));
    c.step = nicestep((c.tmax - c.tmin) / maxticks);
    c.tmin = std::floor(c.tmin / c.step) * c.step;
    c.tmax += std::max(1.0, axismargin * (c.tmax - c.tmin));
    if (c.tmax <= c.tmin) c.tmax = c.tmin + c.step;

    c.rowh = std::min(maxrow, std::max(minrow, rowbudget / std::max<std::size_t>(c.n, 1)));
    c.barh = c.rowh * barshare;
    c.plotbottom = plottop + c.rowh * c.n;
    c.bottomaxis = c.plotbottom - plottop > bottomaxisfrom;
    c.arrows = c.rowh >= arrowfrom;
    return c;
}

const char *colourof(double cashflow) {
    return cashflow > 0 ? positivecolour : cashflow < 0 ? negativecolour : zerocolour;
}

std::string attr(const char *name, const std::string &value) {
    return std::string(name) + "=\"" + value + '"';
}

// Title, the run data and the legend.
std::string heading(const schedreport &r, const chartlayout &c, bool arcs) {
    const std::string dot = " \xc2\xb7 ";
    std::string facts = "npv " + money(r.npv) + dot + std::to_string(r.passes) + " search passes" +
                        dot + "deadline " +
                        (r.hasdeadline ? timetext((double)r.deadline) : std::string("unknown")) +
                        dot + "interest " +
                        (std::isfinite(r.interest) ? shortestnum(r.interest) : money(r.interest)) +
                        dot + std::to_string(c.n) + (c.n == 1 ? " activity" : " activities");
    if (c.postponed > 0) facts += ", " + std::to_string(c.postponed) + " postponed";
    std::string out = textat(margin, titley, "Schedule of " + xmltext(r.instance, maxshown),
                             "font-size=\"15\" font-weight=\"bold\"");
    out += textat(margin, factsy, facts, attr("fill", mutedcolour));

    legendrow legend{margin, legendy, ""};
    auto swatch = [](const char *colour) {
        return "<rect y=\"-5\" width=\"12\" height=\"10\" " + attr("fill", colour) + "/>";
    };
    legend.item(swatch(positivecolour), "cash flow > 0");
    legend.item(swatch(negativecolour), "cash flow < 0");
    legend.item(swatch(zerocolour), "cash flow 0");
    legend.item("<path d=\"" + diamond(6, 0, 5) + "\" " + attr("fill", zerocolour) + "/>",
                "zero duration");
    if (arcs)
        legend.item("<path d=\"M0,4H3V-3H12\" fill=\"none\" " + attr("stroke", relationcolour) +
                        " marker-end=\"url(#arrow)\"/>",
                    "binding relation (start to start)");
    if (r.hasdeadline)
        legend.item("<path d=\"M6,-6V6\" " + attr("stroke", deadlinecolour) +
                        " stroke-width=\"2\" stroke-dasharray=\"3,2\"/>",
                    "deadline");
    if (c.postponed > 0)
        legend.item("<path d=\"M0,0H11\" " + attr("stroke", postponedcolour) +
                        " stroke-width=\"1.5\" marker-end=\"url(#postarrow)\"/>",
                    "postponed without limit");
    return out + legend.out;
}

// Row shading (or, with thinned labels, guide lines), the time grid with its
// labels, and the activity labels: every one while they fit, else those of
// activities numbered by a multiple of 1, 2, 5, 10, ... and the first and last.
std::string rowsandaxis(const schedreport &r, const chartlayout &c) {
    long long every = nicecount(labelspace / c.rowh);
    bool stripes = c.rowh >= stripefrom;
    std::string shading, labels, guides;
    double lasty = -labelspace;
    double labelsize = every == 1 ? std::min(11.0, std::max(8.0, c.rowh * 0.75)) : 10;
    for (std::size_t row = 0; row < c.n; row++) {
        double y = c.mid(row);
        int number = r.activities[row].number;
        if (stripes && row % 2 == 1)
            shading += "<rect " + attr("x", px(margin)) + ' ' + attr("y", px(y - c.rowh / 2)) +
                       ' ' + attr("width", px(c.plotright - margin)) + ' ' +
                       attr("height", px(c.rowh)) + "/>";
        bool candidate = every == 1 || row == 0 || row + 1 == c.n || number % every == 0;
        if (!candidate || y - lasty < labelspace) continue;
        lasty = y;
        labels += textat(c.plotleft - 4, y + labelsize * 0.35, std::to_string(number));
        if (every > 1 && !stripes)
            guides += "M" + px(c.plotleft) + ',' + px(y) + 'H' + px(c.plotright);
    }
    std::string out;
    if (!shading.empty()) out += "<g " + attr("fill", stripecolour) + ">" + shading + "</g>\n";

    std::string grid, ticklabels;
    long long nticks = (long long)std::floor((c.tmax - c.tmin) / c.step + 1e-9);
    for (int side = 0; side < (c.bottomaxis ? 2 : 1); side++) {
        double y = side == 0 ? plottop - ticklabelgap : c.plotbottom + ticklabelgap + 8;
        for (long long k = 0; k <= nticks; k++)
            ticklabels += textat(c.x(c.tmin + c.step * k), y, timetext(c.tmin + c.step * k));
    }
    for (long long k = 0; k <= nticks; k++)
        grid += "M" + px(c.x(c.tmin + c.step * k)) + ',' + px(plottop - overhang) + 'V' +
                px(c.plotbottom);
    out += "<path d=\"" + grid + "\" " + attr("stroke", gridcolour) + " fill=\"none\"/>\n";
    if (!guides.empty())
        out += "<path d=\"" + guides + "\" " + attr("stroke", guidecolour) +
               " stroke-width=\"0.6\" fill=\"none\"/>\n";
    if (c.tmin < 0)
        out += "<path d=\"M" + px(c.x(0)) + ',' + px(plottop - overhang) + 'V' + px(c.plotbottom) +
               "\" " + attr("stroke", zerolinecolour) + "/>\n";
    out += "<g text-anchor=\"middle\" " + attr("fill", mutedcolour) + ">\n" + ticklabels + "</g>\n";
    if (c.halflabel < leftpad)
        out += textat(c.plotleft - 4, plottop - ticklabelgap, "activity",
                      "text-anchor=\"end\" " + attr("fill", mutedcolour));
    return out + "<g text-anchor=\"end\" " + attr("font-size", px(labelsize)) + ">\n" + labels +
           "</g>\n";
}

// The binding relations, start to start: a curve from the start of one bar,
// leaving it to the left, into the start of the other bar from its left, so
// a connector never crosses the bars it joins; each a path of
// its own with a title naming the relation and its lag. The deadline arc
// (end dummy to start dummy) is drawn in the colour of the deadline. Arcs
// that touch a postponed activity have no start to draw from and are left out.
std::string relations(const schedreport &r, const chartlayout &c, int startdummy, int enddummy) {
    const std::vector<schedactivity> &acts = r.activities;
    std::unordered_map<int, std::size_t> rowof;
    for (std::size_t row = 0; row < c.n; row++) rowof.emplace(acts[row].number, row);
    double hook = std::min(9.0, std::max(3.0, c.rowh * 0.6));
    double half = std::max(mindiamond, c.barh / 2);
    std::string links, deadlinelinks;
    for (const schedarc &arc : r.arcs) {
        auto f = rowof.find(arc.from), t = rowof.find(arc.to);
        if (f == rowof.end() || t == rowof.end()) continue;
        const schedactivity &from = acts[f->second], &to = acts[t->second];
        if (from.unbounded || to.unbounded) continue;
        double xf = c.x((double)from.start), xt = c.x((double)to.start);
        double xend = to.duration == 0 ? xt - half : xt;
        double yf = c.mid(f->second), yt = c.mid(t->second);
        double bend = hook * 2; // how far each end leaves its bar to the left
        std::string title =
            "relation " + std::to_string(arc.from) + " \xe2\x86\x92 " + std::to_string(arc.to);
        if (arc.haslag) title += ", start-to-start lag " + std::to_string(arc.lag);
        std::string d = "<path d=\"M" + px(xf) + ',' + px(yf) + 'C' + px(xf - bend) + ',' + px(yf) +
                        ' ' + px(xend - bend) + ',' + px(yt) + ' ' + px(xend) + ',' + px(yt) +
                        "\"><title>" + xmltext(title) + "</title></path>\n";
        bool deadlinearc = arc.from == enddummy && arc.to == startdummy && c.n > 1;
        (deadlinearc ? deadlinelinks : links) += d;
    }
    std::string out;
    if (!links.empty())
        out += "<g fill=\"none\" " + attr("stroke", relationcolour) + " stroke-opacity=\"0.6\" " +
               attr("stroke-width", c.arrows ? "0.9" : "0.5") +
               (c.arrows ? " marker-end=\"url(#arrow)\"" : "") + ">\n" + links + "</g>\n";
    if (!deadlinelinks.empty())
        out += "<g fill=\"none\" " + attr("stroke", deadlinecolour) +
               " stroke-opacity=\"0.7\" stroke-dasharray=\"4,3\"" +
               (c.arrows ? " marker-end=\"url(#deadarrow)\"" : "") + ">\n" + deadlinelinks +
               "</g>\n";
    return out;
}

// One bar per scheduled activity, a diamond for those of zero duration.
std::string bars(const schedreport &r, const chartlayout &c) {
    std::string groups[3]; // positive, negative, zero cash flow
    const char *colours[3] = {positivecolour, negativecolour, zerocolour};
    double half = std::max(mindiamond, c.barh / 2);
    for (std::size_t row = 0; row < c.n; row++) {
        const schedactivity &a = r.activities[row];
        if (a.unbounded) continue;
        int group = a.cashflow > 0 ? 0 : a.cashflow < 0 ? 1 : 2;
        double x = c.x((double)a.start), y = c.mid(row);
        long long finish;
        std::string tip =
            "<title>activity " + std::to_string(a.number) + ": start " + std::to_string(a.start) +
            ", finish " + (finishtime(a, finish) ? std::to_string(finish) : "beyond range") +
            ", cash flow " + money(a.cashflow) + ", discounted " + money(a.discounted) + "</title>";
        if (a.duration == 0) {
            groups[group] +=
                "<path class=\"bar\" d=\"" + diamond(x, y, half) + "\">" + tip + "</path>\n";
        } else {
            double w = std::max(minbarwidth, c.x((double)a.start + (double)a.duration) - x);
            groups[group] += "<rect class=\"bar\" " + attr("x", px(x)) + ' ' +
                             attr("y", px(y - c.barh / 2)) + ' ' + attr("width", px(w)) + ' ' +
                             attr("height", px(c.barh)) + ">" + tip + "</rect>\n";
        }
    }
    std::string out;
    for (int g = 0; g < 3; g++)
        if (!groups[g].empty())
            out += "<g " + attr("fill", colours[g]) + ">\n" + groups[g] + "</g>\n";
    return out;
}

// The zone right of the plot: a stub per postponed activity and an arrow to
// the edge. Wide rows say "postponed"; narrow ones name the activity where
// there is room, as the labels on the left are thinned out.
std::string postponedzone(const schedreport &r, const chartlayout &c) {
    double zone = c.plotright + zonegap, zoneright = chartwidth - margin;
    std::string out = "<rect " + attr("x", px(zone - 6)) + ' ' + attr("y", px(plottop - overhang)) +
                      ' ' + attr("width", px(zoneright - zone + 6)) + ' ' +
                      attr("height", px(c.plotbottom - plottop + overhang)) + ' ' +
                      attr("fill", zonecolour) + "/>\n";
    out += textat(zone, plottop - ticklabelgap, "postponed",
                  attr("fill", postponedcolour) + " font-weight=\"bold\"");
    std::string stubs, shafts;
    double lastnamed = -labelspace;
    for (std::size_t row = 0; row < c.n; row++) {
        const schedactivity &a = r.activities[row];
        if (!a.unbounded) continue;
        double y = c.mid(row);
        std::string number = std::to_string(a.number);
        stubs += "<rect class=\"bar postponed\" " + attr("x", px(zone)) + ' ' +
                 attr("y", px(y - c.barh / 2)) + ' ' + attr("width", px(stubwidth)) + ' ' +
                 attr("height", px(c.barh)) + ' ' + attr("fill", colourof(a.cashflow)) +
                 "><title>activity " + number + ": postponed without limit, cash flow " +
                 money(a.cashflow) + "</title></rect>\n";
        double shaft = zone + stubwidth + 2;
        if (c.rowh >= posttextfrom) {
            stubs += textat(shaft + 2, y + 3.5, "postponed", "font-size=\"10\"");
            shaft += postwordwidth;
        } else if (y - lastnamed >= labelspace) {
            stubs += textat(shaft + 2, y + 3, number, "font-size=\"9\"");
            shaft += 2 + charwidth * number.size() + 4;
            lastnamed = y;
        }
        shafts += "<path d=\"M" + px(shaft) + ',' + px(y) + 'H' + px(zoneright) + "\"/>";
    }
    out += "<g " + attr("fill", postponedcolour) + ">\n" + stubs + "</g>\n";
    return out + "<g " + attr("stroke", postponedcolour) + ' ' +
           attr("stroke-width", c.arrows ? "1.4" : "0.8") + " marker-end=\"url(#postarrow)\">" +
           shafts + "</g>\n";
}

// The deadline line, labelled on its left, or on its right when the label
// would run into the activity labels.
std::string deadlinemark(const schedreport &r, const chartlayout &c) {
    double x = c.x((double)r.deadline);
    std::string label = "deadline " + timetext((double)r.deadline);
    bool left = x - charwidth * label.size() > c.plotleft;
    return "<path d=\"M" + px(x) + ',' + px(plottop - overhang) + 'V' + px(c.plotbottom) + "\" " +
           attr("stroke", deadlinecolour) + " stroke-width=\"1.6\" stroke-dasharray=\"5,3\"/>\n" +
           textat(left ? x - 4 : x + 4, plottop + 11, label,
                  attr("text-anchor", left ? "end" : "start") + ' ' + attr("fill", deadlinecolour) +
                      " stroke=\"white\" stroke-width=\"3\" paint-order=\"stroke\"");
}

// The height of one resource band for this many resources.
double bandheight(std::size_t resources) {
    return std::min(maxband, std::max(minband, bandbudget / std::max<std::size_t>(resources, 1)));
}

// The resource bands under the plot, from top down: a caption row, then per
// resource its use over time as a filled step line on the chart's time
// scale, the capacity as a dashed line, and the use above the capacity in the
// colour of an overload. Each band is one group titled with the resource's
// peak and capacity.
std::string resourcebands(const schedreport &r, const chartlayout &c, double top) {
    gpr::resourceuse use;
    reportuse(r, true, &use);
    const std::size_t nrres = r.capacities.size();
    const double bandh = bandheight(nrres);
    legendrow caption{margin, top + resourcehead / 2, ""};
    auto swatch = [](const char *colour) {
        return "<rect y=\"-5\" width=\"12\" height=\"10\" " + attr("fill", colour) + "/>";
    };
    caption.item(swatch(usecolour), "resource use per period");
    caption.item("<path d=\"M0,0H12\" " + attr("stroke", capacitycolour) +
                     " stroke-dasharray=\"4,2\"/>",
                 "capacity");
    caption.item(swatch(overcolour), "over capacity");
    std::string out = caption.out;

    double y = top + resourcehead;
    long long nticks = (long long)std::floor((c.tmax - c.tmin) / c.step + 1e-9);
    std::string grid;
    for (long long k = 0; k <= nticks; k++)
        grid += "M" + px(c.x(c.tmin + c.step * k)) + ',' + px(y) + 'V' +
                px(y + nrres * (bandh + bandgap) - bandgap);
    out += "<path d=\"" + grid + "\" " + attr("stroke", gridcolour) + " fill=\"none\"/>\n";
    for (std::size_t k = 0; k < nrres; k++, y += bandh + bandgap) {
        const long long capacity = r.capacities[k], peak = use.peak[k];
        const double scale = (double)std::max(std::max(peak, capacity), 1LL);
        const double bottom = y + bandh;
        auto level = [&](long long u) { return bottom - (double)u / scale * (bandh - bandpad); };
        const std::string name = "resource " + std::to_string(k + 1);
        out += "<g class=\"resource\"><title>" + name + ": peak " + std::to_string(peak) +
               " of capacity " + std::to_string(capacity) + "</title>\n";
        out += "<rect " + attr("x", px(c.x0)) + ' ' + attr("y", px(y)) + ' ' +
               attr("width", px(c.plotright - c.x0)) + ' ' + attr("height", px(bandh)) + ' ' +
               attr("fill", bandcolour) + ' ' + attr("stroke", gridcolour) + "/>\n";
        out += textat(c.plotleft - 4, y + bandh / 2 + 4, "R" + std::to_string(k + 1),
                      "text-anchor=\"end\"");
        const std::vector<gpr::usestep> &steps = use.profile[k];
        std::string area = "M" + px(c.x((double)steps[0].from)) + ',' + px(bottom), over;
        for (std::size_t j = 0; j < steps.size(); j++) {
            const double from = (double)steps[j].from;
            const double to = (double)(j + 1 < steps.size() ? steps[j + 1].from : use.last);
            area += 'V' + px(level(steps[j].use)) + 'H' + px(c.x(to));
            if (steps[j].use > capacity)
                over += "<rect " + attr("x", px(c.x(from))) + ' ' +
                        attr("y", px(level(steps[j].use))) + ' ' +
                        attr("width", px(std::max(minbarwidth, c.x(to) - c.x(from)))) + ' ' +
                        attr("height", px(level(capacity) - level(steps[j].use))) + "/>";
        }
        area += 'V' + px(bottom) + 'z';
        out += "<path d=\"" + area + "\" " + attr("fill", usecolour) + "/>\n";
        if (!over.empty()) out += "<g " + attr("fill", overcolour) + ">" + over + "</g>\n";
        const double capy = level(capacity);
        out += "<path d=\"M" + px(c.x0) + ',' + px(capy) + 'H' + px(c.plotright) + "\" " +
               attr("stroke", capacitycolour) + " stroke-dasharray=\"4,2\"/>\n";
        out += textat(c.plotright - 4, capy - 3, "capacity " + std::to_string(capacity),
                      "text-anchor=\"end\" font-size=\"9\" " + attr("fill", capacitycolour) +
                          " stroke=\"white\" stroke-width=\"3\" paint-order=\"stroke\"");
        out += "</g>\n";
    }
    return out;
}

// The report with its activities in the rows' order.
schedreport ordered(const schedreport &given, ganttorder order) {
    schedreport r = given;
    if (order == ganttorder::start)
        std::stable_sort(r.activities.begin(), r.activities.end(),
                         [](const schedactivity &a, const schedactivity &b) {
                             if (a.unbounded != b.unbounded) return b.unbounded;
                             return !a.unbounded && a.start < b.start;
                         });
    return r;
}

} // namespace

std::string svgtext(const std::string &s) {
    return xmltext(s);
}

std::string schedsvg(const schedreport &given, const ganttoptions &opt) {
    if (!issolved(given)) return unsolvedcard(given);
    const int startdummy = given.activities.empty() ? 0 : given.activities.front().number;
    const int enddummy = given.activities.empty() ? 0 : given.activities.back().number;
    const schedreport r = ordered(given, opt.order);
    const bool arcs = opt.arcs == ganttarcs::all ||
                      (opt.arcs == ganttarcs::automatic && r.activities.size() <= autoarcslimit);
    chartlayout c = layoutof(r);
    const double below = c.plotbottom + (c.bottomaxis ? bottomaxisband : 10);
    const std::size_t nrres = r.capacities.size();
    const double resources =
        nrres == 0 ? 0 : resourcehead + nrres * (bandheight(nrres) + bandgap) - bandgap;
    std::string out = svghead(below + resources + margin);
    out += "<title>Schedule of " + xmltext(r.instance, maxshown) + "</title>\n";
    out += "<defs>" + marker("arrow", relationcolour) + marker("deadarrow", deadlinecolour) +
           marker("postarrow", postponedcolour) + "</defs>\n";
    out += heading(r, c, arcs);
    out += rowsandaxis(r, c);
    if (arcs) out += relations(r, c, startdummy, enddummy); // under the bars
    out += bars(r, c);
    if (c.postponed > 0) out += postponedzone(r, c);
    if (r.hasdeadline) out += deadlinemark(r, c);
    if (nrres > 0) out += resourcebands(r, c, below);
    return out + "</svg>\n";
}
