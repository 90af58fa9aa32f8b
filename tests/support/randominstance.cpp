#include "support/randominstance.h"

#include <algorithm>
#include <array>
#include <sstream>
#include <vector>

namespace {

using entry = std::array<long long, 4>; // named activity (0-based), bound, relation, value

std::string format(const std::vector<long long> &dur, std::vector<std::vector<entry>> &rec,
                   testrng &rng) {
    std::ostringstream out;
    out << dur.size() << " 0";
    for (size_t i = 0; i < dur.size(); i++) {
        for (int k = (int)rec[i].size() - 1; k > 0; k--)
            std::swap(rec[i][k], rec[i][rng.below(k + 1)]);
        out << '\n' << dur[i] << "  " << rec[i].size();
        for (const entry &e : rec[i])
            for (int f = 0; f < 4; f++) out << (f ? " " : "  ") << e[f] + (f == 0); // named from 1
    }
    return out.str() + '\n';
}

} // namespace

std::string randominstance(uint64_t seed, plantkind plant, int maxact, int maxlagpct) {
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
    static const int oddtype[] = {0, 5, -1, 9}; // outside 1..2 and 1..4
    // An entry from i to s that gives no lag: a bound or relation type outside the range.
    auto lagless = [&](int i, int s) {
        int odd = oddtype[rng.below(4)];
        bool half = rng.below(2);
        rec[i].push_back(
            {s, half ? odd : rng.range(1, 2), half ? rng.range(1, 4) : odd, rng.range(-5, 20)});
    };

    for (int i = 1; i < end; i++) dur[i] = rng.chance(25) ? 0 : rng.range(1, 10);
    for (int d : {0, end}) dur[d] = rng.chance(5) ? rng.range(1, 4) : 0;
    // The activity of a planted defect, left out of the random relations.
    const int planted = plant >= plantnormcycle ? rng.range(2, end - 1) : -1;
    if (plant == plantshortend) dur[planted] = rng.range(30, 60);
    // The activities that lead nowhere: the last real ones.
    const int dropfrom = plant == plantdropped ? std::max(2, end - rng.range(1, 3)) : end;
    auto dropped = [&](int i) { return i >= dropfrom && i < end; };

    for (int j = 1; j < end; j++) {
        if (j == planted && plant == plantnegchain) {
            int p = rng.range(1, j - 1);
            t[j] = t[p] - rng.range(200, 600);
            add(p, j, 1, 0);
            continue;
        }
        if (j == planted && plant != plantwide && plant != plantshortend) { // witness start 0
            if (plant == plantnormcycle) { // at least k before 0, at most m < k before it
                int k = rng.range(2, 6), m = rng.range(1, k - 1);
                rec[0].insert(rec[0].end(), {{j, 1, 1, -k}, {j, 2, 1, -m}});
            }
            if (plant == plantphantom) {
                int i = rng.chance(30) ? 0 : rng.range(1, j - 1);
                if (rng.chance(50))
                    add(i, j, 2, rng.range(0, 5));
                else
                    lagless(i, j);
            }
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

    // Every activity but those that lead nowhere reaches the end dummy: one
    // that has no minimal lag to a later such activity gets one, to a later
    // activity, which reaches it already, or to the end dummy. Those into
    // the end dummy may be shorter than the duration of their source; the
    // witness meets the raised lag as well.
    for (int i = 0; i < end; i++) t[end] = std::max(t[end], t[i] + dur[i]);
    t[end] += loose();
    for (int j = end - 1; j >= 1; j--) {
        if (dropped(j)) { // a chain among them now and then
            if (dropped(j + 1) && rng.chance(50)) add(j, j + 1, 1, -loose());
            continue;
        }
        if (j == planted && plant == plantshortend) {
            rec[j].push_back({end, 1, 1, 0});
            continue;
        }
        bool forward = false;
        for (const entry &e : rec[j])
            forward = forward || (e[1] == 1 && e[0] > j && !dropped(e[0]));
        int k = j == end - 1 || rng.chance(60) ? end : rng.range(j + 1, end - 1);
        if (!forward) add(j, k == planted || dropped(k) ? end : k, 1, -loose());
    }

    // Further minimal lags, maximal lags (from an activity to a later one),
    // entries of other types, a duplicate. Nothing names an activity that
    // leads nowhere through a maximal lag (its reverse arc would lead back),
    // and those activities themselves list nothing later but through pairs
    // without a lag, never the end dummy.
    const int tight = plant == planttightmax ? rng.range(0, end - 1) : -1;
    for (int i = 0; i < end; i++) {
        int k = rng.range(i + 1, end), s = rng.range(i + 1, end);
        if (i == planted) continue;
        if (dropped(i)) {
            if (rng.chance(30))
                add(i, rng.range(1, end - 1), 2, loose()); // its own pair is lagless
            if (rng.chance(30)) lagless(i, rng.range(0, end - 1));
            continue;
        }
        if (k != planted && rng.chance(15)) add(i, k, 1, -loose());
        if (s != planted && !dropped(s) && (i == tight || rng.chance(maxlagpct)))
            add(i, s, 2, i == tight ? -rng.range(1, 5) : rng.chance(40) ? 0 : rng.range(1, 10));
    }
    for (int i = 0; i < n; i++) {
        int s = rng.range(0, end);
        if (rng.chance(5) && s != planted && !(dropped(i) && s == end)) lagless(i, s);
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
    if (plant == plantinto0) { // broken by the witness now and then
        int q = rng.range(1, end);
        bool broken = rng.chance(50);
        if (rng.chance(50))
            add(q, 0, 1, broken ? rng.range(1, 3) : -rng.range(0, 3));
        else
            add(0, q, 2, broken ? -rng.range(1, 3) : rng.range(0, 3));
    }
    if (plant == plantendunreached)
        for (auto &row : rec)
            row.erase(
                std::remove_if(row.begin(), row.end(), [&](const entry &e) { return e[0] == end; }),
                row.end());
    return format(dur, rec, rng);
}

std::string randomproject(uint64_t seed, int n) {
    testrng rng{seed};
    const int end = n - 1;
    std::vector<long long> dur(n, 0), early(n, 0); // early: earliest starts of the minimal lags
    std::vector<std::vector<entry>> rec(n);
    std::vector<char> followed(n, 0);
    auto minimal = [&](int i, int s, int relation, int value) {
        long long shift = (relation >= 3 ? dur[i] : 0) - (relation % 2 ? 0 : dur[s]);
        rec[i].push_back({s, 1, relation, value});
        early[s] = std::max(early[s], early[i] + value + shift);
        if (i != 0) followed[i] = 1;
    };
    for (int i = 1; i < end; i++) dur[i] = rng.range(0, 10);
    for (int j = 1; j < end; j++) {
        if (j == 1 || rng.chance(8)) {
            minimal(0, j, 3, 0);
            continue;
        }
        int lo = std::max(1, j - 10), count = std::min(j - lo, 1 + rng.below(3));
        for (int c = 0; c < count; c++)
            minimal(rng.range(lo, j - 1), j, rng.range(1, 4), rng.range(-3, 10));
    }
    for (int i = 1; i < end; i++)
        if (!followed[i]) minimal(i, end, 3, 0);
    for (int i = 0; i < end; i++) early[end] = std::max(early[end], early[i] + dur[i]);
    // Maximal lags from i to a later activity s that the earliest starts
    // meet, so the network keeps a schedule and no cycle of positive length.
    for (int i = 1; i < end; i++) {
        if (!rng.chance(20)) continue;
        int s = std::min(end - 1, i + rng.range(1, 10)), relation = rng.range(1, 4);
        long long shift = (relation >= 3 ? dur[i] : 0) - (relation % 2 ? 0 : dur[s]);
        long long least =
            std::max(0LL, early[s] - early[i]) + (rng.chance(30) ? 0 : rng.range(1, 5));
        rec[i].push_back({s, 2, relation, least - shift});
    }
    return format(dur, rec, rng);
}
