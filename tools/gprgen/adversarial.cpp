// The adversarial shape: small instances (5 to 40 activities) that mix a
// plain network with odd structures, for comparing two revisions of the
// solver on every path through the reader, the temporal analysis and the
// search. They are not meant to be solvable: each instance applies one to
// four changes, drawn by its seed from the list below, to a network of the
// sparse, dense or window shape. Every value keeps to the file's rules
// (activity numbers 1..n, counts 0..1000, magnitudes up to 1,000,000), so
// the reader accepts the file and the odd structure reaches the solver.
#include <algorithm>

#include "generate.h"

namespace {

constexpr int actmin = 5; // activity counts, both dummies included
constexpr int actmax = 40;
constexpr int changesmin = 1; // changes applied to one instance
constexpr int changesmax = 4;
constexpr int hugeval = gprmaxmag;
constexpr int deeplag[] = {-500, -5000}; // below the solver's marks for unreached starts

const int ss = gprcode(gprrel::ss);
const int fs = gprcode(gprrel::fs);
const int ff = gprcode(gprrel::ff);
const int minimal = gprcode(gprbound::minimal);
const int maximal = gprcode(gprbound::maximal);

enum change {
    poscycle,     // a cycle of positive length between two real activities
    startcycle,   // a cycle that only the raise of lags from the start dummy to 0 makes positive
    endcycle,     // one that only the raise of lags into the end dummy to the duration makes
    isolated,     // an activity that no relation names and that names none
    unreached,    // an activity that no relation reaches; its own entries stay
    endunreached, // no relation into the end dummy
    intostart,    // real activities naming the start dummy
    outofend,     // the end dummy naming activities, the start dummy among them
    shortintoend, // a relation into the end dummy shorter than its source's duration
    deepnegative, // an activity reached only through lags of -500 or -5000
    maxonly,      // a pair listed only through a maximal lag
    badcodes,     // entries with bound types outside 1..2 or relation types outside 1..4
    duplicates,   // the same entry twice, and the same pair with another value
    selfloop,     // an activity naming itself
    ties,         // zero durations and zero lags
    hugevalues,   // lags and durations of magnitude up to 1,000,000
    negdurations, // negative durations
    unboundedneg, // activities whose only relations come into them
    zerocycle,    // a cycle of length 0
    changecount
};

struct mutator {
    gprinstance &g;
    splitmix &rng;
    int end;

    int real() { return rng.range(1, end - 1); }
    int any() { return rng.range(0, end); }
    // Removes every entry that names activity j (0-based).
    void unname(int j) {
        for (auto &rec : g.rec)
            rec.erase(std::remove_if(rec.begin(), rec.end(),
                                     [&](const gprentry &e) { return e.succ == j + 1; }),
                      rec.end());
    }
    void add(int i, int s, int bound, int rel, int value) {
        g.rec[i].push_back({s + 1, bound, rel, value});
    }
    // Two different real activities, a < b.
    std::pair<int, int> pair() {
        int a = rng.range(1, end - 2);
        int b = rng.range(a + 1, end - 1);
        return {a, b};
    }

