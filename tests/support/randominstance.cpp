#include "support/randominstance.h"

#include <algorithm>
#include <array>
#include <sstream>
#include <vector>

std::string randominstance(uint64_t seed, plantkind plant, int maxact, int maxlagpct) {
    using entry = std::array<long long, 4>; // named activity (0-based), bound, relation, value
    testrng rng{seed};
    const int n = rng.range(5, maxact), end = n - 1;
    std::vector<long long> dur(n, 0), t(n, 0); // t: the witness schedule
    std::vector<std::vector<entry>> rec(n);
    // Start-to-start form of a relation from i to s: start(s) vs start(i) + value + shift.
    auto shift = [&](int i, int s, int r) { return (r >= 3 ? dur[i] : 0) - (r % 2 ? 0 : dur[s]); };
    // A lag from i to s that the witness meets with the given room (minimal
    // lags: room <= 0, binding at 0; maximal lags: room >= 0 unless planted).
    auto add = [&](int i, int s, int bound, long long room) {
        int relation = rng.range(1, 4);
        rec[i].push_back({s, bound, relation, t[s] - t[i] - shift(i, s, relation) + room});
    };
    auto loose = [&] { return rng.chance(50) ? 0 : rng.range(1, 5); };

    for (int i = 1; i < end; i++) dur[i] = rng.chance(25) ? 0 : rng.range(1, 10);
    for (int d : {0, end}) dur[d] = rng.chance(5) ? rng.range(1, 4) : 0;
    // The activity of a planted defect, left out of the random relations.
    const int planted = plant >= plantnormcycle ? rng.range(2, end - 1) : -1;

    for (int j = 1; j < end; j++) {
        if (j == planted && plant != plantwide) { // witness start 0
            // normcycle: at least k before 0, at most m < k before it.
            int k = rng.range(2, 6), m = rng.range(1, k - 1);
            if (plant == plantnormcycle)
                rec[0].insert(rec[0].end(), {{j, 1, 1, -k}, {j, 2, 1, -m}});
            continue;
        }
        for (int c = rng.chance(30) ? 2 : 1; c > 0; c--) {
            int p = rng.chance(35) ? 0 : rng.range(0, j - 1), relation = rng.range(1, 4);
            int value = rng.chance(30) ? 0 : rng.range(-3, 10);
            t[j] = std::max(t[j], t[p] + value + shift(p, j, relation));
            rec[p].push_back({j, 1, relation, value});
        }
        t[j] += loose();
        if (j == planted) add(rng.range(1, j - 1), j, 1, -t[j] - rng.range(1000, 1200));
    }

    // Every activity reaches the end dummy: one that has no minimal lag to a
    // later activity gets one, to a later activity, which reaches it already,
    // or to the end dummy. Those into the end dummy may be shorter than the
    // duration of their source; the witness meets the raised lag as well.
    for (int i = 0; i < end; i++) t[end] = std::max(t[end], t[i] + dur[i]);
    t[end] += loose();
    for (int j = end - 1; j >= 1; j--) {
        bool forward = false;
        for (const entry &e : rec[j]) forward = forward || (e[1] == 1 && e[0] > j);
        int k = j == end - 1 || rng.chance(60) ? end : rng.range(j + 1, end - 1);
        if (!forward) add(j, k == planted ? end : k, 1, -loose());
    }

    // Further minimal lags, maximal lags (from an activity to a later one),
    // entries of other types, a duplicate.
    const int tight = plant == planttightmax ? rng.range(0, end - 1) : -1;
    for (int i = 0; i < end; i++) {
        int k = rng.range(i + 1, end), s = rng.range(i + 1, end);
        if (i == planted) continue;
        if (k != planted && rng.chance(15)) add(i, k, 1, -loose());
        if (s != planted && (i == tight || rng.chance(maxlagpct)))
            add(i, s, 2, i == tight ? -rng.range(1, 5) : rng.chance(40) ? 0 : rng.range(1, 10));
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
        entry e = rec[dup][rng.below((int)rec[dup].size())];
        e[3] += e[1] == 1 ? -rng.range(0, 3) : e[1] == 2 ? rng.range(0, 3) : 0;
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
        for (int k = (int)rec[i].size() - 1; k > 0; k--)
            std::swap(rec[i][k], rec[i][rng.below(k + 1)]);
        out << '\n' << dur[i] << "  " << rec[i].size();
        for (const entry &e : rec[i])
            for (int f = 0; f < 4; f++) out << (f ? " " : "  ") << e[f] + (f == 0); // named from 1
    }
    return out.str() + '\n';
}
