// How an instance is built, in the manner of the standard benchmark sets for
// generalized precedence relations:
//
// 1. Activities 2..n-1 of the file (indices 1..n-2) get durations 0..10 and
//    minimal lags from one to three earlier activities within a window of
//    the last ten; the first real activity and about one in twelve others
//    follow the start dummy instead. The lag values are -3..10, of a random
//    relation type or finish-to-start only.
// 2. An activity whose earliest start would come out negative also follows
//    the start dummy, so every earliest start is at least 0. (The solver
//    marks unreached starts with a negative number; keeping every longest
//    path from the start dummy non-negative keeps that mark out of play.)
// 3. Every activity that no later activity follows precedes the end dummy.
//    Arcs from the start dummy and into the end dummy are finish-to-start
//    with lag 0, which the solver's normalisation leaves as they are, so the
//    deadline drawn from the earliest starts can always be met.
// 4. Maximal lags: the given percentage of the real activities (rounded,
//    and drawn among those that precede another real activity) get one each,
//    towards an activity s reached from i by one to three minimal-lag steps. In start-to-start
//    terms it is the arc s->i of length -M with M at least the longest path from i to s in the
//    network built so far (minimal lags and the maximal lags added before). Every cycle through the
//    new arc is such a path plus the arc, of length at most 0; so no cycle of positive length ever
//    arises and the instance stays feasible.
#include "generate.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <stdexcept>