    void apply(int kind) {
        switch (kind) {
        case poscycle: {
            auto [a, b] = pair();
            int v = rng.range(1, 10);
            int excess = rng.range(1, 3);
            add(a, b, minimal, ss, v);
            add(b, a, minimal, ss, excess - v);
            break;
        }
        case startcycle: {
            // As read, start(j) may lie in [lag, bound]; the raise of the
            // lag to 0 leaves no room under a negative bound.
            int j = real();
            unname(j);
            int bound = -rng.range(1, 5);
            int lag = bound - rng.range(0, 5);
            add(0, j, minimal, ss, lag);
            add(0, j, maximal, ss, bound);
            break;
        }
        case endcycle: {
            int j = real();
            if (g.dur[j] < 2) g.dur[j] = rng.range(2, 10);
            add(j, end, minimal, ss, 0);
            add(j, end, maximal, ss, rng.range(0, g.dur[j] - 1));
            break;
        }
        case isolated: {
            int j = real();
            unname(j);
            g.rec[j].clear();
            break;
        }
        case unreached:
            unname(real());
            break;
        case endunreached:
            unname(end);
            break;
        case intostart: {
            int i = real();
            add(i, 0, rng.range(minimal, maximal), rng.range(ss, ff), rng.range(-10, 10));
            break;
        }
        case outofend: {
            add(end, 0, minimal, rng.range(ss, ff), rng.range(-10, 10));
            int count = rng.range(0, 2);
            for (int k = 0; k < count; k++)
                add(end, any(), rng.range(minimal, maximal), rng.range(ss, ff), rng.range(-10, 10));
            break;
        }
        case shortintoend: {
            int j = real();
            if (g.dur[j] < 1) g.dur[j] = rng.range(1, 10);
            auto &rec = g.rec[j];
            rec.erase(std::remove_if(rec.begin(), rec.end(),
                                     [&](const gprentry &e) { return e.succ == end + 1; }),
                      rec.end());
            bool asfs = rng.chance(50);
            if (asfs)
                add(j, end, minimal, fs, -rng.range(1, g.dur[j]));
            else
                add(j, end, minimal, ss, rng.range(0, g.dur[j] - 1));
            break;
        }
        case deepnegative: {
            // A chain a -> j -> k whose starts fall far below every other.
            auto [a, j] = pair();
            unname(j);
            int lag = deeplag[rng.range(0, 1)];
            add(a, j, minimal, ss, lag);
            if (j + 1 < end) {
                unname(j + 1);
                add(j, j + 1, minimal, ss, lag);
            }
            break;
        }
        case maxonly: {
            auto [a, b] = pair();
            unname(b);
            add(a, b, maximal, rng.range(ss, ff), rng.range(-10, 10));
            break;
        }
        case badcodes: {
            static const int badbounds[] = {0, 3, -1, 7};
            static const int badrels[] = {0, 5, -2, 9};
            auto [a, b] = pair();
            if (rng.chance(50)) unname(b);
            int bound = badbounds[rng.range(0, 3)];
            add(a, b, bound, rng.range(ss, ff), rng.range(-10, 10));
            int rel = badrels[rng.range(0, 3)];
            add(a, b, rng.range(minimal, maximal), rel, rng.range(-10, 10));
            break;
        }
        case duplicates: {
            int i = real();
            if (g.rec[i].empty()) add(i, end, minimal, fs, 0);
            gprentry e = g.rec[i][rng.range(0, (int)g.rec[i].size() - 1)];
            g.rec[i].push_back(e);
            e.value += rng.range(-5, 5);
            g.rec[i].push_back(e);
            break;
        }
        case selfloop: {
            int j = any();
            add(j, j, rng.range(minimal, maximal), rng.range(ss, ff), rng.range(-3, 3));
            break;
        }
        case ties:
            for (int i = 1; i < end; i++)
                if (rng.chance(50)) g.dur[i] = 0;
            for (auto &rec : g.rec)
                for (gprentry &e : rec)
                    if (rng.chance(50)) e.value = 0;
            break;
        case hugevalues: {
            int count = rng.range(1, 3);
            for (int k = 0; k < count; k++) {
                auto [a, b] = pair();
                int sign = rng.chance(50) ? 1 : -1;
                add(a, b, rng.range(minimal, maximal), rng.range(ss, ff), sign * hugeval);
            }
            if (rng.chance(50)) g.dur[real()] = hugeval;
            break;
        }
        case negdurations: {
            int count = rng.range(1, 3);
            for (int k = 0; k < count; k++)
                g.dur[real()] = rng.chance(20) ? -hugeval : -rng.range(1, 10);
            break;
        }
        case unboundedneg: {
            int count = rng.range(1, 3);
            for (int k = 0; k < count; k++) g.rec[real()].clear();
            break;
        }
        case zerocycle: {
            auto [a, b] = pair();
            int v = rng.range(0, 10);
            add(a, b, minimal, ss, v);
            if (rng.chance(50))
                add(b, a, minimal, ss, -v);
            else
                add(a, b, maximal, ss, v);
            break;
        }
        }
    }
};

} // namespace

gprinstance genadversarial(splitmix &rng, int nrres) {
    int n = rng.range(actmin, actmax);
    int base = rng.range(0, 2);
    gprinstance g = base == 0   ? gensparse(rng, n, nrres)
                    : base == 1 ? gendense(rng, n, nrres)
                                : genwindow(rng, n, nrres);
    mutator m{g, rng, n - 1};
    int changes = rng.range(changesmin, changesmax);
    for (int k = 0; k < changes; k++) m.apply(rng.range(0, changecount - 1));
    // A change that shifts a value of another one may pass the file's bound.
    for (auto &rec : g.rec)
        for (gprentry &e : rec) e.value = std::clamp(e.value, -hugeval, hugeval);
    return g;
}
