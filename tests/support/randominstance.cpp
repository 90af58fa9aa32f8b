#include "support/randominstance.h"

#include <algorithm>
#include <sstream>
#include <vector>

uint64_t testrng::next() {
    state += 0x9e3779b97f4a7c15ull;
    uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

namespace {

struct gpentry {
    int named, bound, relation;
    long long value;
};

class builder {
  public:
    builder(uint64_t seed, const instanceshape &shape) : rng(seed), shape(shape) {}
    std::string build();

  private:
    testrng rng;
    instanceshape shape;
    int n = 0, end = 0;
    std::vector<int> dur;
    std::vector<long long> t; // the witness schedule
    std::vector<std::vector<gpentry>> rec;
    int planted = -1; // the activity of a planted defect, left out of random relations

    // Start-to-start form of a relation from i to s: start(s) vs start(i) + value + shift.
    long long shift(int i, int s, int relation) const {
        long long d = 0;
        if (relation == 3 || relation == 4) d += dur[i];
        if (relation == 2 || relation == 4) d -= dur[s];
        return d;
    }
    // A minimal lag from i to s that the witness meets, binding or with a little room.
    void addminimal(int i, int s) {
        int relation = rng.range(1, 4);
        long long room = rng.chance(50) ? 0 : rng.range(1, 5);
        rec[i].push_back({s, 1, relation, t[s] - t[i] - shift(i, s, relation) - room});
    }
    void addmaximal(int i, int s, bool tight) {
        int relation = rng.range(1, 4);
        long long room = tight ? -rng.range(1, 5) : rng.chance(40) ? 0 : rng.range(1, 10);
        rec[i].push_back({s, 2, relation, t[s] - t[i] - shift(i, s, relation) + room});
    }
    bool reachesforward(int i) const {
        for (const gpentry &e : rec[i])
            if (e.bound == 1 && e.relation >= 1 && e.relation <= 4 && e.named > i) return true;
        return false;
    }
    void predecessors(int j);
};

void builder::predecessors(int j) {
    if (j == planted) {
        switch (shape.plant) {
        case plantorphan:
            t[j] = 0;
            return;
        case plantdeep: {
            int a = rng.range(1, j - 1);
            rec[a].push_back({j, 1, 1, -(t[a] + 1000 + rng.range(0, 200))});
            t[j] = 0;
            return;
        }
        case plantnormcycle: {
            int k = rng.range(2, 6);
            rec[0].push_back({j, 1, 1, -k});
            rec[0].push_back({j, 2, 1, -rng.range(1, k - 1)});
            t[j] = 0;
            return;
        }
        default:
            break;
        }
    }
    if (j == planted && shape.plant == plantwide) {
        int a = rng.range(1, j - 1);
        rec[a].push_back({j, 1, 1, -(t[a] + 1000 + rng.range(0, 200))});
    }
    int count = rng.chance(30) ? 2 : 1;
    long long start = 0;
    for (int c = 0; c < count; c++) {
        int p = rng.chance(35) ? 0 : rng.range(0, j - 1);
        int relation = rng.range(1, 4);
        int value = rng.chance(30) ? 0 : rng.range(-3, 10);
        start = std::max(start, t[p] + value + shift(p, j, relation));
        rec[p].push_back({j, 1, relation, value});
    }
    t[j] = start + (rng.chance(50) ? 0 : rng.range(1, 5));
}

std::string builder::build() {
    n = rng.range(shape.minact, shape.maxact);
    end = n - 1;
    dur.assign(n, 0);
    t.assign(n, 0);
    rec.assign(n, {});
    for (int i = 1; i < end; i++) dur[i] = rng.chance(25) ? 0 : rng.range(1, 10);
    if (rng.chance(5)) dur[0] = rng.range(1, 4);
    if (rng.chance(5)) dur[end] = rng.range(1, 4);
    if (shape.plant == plantorphan || shape.plant == plantnormcycle)
        planted = rng.range(1, end - 1);
    if (shape.plant == plantdeep || shape.plant == plantwide) planted = rng.range(2, end - 1);

    for (int j = 1; j < end; j++) predecessors(j);

    // Every activity reaches the end dummy: one that has no minimal lag to a
    // later activity gets one, to the end dummy or to a later activity, which
    // reaches it already.
    std::vector<int> intoend;
    for (int j = end - 1; j >= 1; j--) {
        if (reachesforward(j)) continue;
        int k = j == end - 1 || rng.chance(60) ? end : rng.range(j + 1, end - 1);
        if (k == end || k == planted)
            intoend.push_back(j);
        else
            addminimal(j, k);
    }
    // Relations into the end dummy: mostly at least the duration of the
    // source, so that raising the lags into the end dummy to the durations
    // changes nothing; sometimes shorter.
    long long finish = 0;
    for (int i = 0; i < end; i++) finish = std::max(finish, t[i] + dur[i]);
    for (int i : intoend) {
        int relation = rng.chance(80) ? rng.range(3, 4) : rng.range(1, 2);
        int value = rng.chance(80) ? rng.range(0, 3) : rng.range(0, 5);
        rec[i].push_back({end, 1, relation, value});
        finish = std::max(finish, t[i] + value + shift(i, end, relation));
    }
    t[end] = finish + (rng.chance(50) ? 0 : rng.range(1, 5));

    // Further minimal lags, maximal lags (from an activity to a later one),
    // entries of other types, and duplicates.
    auto free = [this](int a) { return a != planted; };
    int extra = rng.below(n / 3 + 1);
    for (int c = 0; c < extra; c++) {
        int i = rng.range(0, end - 1), k = rng.range(i + 1, end);
        if (free(i) && free(k)) addminimal(i, k);
    }
    int tight = shape.plant == planttightmax ? rng.range(0, end - 1) : -1;
    for (int i = 0; i < end; i++) {
        if (i != tight && !rng.chance(shape.maxlagpct)) continue;
        int s = rng.range(i + 1, end);
        if (free(i) && free(s)) addmaximal(i, s, i == tight);
    }
    for (int i = 0; i < n; i++) {
        if (!rng.chance(shape.oddpct)) continue;
        int s = rng.range(0, end);
        if (!free(s)) continue;
        static const int oddbound[] = {0, 3, -1, 7}, oddrelation[] = {0, 5, -2, 9};
        if (rng.chance(50))
            rec[i].push_back({s, oddbound[rng.below(4)], rng.range(1, 4), rng.range(-5, 20)});
        else
            rec[i].push_back({s, rng.range(1, 2), oddrelation[rng.below(4)], rng.range(-5, 20)});
    }
    if (rng.chance(3)) {
        int i = rng.range(0, end);
        rec[i].push_back({i, 1, 1, -rng.range(0, 5)}); // a harmless relation to itself
    }
    if (rng.chance(15)) {
        int i = rng.range(0, end - 1);
        if (!rec[i].empty()) {
            gpentry e = rec[i][rng.below((int)rec[i].size())];
            if (e.bound == 1) e.value -= rng.range(0, 3); // weaker or equal
            if (e.bound == 2) e.value += rng.range(0, 3);
            rec[i].push_back(e);
        }
    }
    if (shape.plant == plantloadcycle) {
        int i = rng.range(0, end - 2), k = rng.range(i + 1, end - 1);
        int a = rng.range(0, 5);
        rec[i].push_back({k, 1, 1, a});
        rec[k].push_back({i, 1, 1, 1 - a + rng.range(0, 3)});
    }

    std::ostringstream out;
    int nrres = rng.range(0, 2);
    out << n << ' ' << nrres;
    for (int r = 0; r < nrres; r++) out << ' ' << rng.range(1, 10);
    out << '\n';
    for (int i = 0; i < n; i++) {
        std::vector<gpentry> &row = rec[i];
        for (int k = (int)row.size() - 1; k > 0; k--) std::swap(row[k], row[rng.below(k + 1)]);
        out << dur[i];
        for (int r = 0; r < nrres; r++) out << ' ' << rng.range(0, 5);
        out << "  " << row.size();
        for (const gpentry &e : row)
            out << "  " << e.named + 1 << ' ' << e.bound << ' ' << e.relation << ' ' << e.value;
        out << '\n';
    }
    return out.str();
}

} // namespace

std::string randominstance(uint64_t seed, const instanceshape &shape) {
    return builder(seed, shape).build();
}
