// The dense, sparse and window shapes.
//
// Dense and sparse networks are built around a reference schedule: minimal
// lags run from earlier to later activities, and the reference start of an
// activity is the longest path to it from the start dummy, never below 0
// (an activity that would start earlier follows the start dummy as well).
// A maximal lag from i to s is then made at least as long as the distance
// of the two reference starts, so the reference schedule meets every
// relation; a network with a feasible schedule has no cycle of positive
// length, and the earliest schedule meets any deadline slack of 0 or more.
// Every activity that precedes no other real activity precedes the end
// dummy, finish-to-start with lag 0.
//
// Window networks have zero durations and tie activities by windows: a
// minimal start-to-start lag of 0 and a maximal one of 1 between two
// activities, which the schedule starting everything at 0 meets.
#include <algorithm>

#include "generate.h"

namespace {

const int ss = gprcode(gprrel::ss);
const int fs = gprcode(gprrel::fs);
const int ff = gprcode(gprrel::ff);
const int minimal = gprcode(gprbound::minimal);
const int maximal = gprcode(gprbound::maximal);

// The shape of a network built around a reference schedule.
struct refshape {
    int durmin, durmax;   // durations
    int window;           // predecessors and maximal-lag targets lie this close
    int predmin, predmax; // minimal lags into an activity, each count equally likely
    int startpct;         // share of activities that also follow the start dummy
    int fspct;            // share of finish-to-start relations; the rest is any type
    int lagmin, lagmax;   // minimal lag values
    int maxmin, maxmax;   // maximal lags from an activity, each count equally likely
    int maxpct;           // chance that an activity gets its maximal lags at all
    int tightpct;         // share of maximal lags exactly as long as the reference distance
    int slackmax;         // otherwise a maximal lag exceeds it by 1..slackmax
};

// Like the ProGen/max sets of UBO instances: about 10 minimal and 7 maximal
// lags per activity, about 17 entries per activity with the dummies' arcs.
const refshape denseshape = {1, 10, 40, 6, 14, 0, 25, -3, 10, 3, 11, 100, 30, 10};

// One or two predecessors, mostly finish-to-start, a maximal lag from about
// one activity in ten: about 1.7 entries per activity.
const refshape sparseshape = {1, 10, 10, 1, 2, 5, 85, 0, 5, 1, 1, 10, 30, 5};

// k distinct numbers drawn from lo..hi (k at most hi - lo + 1), ascending.
std::vector<int> pick(splitmix &rng, int lo, int hi, int k) {
    std::vector<int> chosen;
    while ((int)chosen.size() < k) {
        int q = rng.range(lo, hi);
        if (std::find(chosen.begin(), chosen.end(), q) == chosen.end()) chosen.push_back(q);
    }
    std::sort(chosen.begin(), chosen.end());
    return chosen;
}

int relation(splitmix &rng, const refshape &r) {
    if (rng.chance(r.fspct)) return fs;
    return rng.range(ss, ff);
}

gprinstance genref(splitmix &rng, int n, int nrres, const refshape &r) {
    gprinstance g = genbase(rng, n, nrres, [&] { return rng.range(r.durmin, r.durmax); });
    int end = n - 1;
    std::vector<int64_t> at(n, 0); // reference starts
    std::vector<char> leads(n, 0); // precedes another real activity
    auto addminimal = [&](int i, int s, int rel, int v) {
        g.rec[i].push_back({s + 1, minimal, rel, v});
        at[s] = std::max(at[s], at[i] + sslag(g, i, s, rel, v));
    };

    for (int j = 1; j < end; j++) {
        int lo = std::max(1, j - r.window);
        int want = rng.range(r.predmin, r.predmax);
        int count = std::min(j - lo, want);
        bool fromstart = count == 0 || rng.chance(r.startpct);
        at[j] = fromstart ? 0 : INT64_MIN;
        if (fromstart) g.rec[0].push_back({j + 1, minimal, fs, 0});
        for (int q : pick(rng, lo, j - 1, count)) {
            int rel = relation(rng, r);
            int value = rng.range(r.lagmin, r.lagmax);
            addminimal(q, j, rel, value);
            leads[q] = 1;
        }
        if (at[j] < 0) {
            addminimal(0, j, fs, 0);
            at[j] = 0;
        }
    }

    // Maximal lags towards later activities close by; the reference
    // schedule keeps every one of them met.
    for (int i = 1; i < end - 1; i++) {
        if (!rng.chance(r.maxpct)) continue;
        int hi = std::min(end - 1, i + r.window);
        int want = rng.range(r.maxmin, r.maxmax);
        for (int s : pick(rng, i + 1, hi, std::min(hi - i, want))) {
            int64_t least = at[s] - at[i];
            if (!rng.chance(r.tightpct)) least += rng.range(1, r.slackmax);
            int rel = relation(rng, r);
            int value = (int)least - sslag(g, i, s, rel, 0);
            g.rec[i].push_back({s + 1, maximal, rel, value});
        }
    }

    for (int i = 1; i < end; i++)
        if (!leads[i]) g.rec[i].push_back({end + 1, minimal, fs, 0});
    if (n == 2) g.rec[0].push_back({end + 1, minimal, fs, 0});
    return g;
}

} // namespace

gprinstance gendense(splitmix &rng, int n, int nrres) {
    return genref(rng, n, nrres, denseshape);
}

gprinstance gensparse(splitmix &rng, int n, int nrres) {
    return genref(rng, n, nrres, sparseshape);
}

// Windows: every real activity after the first one is tied to a random
// earlier activity, and to windowextra more drawn at random from the earlier
// ones (a draw may repeat). The first real activity follows the start dummy
// and only the last one precedes the end dummy, so every other arc of the
// network is part of a window and the earliest schedule is all zeros. With
// zero durations many schedules tie, and the search moves sets of activities
// back and forth by one time unit: a network of 1000 activities takes
// hundreds of thousands of passes or more.
gprinstance genwindow(splitmix &rng, int n, int nrres) {
    constexpr int windowextra = 3;
    constexpr int width = 1;
    gprinstance g = genbase(rng, n, nrres, [] { return 0; });
    int end = n - 1;
    auto addwindow = [&](int i, int s) {
        g.rec[i].push_back({s + 1, minimal, ss, 0});
        g.rec[i].push_back({s + 1, maximal, ss, width});
    };
    if (end == 1) {
        g.rec[0].push_back({end + 1, minimal, fs, 0});
        return g;
    }
    g.rec[0].push_back({2, minimal, fs, 0});
    for (int j = 2; j < end; j++)
        for (int k = 0; k <= windowextra; k++) {
            int from = rng.range(1, j - 1);
            addwindow(from, j);
        }
    g.rec[end - 1].push_back({end + 1, minimal, fs, 0});
    return g;
}
