// The layout: the header values separated by one blank; in a record, the
// duration and demands by one blank, and the successor count and every entry
// preceded by two, so that entries stand apart when a file is read by eye.
#include "format/gprformat.h"

#include <cstdio>

std::string formatgpr(const gprinstance &g) {
    std::string text = std::to_string(g.nract) + " " + std::to_string(g.capacity.size());
    for (int c : g.capacity) text += " " + std::to_string(c);
    text += "\n";
    char buf[64];
    for (int i = 0; i < g.nract; i++) {
        text += std::to_string(g.dur[i]);
        for (int d : g.demand[i]) text += " " + std::to_string(d);
        text += "  " + std::to_string(g.rec[i].size());
        for (const gprentry &e : g.rec[i]) {
            std::snprintf(buf, sizeof buf, "  %d %d %d %d", e.succ, e.bound, e.rel, e.value);
            text += buf;
        }
        text += "\n";
    }
    return text;
}
