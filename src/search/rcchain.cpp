// A resource-feasible schedule stands for a whole family of schedules: send
// each resource's units from activity to activity in the order of their
// starts, and every schedule in which each activity still starts after the
// activities it took units from have finished uses no unit twice at once, so
// it meets the capacities. Written as arcs (S_j >= S_i + d_i for every i
// that hands units to j), the order is a network of the ordinary kind, and
// its max-npv optimum is the best schedule of that order: at least as good
// as the schedule the order came from, and resource-feasible.
//
// Per resource, the users are taken by start; an activity first takes units
// that the start dummy still holds (they need no arc), then units of the
// activities that finished by its start, the latest finish first (that
// pair is the closest in time, so its arc is the least likely to cut off a
// better schedule of the same order). At its start enough units are free,
// since the schedule meets the capacity then. The activities postponed
// without limit are chained among themselves.
//
// With a random stream the same schedule gives other orders: users that
// start together are taken in a random order, and every activity takes its
// units from random holders among those that finished in time. (Measured on
// generated networks of 1,000 activities: random holders for every activity
// climb far faster than for one in four or one in sixteen.)
// Every such order still holds the schedule, so its optimum is at least as
// good; the improvement step draws many of them.
#include <algorithm>

#include "search/rcsearch.h"

namespace gpr {

namespace {

// The next number of the stream (xorshift64*).
uint64_t draw(uint64_t *state) {
    uint64_t x = *state;
    x ^= x >> 12, x ^= x << 25, x ^= x >> 27;
    *state = x;
    return x * 0x2545F4914F6CDD1DULL;
}

} // namespace

void chainschedule(const rcmodel &m, const std::vector<int64_t> &st,
                   const std::vector<char> &dropped, rcchainwork *w, std::vector<rcarc> *arcs,
                   uint64_t *noise) {
    arcs->clear();
    std::vector<uint64_t> &tie = w->tie;
    tie.assign(m.nract, 0);
    if (noise)
        for (int i = 0; i < m.nract; i++) tie[i] = draw(noise);
    for (char group = 0; group <= 1; group++) {
        for (int k = 0; k < m.nrres; k++) {
            std::vector<int> &users = w->users;
            users.clear();
            for (int i = 0; i < m.nract; i++)
                if (m.dur[i] > 0 && m.demandof(i, k) > 0 && dropped[i] == group) users.push_back(i);
            std::sort(users.begin(), users.end(), [&st, &tie](int a, int b) {
                if (st[a] != st[b]) return st[a] < st[b];
                return tie[a] != tie[b] ? tie[a] < tie[b] : a < b;
            });
            int64_t fromstart = m.capacity[k]; // units the start dummy still holds
            std::vector<std::pair<int, int64_t>> &held = w->held; // (activity, its units)
            held.clear();
            for (int i : users) {
                int64_t need = m.demandof(i, k);
                const int64_t take = std::min(need, fromstart);
                fromstart -= take, need -= take;
                // Of the holders that finished by st[i], the latest finish first
                // (with noise, a random one).
                while (need > 0) {
                    int best = -1;
                    uint64_t bestkey = 0;
                    for (int h = 0; h < (int)held.size(); h++) {
                        const int j = held[h].first;
                        if (held[h].second <= 0 || st[j] + m.dur[j] > st[i]) continue;
                        if (noise) {
                            const uint64_t key = draw(noise);
                            if (best < 0 || key > bestkey) best = h, bestkey = key;
                        } else if (best < 0 || st[j] + m.dur[j] >
                                                   st[held[best].first] + m.dur[held[best].first]) {
                            best = h;
                        }
                    }
                    if (best < 0) break; // cannot be for a feasible schedule
                    const int j = held[best].first;
                    const int64_t part = std::min(need, held[best].second);
                    held[best].second -= part, need -= part;
                    arcs->push_back({j, i, m.dur[j]});
                }
                held.push_back({i, m.demandof(i, k)});
                // Drop the emptied holders now and then, so the scans stay short.
                if (held.size() > 64 && held.size() % 64 == 0)
                    held.erase(std::remove_if(held.begin(), held.end(),
                                              [](const auto &x) { return x.second <= 0; }),
                               held.end());
            }
        }
    }
    std::sort(arcs->begin(), arcs->end(), [](const rcarc &a, const rcarc &b) {
        return a.from != b.from ? a.from < b.from : a.to < b.to;
    });
    arcs->erase(std::unique(arcs->begin(), arcs->end(),
                            [](const rcarc &a, const rcarc &b) {
                                return a.from == b.from && a.to == b.to;
                            }),
                arcs->end());
}

} // namespace gpr
