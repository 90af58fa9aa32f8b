// The use of every resource changes only where an activity starts or
// finishes, so one sweep over those events in time order finds everything:
// sorting them costs O(n log n), applying one activity's demands O(K), and
// each distinct event time is measured once, after all its events, in O(K)
// (an activity that finishes at t and one that starts at t never run
// together). A count of the resources over capacity, kept up to date by every
// change, says whether a stretch of time is overloaded without a look at all
// K resources. Uses are summed in 64 bits: n demands of up to 2^31 - 1 each.
#include "network/resourceuse.h"

#include <algorithm>

namespace gpr {

namespace {

int64_t bounded(int64_t t) {
    return std::max(-usetimebound, std::min(usetimebound, t));
}

// Whether resource a is a worse overload than resource b (see the header).
bool worse(int64_t peaka, int64_t capa, int64_t peakb, int64_t capb) {
    // peak / cap compared as peak_a * cap_b against peak_b * cap_a: peaks
    // below 2^63 and capacities below 2^31 keep the products within 2^94. A
    // capacity of 0 makes the other side's product 0, so it wins, and two
    // of them tie.
    const __int128 a = (__int128)peaka * capb, b = (__int128)peakb * capa;
    if (a != b) return a > b;
    return peaka - capa > peakb - capb;
}

} // namespace

void measureuse(const std::vector<int> &capacity, const std::vector<int> &demand,
                const std::vector<int64_t> &start, const std::vector<int64_t> &dur,
                const std::vector<char> *leftout, bool profiles, resourceuse *out) {
    const size_t nrres = capacity.size(), n = start.size();
    *out = resourceuse();
    out->peak.assign(nrres, 0);
    if (profiles) out->profile.assign(nrres, {});

    // Events: an activity's index, plus n when it is its finish.
    struct event {
        int64_t time;
        size_t what;
    };
    std::vector<event> events;
    bool any = false;
    for (size_t i = 0; i < n; i++) {
        if ((leftout != nullptr && (*leftout)[i] != 0) || start[i] == nostart) continue;
        const int64_t s = bounded(start[i]), f = s + std::max<int64_t>(0, bounded(dur[i]));
        out->first = any ? std::min(out->first, s) : s;
        out->last = any ? std::max(out->last, f) : f;
        any = true;
        if (f == s) continue;
        const int *row = demand.data() + i * nrres;
        if (std::any_of(row, row + nrres, [](int r) { return r != 0; }))
            events.push_back({s, i}), events.push_back({f, i + n});
    }
    std::sort(events.begin(), events.end(),
              [](const event &a, const event &b) { return a.time < b.time; });

    std::vector<int64_t> use(nrres, 0);
    int64_t over = 0; // resources over their capacity now
    if (profiles)
        for (std::vector<usestep> &p : out->profile) p.push_back({out->first, 0});
    for (size_t e = 0; e < events.size();) {
        const int64_t t = events[e].time;
        for (; e < events.size() && events[e].time == t; e++) {
            const bool finish = events[e].what >= n;
            const size_t i = finish ? events[e].what - n : events[e].what;
            const int *row = demand.data() + i * nrres;
            for (size_t k = 0; k < nrres; k++) {
                if (row[k] == 0) continue;
                const bool before = use[k] > capacity[k];
                use[k] += finish ? -(int64_t)row[k] : (int64_t)row[k];
                const bool after = use[k] > capacity[k];
                over += (int)after - (int)before;
            }
        }
        // The use now holds from t to the next event (to the last finish,
        // after which it is 0 everywhere).
        const int64_t next = e < events.size() ? events[e].time : t;
        for (size_t k = 0; k < nrres; k++) out->peak[k] = std::max(out->peak[k], use[k]);
        if (over > 0 && next > t) {
            if (out->overloaded == 0) out->firstover = t;
            out->overloaded += next - t;
            out->lastover = next - 1;
        }
        if (profiles)
            for (size_t k = 0; k < nrres; k++) {
                std::vector<usestep> &p = out->profile[k];
                if (use[k] == p.back().use) continue;
                if (p.back().from == t)
                    p.back().use = use[k];
                else
                    p.push_back({t, use[k]});
            }
    }
    for (size_t k = 0; k < nrres; k++)
        if (out->peak[k] > capacity[k] &&
            (out->worst < 0 ||
             worse(out->peak[k], capacity[k], out->peak[out->worst], capacity[out->worst])))
            out->worst = (int)k;
}

void measureuse(const network &net, const std::vector<int64_t> &start,
                const std::vector<char> *leftout, bool profiles, resourceuse *out) {
    const std::vector<int64_t> dur(net.dur.begin(), net.dur.end());
    measureuse(net.capacity, net.demand, start, dur, leftout, profiles, out);
}

} // namespace gpr