namespace {

constexpr int window = 10;  // predecessors are drawn among this many earlier activities
constexpr int startpct = 8; // share of real activities that follow the start dummy
constexpr int durmax = 10;  // durations are 0..durmax
constexpr int lagmin = -3;  // minimal lag values are lagmin..lagmax
constexpr int lagmax = 10;
constexpr int tightpct = 30; // share of maximal lags exactly as long as the longest path
constexpr int extramax = 5;  // otherwise a maximal lag exceeds it by 1..extramax
constexpr int64_t unreached = INT64_MIN;

uint64_t mix(uint64_t z) {
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

// The start-to-start lag that a relation from i to s with value v implies.
int sslag(const geninstance &g, int i, int s, int rel, int v) {
    int shift = 0;
    if (rel == 2 || rel == 4) shift -= g.dur[s];
    if (rel == 3 || rel == 4) shift += g.dur[i];
    return v + shift;
}

// The network in start-to-start terms, for the longest paths.
struct network {
    std::vector<std::vector<std::pair<int, int>>> out; // per activity: (to, length)
    std::vector<int64_t> dist;
    std::vector<char> queued;
    std::vector<int> pushes;

    explicit network(int n) : out(n), dist(n), queued(n), pushes(n) {}

    void add(int from, int to, int length) { out[from].push_back({to, length}); }

    // Longest path from a to b; the network holds no cycle of positive
    // length, so label correcting ends, with every activity queued at most
    // once per arc of a path, fewer than n times. More would prove a cycle
    // of positive length, a fault of this program.
    int64_t longest(int a, int b) {
        std::fill(dist.begin(), dist.end(), unreached);
        std::fill(queued.begin(), queued.end(), 0);
        std::fill(pushes.begin(), pushes.end(), 0);
        std::deque<int> queue{a};
        dist[a] = 0;
        queued[a] = 1;
        while (!queue.empty()) {
            int u = queue.front();
            queue.pop_front();
            queued[u] = 0;
            for (auto [v, length] : out[u]) {
                if (dist[u] + length <= dist[v]) continue;
                dist[v] = dist[u] + length;
                if (!queued[v]) {
                    if (++pushes[v] >= (int)out.size())
                        throw std::logic_error("a cycle of positive length arose");
                    queued[v] = 1;
                    queue.push_back(v);
                }
            }
        }
        return dist[b];
    }
};

} // namespace

uint64_t splitmix::next() {
    state += 0x9e3779b97f4a7c15ULL;
    return mix(state);
}

int splitmix::range(int lo, int hi) {
    uint64_t span = (uint64_t)((int64_t)hi - lo + 1);
    return (int)(lo + (int64_t)(next() % span));
}

geninstance generate(const genparams &p, uint64_t seed, int number) {
    splitmix rng(mix(seed) ^ mix(0x6a09e667f3bcc909ULL + (uint64_t)(int64_t)number));
    geninstance g;
    int n = rng.range(p.minact, p.maxact);
    int end = n - 1;
    g.nract = n;
    for (int k = 0; k < p.nrres; k++) g.capacity.push_back(rng.range(10, 30));
    g.dur.assign(n, 0);
    g.demand.assign(n, std::vector<int>(p.nrres, 0));
    g.rec.assign(n, {});
    for (int i = 1; i < end; i++) {
        g.dur[i] = rng.range(0, durmax);
        for (int k = 0; k < p.nrres; k++) g.demand[i][k] = rng.range(0, 10);
    }

    network net(n);
    std::vector<std::vector<int>> later(n); // real activities each one precedes by a minimal lag
    std::vector<int64_t> early(n, 0);       // earliest starts from the minimal lags
    auto minimal = [&](int i, int s, int rel, int v) {
        g.rec[i].push_back({s + 1, 1, rel, v});
        int length = sslag(g, i, s, rel, v);
        net.add(i, s, length);
        early[s] = std::max(early[s], early[i] + length);
        if (s != end && i != 0) later[i].push_back(s);
    };

    for (int j = 1; j < end; j++) {
        early[j] = unreached;
        if (j == 1 || rng.chance(startpct)) {
            minimal(0, j, 3, 0);
            continue;
        }
        int lo = std::max(1, j - window);
        // One draw per statement: the order in which the operands of an
        // expression or the arguments of a call are evaluated is not fixed
        // by the language, and the files must not depend on the compiler.
        int count = 1 + rng.chance(45);
        count += rng.chance(20);
        count = std::min(j - lo, count);
        std::vector<int> chosen;
        while ((int)chosen.size() < count) {
            int q = rng.range(lo, j - 1);
            if (std::find(chosen.begin(), chosen.end(), q) == chosen.end()) chosen.push_back(q);
        }
        std::sort(chosen.begin(), chosen.end());
        for (int q : chosen) {
            int rel = p.mixed ? rng.range(1, 4) : 3;
            int value = rng.range(lagmin, lagmax);
            minimal(q, j, rel, value);
        }
        if (early[j] < 0) minimal(0, j, 3, 0);
    }
    for (int i = 1; i < end; i++)
        if (later[i].empty()) minimal(i, end, 3, 0);
    if (n == 2) minimal(0, end, 3, 0);

    // The share counts all real activities; those that precede no other
    // real activity cannot take part, so the picks come from the others.
    std::vector<int> eligible;
    for (int i = 1; i < end; i++)
        if (!later[i].empty()) eligible.push_back(i);
    int want = std::min((int)eligible.size(), (p.maxlagpct * (n - 2) + 50) / 100);
    for (int k = 0; k < want; k++)
        std::swap(eligible[k], eligible[rng.range(k, (int)eligible.size() - 1)]);
    eligible.resize(want);
    std::sort(eligible.begin(), eligible.end());
    for (int i : eligible) {
        int s = i, steps = rng.range(1, 3);
        for (int k = 0; k < steps && !later[s].empty(); k++)
            s = later[s][rng.range(0, (int)later[s].size() - 1)];
        int64_t path = net.longest(i, s);
        int least = (int)path + (rng.chance(tightpct) ? 0 : rng.range(1, extramax));
        int rel = p.mixed ? rng.range(1, 4) : 3;
        int value = least - sslag(g, i, s, rel, 0); // converts back to exactly `least`
        g.rec[i].push_back({s + 1, 2, rel, value});
        net.add(s, i, -least);
    }
    return g;
}

std::string formatinstance(const geninstance &g) {
    std::string text = std::to_string(g.nract) + " " + std::to_string(g.capacity.size());
    for (int c : g.capacity) text += " " + std::to_string(c);
    text += "\n";
    char buf[64];
    for (int i = 0; i < g.nract; i++) {
        text += std::to_string(g.dur[i]);
        for (int d : g.demand[i]) text += " " + std::to_string(d);
        text += "  " + std::to_string(g.rec[i].size());
        for (const genentry &e : g.rec[i]) {
            std::snprintf(buf, sizeof buf, "  %d %d %d %d", e.succ, e.bound, e.rel, e.value);
            text += buf;
        }
        text += "\n";
    }
    return text;
}
