// The random shape, built in the manner of the standard benchmark sets for
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
//    towards an activity s reached from i by one to three minimal-lag steps.
//    In start-to-start terms it is the arc s->i of length -M with M at least
//    the longest path from i to s in the network built so far (minimal lags
//    and the maximal lags added before). Every cycle through the new arc is
//    such a path plus the arc, of length at most 0; so no cycle of positive
//    length ever arises and the instance stays feasible.
// 5. Beyond 1000 activities (more than files of this shape ever had before)
//    the path search of step 4 can take time quadratic in the activity
//    count: with many maximal lags, the activities reachable from i reach
//    back through them to the very first ones. There M is measured on the
//    earliest starts of the minimal lags instead, M at least early(s) -
//    early(i); these starts then meet every relation, minimal and maximal,
//    so again no cycle of positive length arises. Up to 1000 activities the
//    files stay exactly as they were.
#include "generate.h"

#include <algorithm>
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
constexpr int maxsteps = 3;  // a maximal lag spans 1..maxsteps minimal-lag steps
constexpr uint64_t numberkey = 0x6a09e667f3bcc909ULL; // mixed with the number for its seed
constexpr int64_t unreached = INT64_MIN;

const int fs = gprcode(gprrel::fs);
const int minimal = gprcode(gprbound::minimal);
const int maximal = gprcode(gprbound::maximal);

// The network in start-to-start terms, for the longest paths. Every arc of a
// minimal lag runs from a lower activity index to a higher one; only the
// arcs of maximal lags run back.
struct network {
    std::vector<std::vector<std::pair<int, int>>> out; // per activity: (to, length)
    std::vector<int64_t> dist;
    std::vector<char> queued;
    std::vector<int> pushes;
    std::vector<int> touched; // activities whose dist, queued or pushes were set
    int backtop = -1;         // the highest activity an arc runs back from

    explicit network(int n) : out(n), dist(n, unreached), queued(n), pushes(n) {}

    void add(int from, int to, int length) {
        out[from].push_back({to, length});
        if (from > to) backtop = std::max(backtop, from);
    }

    // Longest path from a to b. The network holds no cycle of positive
    // length, so label correcting ends, with every activity queued at most
    // once per arc of a path, fewer than n times. More would prove a cycle
    // of positive length, a fault of this program.
    //
    // An activity above both b and backtop cannot lead back to b: from it
    // every arc climbs. The search leaves such activities out, so its work
    // stays near a and b instead of running up to the end dummy each time,
    // and the result is the same.
    int64_t longest(int a, int b) {
        int top = std::max(b, backtop);
        for (int v : touched) {
            dist[v] = unreached;
            queued[v] = 0;
            pushes[v] = 0;
        }
        touched.assign(1, a);
        std::deque<int> queue{a};
        dist[a] = 0;
        queued[a] = 1;
        while (!queue.empty()) {
            int u = queue.front();
            queue.pop_front();
            queued[u] = 0;
            for (auto [v, length] : out[u]) {
                if (v > top || dist[u] + length <= dist[v]) continue;
                if (dist[v] == unreached) touched.push_back(v);
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

gprinstance genrandom(const genparams &p, splitmix &rng, int n) {
    gprinstance g = genbase(rng, n, p.nrres, [&] { return rng.range(0, durmax); });
    int end = n - 1;
    network net(n);
    std::vector<std::vector<int>> later(n); // real activities each one precedes by a minimal lag
    std::vector<int64_t> early(n, 0);       // earliest starts from the minimal lags
    auto addminimal = [&](int i, int s, int rel, int v) {
        g.rec[i].push_back({s + 1, minimal, rel, v});
        int length = sslag(g, i, s, rel, v);
        net.add(i, s, length);
        early[s] = std::max(early[s], early[i] + length);
        if (s != end && i != 0) later[i].push_back(s);
    };

    for (int j = 1; j < end; j++) {
        early[j] = unreached;
        if (j == 1 || rng.chance(startpct)) {
            addminimal(0, j, fs, 0);
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
            int rel = p.mixed ? rng.range(gprcode(gprrel::ss), gprcode(gprrel::ff)) : fs;
            int value = rng.range(lagmin, lagmax);
            addminimal(q, j, rel, value);
        }
        if (early[j] < 0) addminimal(0, j, fs, 0);
    }
    for (int i = 1; i < end; i++)
        if (later[i].empty()) addminimal(i, end, fs, 0);
    if (n == 2) addminimal(0, end, fs, 0);

    // The share counts all real activities; those that precede no other
    // real activity cannot take part, so the picks come from the others.
    std::vector<int> eligible;
    for (int i = 1; i < end; i++)
        if (!later[i].empty()) eligible.push_back(i);
    const int64_t half = 50, whole = 100; // rounding of the percentage
    int want = (int)std::min<int64_t>((int64_t)eligible.size(),
                                      (p.maxlagpct * (int64_t)(n - 2) + half) / whole);
    for (int k = 0; k < want; k++)
        std::swap(eligible[k], eligible[rng.range(k, (int)eligible.size() - 1)]);
    eligible.resize(want);
    std::sort(eligible.begin(), eligible.end());
    for (int i : eligible) {
        int s = i, steps = rng.range(1, maxsteps);
        for (int k = 0; k < steps && !later[s].empty(); k++)
            s = later[s][rng.range(0, (int)later[s].size() - 1)];
        int64_t path = n <= gprmaxact ? net.longest(i, s) : early[s] - early[i];
        int least = (int)path + (rng.chance(tightpct) ? 0 : rng.range(1, extramax));
        int rel = p.mixed ? rng.range(gprcode(gprrel::ss), gprcode(gprrel::ff)) : fs;
        int value = least - sslag(g, i, s, rel, 0); // converts back to exactly `least`
        g.rec[i].push_back({s + 1, maximal, rel, value});
        net.add(s, i, -least);
    }
    return g;
}

} // namespace

uint64_t genmix(uint64_t z) {
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

uint64_t splitmix::next() {
    state += 0x9e3779b97f4a7c15ULL;
    return genmix(state);
}

int splitmix::range(int lo, int hi) {
    uint64_t span = (uint64_t)((int64_t)hi - lo + 1);
    return (int)(lo + (int64_t)(next() % span));
}

int sslag(const gprinstance &g, int i, int s, int rel, int v) {
    int shift = 0;
    if (rel == gprcode(gprrel::sf) || rel == gprcode(gprrel::ff)) shift -= g.dur[s];
    if (rel == gprcode(gprrel::fs) || rel == gprcode(gprrel::ff)) shift += g.dur[i];
    return v + shift;
}

gprinstance generate(const genparams &p, uint64_t seed, int number) {
    splitmix rng(genmix(seed) ^ genmix(numberkey + (uint64_t)(int64_t)number));
    if (p.shape == genshape::adversarial) return genadversarial(rng, p.nrres);
    int n = rng.range(p.minact, p.maxact);
    switch (p.shape) {
    case genshape::dense:
        return gendense(rng, n, p.nrres);
    case genshape::sparse:
        return gensparse(rng, n, p.nrres);
    case genshape::window:
        return genwindow(rng, n, p.nrres);
    default:
        return genrandom(p, rng, n);
    }
}
