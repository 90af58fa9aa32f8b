#include "support/randominstance.h"

#include <algorithm>
#include <sstream>
#include <vector>

std::string randominstance(uint64_t seed, plantkind plant, int maxact, int maxlagpct) {
    struct gpentry {
        int named, bound, relation;
        long long value;
    };
    testrng rng(seed);
    const int n = rng.range(5, maxact), end = n - 1;
    std::vector<long long> dur(n, 0), t(n, 0); // t: the witness schedule
    std::vector<std::vector<gpentry>> rec(n);
    // Start-to-start form of a relation from i to s: start(s) vs start(i) + value + shift.
    auto shift = [&](int i, int s, int relation) {
        return (relation >= 3 ? dur[i] : 0) - (relation % 2 == 0 ? dur[s] : 0);
    };
    // A lag from i to s that the witness meets with the given room (minimal
    // lags: room <= 0, binding at 0; maximal lags: room >= 0 unless planted).
    auto add = [&](int i, int s, int bound, long long room) {
        int relation = rng.range(1, 4);
        rec[i].push_back({s, bound, relation, t[s] - t[i] - shift(i, s, relation) + room});
    };

    for (int i = 1; i < end; i++) dur[i] = rng.chance(25) ? 0 : rng.range(1, 10);
    if (rng.chance(5)) dur[0] = rng.range(1, 4);
    if (rng.chance(5)) dur[end] = rng.range(1, 4);
    // The activity of a planted defect, left out of the random relations.
    const bool single = plant == plantorphan || plant == plantnormcycle || plant == plantwide;
    const int planted = single ? rng.range(2, end - 1) : -1;

    for (int j = 1; j < end; j++) {
        if (j == planted && plant != plantwide) {
            if (plant == plantnormcycle) { // at least k before 0, at most m < k before it
                int k = rng.range(2, 6);
                rec[0].push_back({j, 1, 1, -k});
                rec[0].push_back({j, 2, 1, -rng.range(1, k - 1)});
            }
            continue; // witness start 0
        }
        if (j == planted) {
            int a = rng.range(1, j - 1);
            rec[a].push_back({j, 1, 1, -(t[a] + 1000 + rng.range(0, 200))});
        }
        for (int c = rng.chance(30) ? 2 : 1; c > 0; c--) {
            int p = rng.chance(35) ? 0 : rng.range(0, j - 1), relation = rng.range(1, 4);
            int value = rng.chance(30) ? 0 : rng.range(-3, 10);
            t[j] = std::max(t[j], t[p] + value + shift(p, j, relation));
            rec[p].push_back({j, 1, relation, value});
        }
        t[j] += rng.chance(50) ? 0 : rng.range(1, 5);
    }

    // Every activity reaches the end dummy: one that has no minimal lag to a
    // later activity gets one, to a later activity, which reaches it already,
    // or to the end dummy. Those into the end dummy are mostly at least the
    // duration of the source, so that raising the lags into the end dummy to
    // the durations changes nothing; sometimes shorter.
    for (int i = 0; i < end; i++) t[end] = std::max(t[end], t[i] + dur[i]);
    for (int j = end - 1; j >= 1; j--) {
        bool forward = false;
        for (const gpentry &e : rec[j]) forward = forward || (e.bound == 1 && e.named > j);
        if (forward) continue;
        int k = j == end - 1 || rng.chance(60) ? end : rng.range(j + 1, end - 1);
        if (k != end && k != planted) {
            add(j, k, 1, rng.chance(50) ? 0 : -rng.range(1, 5));
            continue;
        }
        int relation = rng.chance(80) ? rng.range(3, 4) : rng.range(1, 2);
        int value = rng.range(0, rng.chance(80) ? 3 : 5);
        rec[j].push_back({end, 1, relation, value});
        t[end] = std::max(t[end], t[j] + value + shift(j, end, relation));
    }
    t[end] += rng.chance(50) ? 0 : rng.range(1, 5);

    // Further minimal lags, maximal lags (from an activity to a later one),
    // entries of other types, a duplicate.
    for (int c = rng.below(n / 3 + 1); c > 0; c--) {
        int i = rng.range(0, end - 1), k = rng.range(i + 1, end);
        if (i != planted && k != planted) add(i, k, 1, rng.chance(50) ? 0 : -rng.range(1, 5));
    }
    int tight = plant == planttightmax ? rng.range(0, end - 1) : -1;
    for (int i = 0; i < end; i++) {
        if (i != tight && !rng.chance(maxlagpct)) continue;
        int s = rng.range(i + 1, end);
        int room = i == tight ? -rng.range(1, 5) : rng.chance(40) ? 0 : rng.range(1, 10);
        if (i != planted && s != planted) add(i, s, 2, room);
    }
    static const int oddtype[] = {0, 5, -1, 9}; // outside 1..2 and 1..4
    for (int i = 0; i < n; i++) {
        int s = rng.range(0, end), odd = oddtype[rng.below(4)], half = rng.below(2);
        if (rng.chance(5) && s != planted)
            rec[i].push_back(
                {s, half ? odd : rng.range(1, 2), half ? rng.range(1, 4) : odd, rng.range(-5, 20)});
    }
    int dup = rng.range(0, end - 1);
    if (rng.chance(15) && !rec[dup].empty()) { // weaker or equal
        gpentry e = rec[dup][rng.below((int)rec[dup].size())];
        e.value += e.bound == 1 ? -rng.range(0, 3) : e.bound == 2 ? rng.range(0, 3) : 0;
        rec[dup].push_back(e);
    }
    if (plant == plantloadcycle) {
        int i = rng.range(0, end - 2), k = rng.range(i + 1, end - 1), a = rng.range(0, 5);
        rec[i].push_back({k, 1, 1, a});
        rec[k].push_back({i, 1, 1, 1 - a + rng.range(0, 3)});
    }

    std::ostringstream out;
    out << n << " 0";
    for (int i = 0; i < n; i++) {
        std::vector<gpentry> &row = rec[i];
        for (int k = (int)row.size() - 1; k > 0; k--) std::swap(row[k], row[rng.below(k + 1)]);
        out << '\n' << dur[i] << "  " << row.size();
        for (const gpentry &e : row)
            out << "  " << e.named + 1 << ' ' << e.bound << ' ' << e.relation << ' ' << e.value;
    }
    return out.str() + '\n';
}
