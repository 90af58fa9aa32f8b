// The use of a resource changes only where an activity starts or finishes,
// so a sweep over the starts and finishes in time order sees every level the
// profile takes: at each time where an activity starts, the ones that finish
// by then leave first (an activity runs over [S, S + d)), the ones that start
// then join, and the use is compared with the capacity. The first time with
// an overload is the conflict the search branches on: resolving the earliest
// one first changes the least of what the relaxation decided later.
//
// Among the activities running then, a forbidden set for an overloaded
// resource is taken greedily by falling demand until it exceeds the
// capacity, and then made minimal by dropping members, the smallest demands
// first, while the rest still exceed it. A smaller set has fewer ordered
// pairs, so fewer children; of the sets of the overloaded resources the
// smallest is taken.
//
// Activities postponed without limit move together, arbitrarily far from
// the others: they never meet those, only each other, so they are swept as a
// group of their own.
#include <algorithm>

#include "search/rcsearch.h"

namespace gpr {

void profileprepare(const rcmodel &m, rcprofile *work) {
    work->users.clear();
    for (int i = 0; i < m.nract; i++) {
        if (m.dur[i] <= 0) continue;
        bool uses = false;
        for (int k = 0; k < m.nrres && !uses; k++) uses = m.demandof(i, k) > 0;
        if (uses) work->users.push_back(i);
    }
    const size_t u = work->users.size();
    work->byst.reserve(u);
    work->byfin.reserve(u);
    work->running.reserve(u);
    work->candidate.reserve(u);
    work->trial.reserve(u);
    work->chosen.reserve(u);
    work->use.assign(m.nrres, 0);
}

namespace {

// A minimal forbidden set for resource k among the running activities, into
// *set; false when they do not exceed its capacity.
bool forbiddenset(const rcmodel &m, int k, rcprofile *w, std::vector<int> *set) {
    std::vector<int> &c = w->candidate;
    c.clear();
    for (int i : w->running)
        if (m.demandof(i, k) > 0) c.push_back(i);
    std::sort(c.begin(), c.end(), [&m, k](int a, int b) {
        const int64_t da = m.demandof(a, k), db = m.demandof(b, k);
        return da != db ? da > db : a < b;
    });
    int64_t sum = 0;
    size_t take = 0;
    while (take < c.size() && sum <= m.capacity[k]) sum += m.demandof(c[take++], k);
    if (sum <= m.capacity[k]) return false;
    c.resize(take);
    // Smallest demands first: each member whose removal leaves an excess goes.
    for (size_t x = c.size(); x-- > 0;) {
        const int64_t d = m.demandof(c[x], k);
        if (sum - d > m.capacity[k]) sum -= d, c[x] = -1;
    }
    set->clear();
    for (int i : c)
        if (i >= 0) set->push_back(i);
    std::sort(set->begin(), set->end());
    return true;
}

// Sweeps the users of one group (dropped or not); returns the set's size at
// the first overload (or, with a score, at the overload whose set scores
// least), 0 when there is none.
int sweepgroup(const rcmodel &m, const std::vector<int64_t> &st, const std::vector<char> &dropped,
               char group, const rcscore *score, rcprofile *w, std::vector<int> *set,
               int64_t *when) {
    std::vector<int> &bs = w->byst, &bf = w->byfin;
    bs.clear();
    for (int i : w->users)
        if (dropped[i] == group) bs.push_back(i);
    if (bs.size() < 2) return 0;
    bf = bs;
    std::sort(bs.begin(), bs.end(), [&st](int a, int b) { return st[a] < st[b]; });
    std::sort(bf.begin(), bf.end(),
              [&st, &m](int a, int b) { return st[a] + m.dur[a] < st[b] + m.dur[b]; });
    std::fill(w->use.begin(), w->use.end(), 0);
    size_t f = 0;
    int best = 0;
    int64_t bestscore = 0;
    for (size_t s = 0; s < bs.size();) {
        const int64_t t = st[bs[s]];
        for (; f < bf.size() && st[bf[f]] + m.dur[bf[f]] <= t; f++)
            for (int k = 0; k < m.nrres; k++) w->use[k] -= m.demandof(bf[f], k);
        for (; s < bs.size() && st[bs[s]] == t; s++)
            for (int k = 0; k < m.nrres; k++) w->use[k] += m.demandof(bs[s], k);
        bool over = false;
        for (int k = 0; k < m.nrres && !over; k++) over = w->use[k] > m.capacity[k];
        if (!over) continue;
        w->running.clear();
        for (int i : bs)
            if (st[i] <= t && t < st[i] + m.dur[i]) w->running.push_back(i);
        int here = 0; // the smallest set of this time, in w->chosen
        for (int k = 0; k < m.nrres; k++) {
            if (w->use[k] <= m.capacity[k] || !forbiddenset(m, k, w, &w->trial)) continue;
            if (here == 0 || (int)w->trial.size() < here) {
                here = (int)w->trial.size();
                w->chosen.assign(w->trial.begin(), w->trial.end());
            }
        }
        if (here == 0) continue;
        const int64_t value = score ? (*score)(w->chosen) : 0;
        if (best == 0 || value < bestscore) {
            best = here, bestscore = value, *when = t;
            set->assign(w->chosen.begin(), w->chosen.end());
        }
        if (!score) break;
    }
    return best;
}

} // namespace

int findconflict(const rcmodel &m, const std::vector<int64_t> &st, const std::vector<char> &dropped,
                 rcprofile *work, std::vector<int> *set, int64_t *when, const rcscore *score) {
    const int size = sweepgroup(m, st, dropped, 0, score, work, set, when);
    if (size > 0) return size;
    return sweepgroup(m, st, dropped, 1, score, work, set, when);
}

} // namespace gpr
