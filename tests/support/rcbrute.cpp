// The enumeration is kept obvious rather than fast. Each relation of the
// file becomes a difference constraint start(b) - start(a) >= w; the
// normalisation and the deadline add theirs; Floyd-Warshall then gives the
// longest path D[a][b] between every two activities, which is the tightest
// bound the relations put on start(b) - start(a). Because such a closed
// system of difference constraints is decomposable (every partial
// assignment that respects D between its own members extends to a whole
// schedule), the depth-first search that cuts each activity's range by D
// to the activities already placed never dead-ends on a relation: every
// leaf is a schedule that meets all of them, and every such schedule within
// the windows is a leaf unless the resources or the value bound cut it
// off. Each leaf is still checked against every entry of the file in the
// entry's own terms, so a slip in the conversion shows up as an exception.
#include "support/rcbrute.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

constexpr long long none = std::numeric_limits<long long>::min() / 4; // no path

// The start-to-start form of an entry: start(to) - start(from) >= w. False
// for codes that imply nothing.
bool difference(const rcproblem &p, const rcentry &e, int *from, int *to, long long *w) {
    if ((e.bound != 1 && e.bound != 2) || e.type < 1 || e.type > 4) return false;
    // The entry joins a point of its owner (the finish for FS and FF) to a
    // point of the named activity (the finish for SF and FF).
    long long ownerpoint = e.type == 3 || e.type == 4 ? p.dur[e.owner] : 0;
    long long namedpoint = e.type == 2 || e.type == 4 ? p.dur[e.named] : 0;
    long long lag = e.lag + ownerpoint - namedpoint; // start(named) - start(owner) vs lag
    if (e.bound == 1) {                              // at least lag
        *from = e.owner, *to = e.named, *w = lag;
    } else { // at most lag: start(owner) - start(named) >= -lag
        *from = e.named, *to = e.owner, *w = -lag;
    }
    return true;
}

// Whether schedule s meets entry e as the file states it.
bool meets(const rcproblem &p, const rcentry &e, const std::vector<long long> &s) {
    if ((e.bound != 1 && e.bound != 2) || e.type < 1 || e.type > 4) return true;
    long long owner = s[e.owner] + (e.type == 3 || e.type == 4 ? p.dur[e.owner] : 0);
    long long named = s[e.named] + (e.type == 2 || e.type == 4 ? p.dur[e.named] : 0);
    return e.bound == 1 ? named >= owner + e.lag : named <= owner + e.lag;
}

class search {
  public:
    search(const rcproblem &prob, const std::vector<std::vector<long long>> &dist,
           const std::vector<long long> &es, const std::vector<long long> &ls,
           const std::vector<double> &cashflows, double interest)
        : p(prob), D(dist), ES(es), LS(ls), cf(cashflows), r(interest), n((int)prob.dur.size()),
          start(n, 0) {
        first = *std::min_element(ES.begin(), ES.end());
        long long last = first;
        for (int i = 0; i < n; i++) last = std::max(last, LS[i] + std::max(p.dur[i], 0) + 1);
        use.assign(p.capacity.size(), std::vector<long long>(last - first + 1, 0));
        // The most each activity can add, and the most the activities from
        // position k on can add together.
        rest.assign(n + 1, 0);
        for (int i = n - 1; i >= 1; i--)
            rest[i] = rest[i + 1] + std::max(term(i, ES[i]), term(i, LS[i]));
    }

    rcanswer run() {
        start[0] = 0;
        place(1, term(0, 0));
        return best;
    }

  private:
    long double term(int i, long long t) const {
        return cf[i] == 0 ? 0.0L : (long double)cf[i] * std::exp(-(long double)r * (t + p.dur[i]));
    }

    // Adds (sign 1) or removes (sign -1) activity i at t from the profile;
    // false, with nothing changed, when adding overflows a resource.
    bool book(int i, long long t, int sign) {
        if (p.dur[i] <= 0) return true;
        for (size_t k = 0; k < p.capacity.size(); k++)
            for (long long u = t; sign > 0 && u < t + p.dur[i]; u++)
                if (use[k][u - first] + p.demand[i][k] > p.capacity[k]) return false;
        for (size_t k = 0; k < p.capacity.size(); k++)
            for (long long u = t; u < t + p.dur[i]; u++) use[k][u - first] += sign * p.demand[i][k];
        return true;
    }

    void place(int i, long double value) {
        if (best.kind == rckind::solved && value + rest[i] <= best.npv) return;
        if (i == n) {
            best.leaves++;
            for (const rcentry &e : p.entries)
                if (!meets(p, e, start))
                    throw std::logic_error(
                        "the enumeration reached a schedule that breaks an entry");
            if (best.kind != rckind::solved || value > best.npv) {
                best.kind = rckind::solved;
                best.npv = value;
                best.start = start;
            }
            return;
        }
        long long lo = ES[i], hi = LS[i];
        for (int a = 0; a < i; a++) {
            if (D[a][i] != none) lo = std::max(lo, start[a] + D[a][i]);
            if (D[i][a] != none) hi = std::min(hi, start[a] - D[i][a]);
        }
        for (long long t = lo; t <= hi; t++) {
            if (!book(i, t, 1)) continue;
            start[i] = t;
            place(i + 1, value + term(i, t));
            book(i, t, -1);
        }
    }

    const rcproblem &p;
    const std::vector<std::vector<long long>> &D; // [a][b] longest path, none if no path
    const std::vector<long long> &ES, &LS;        // [activity] window
    const std::vector<double> &cf;                // [activity] cash flow
    double r;                                     // interest rate
    int n;                                        // activities
    std::vector<long long> start;                 // [activity] the starts chosen so far
    long long first = 0;                          // earliest time of the profile
    std::vector<std::vector<long long>> use;      // [resource][time - first] units in use
    std::vector<long double> rest;                // [position] most the rest can add
    rcanswer best;                                // best complete schedule so far
};

} // namespace

std::string rcgprtext(const rcproblem &p) {
    const int n = (int)p.dur.size();
    std::string text = std::to_string(n) + " " + std::to_string(p.capacity.size());
    for (int c : p.capacity) text += " " + std::to_string(c);
    text += "\n";
    for (int i = 0; i < n; i++) {
        std::string list;
        int count = 0;
        for (const rcentry &e : p.entries) {
            if (e.owner != i) continue;
            count++;
            list += "  " + std::to_string(e.named + 1) + " " + std::to_string(e.bound) + " " +
                    std::to_string(e.type) + " " + std::to_string(e.lag);
        }
        text += std::to_string(p.dur[i]);
        for (int d : p.demand[i]) text += " " + std::to_string(d);
        text += "  " + std::to_string(count) + list + "\n";
    }
    return text;
}

namespace {

// The difference constraints of the instance: D[a][b] is the least that
// start(b) - start(a) must be (none: no constraint), before any closure.
std::vector<std::vector<long long>> constraints(const rcproblem &p, long long deadline) {
    const int n = (int)p.dur.size(), end = n - 1;
    std::vector<std::vector<long long>> D(n, std::vector<long long>(n, none));
    auto atleast = [&D](int a, int b, long long w) { D[a][b] = std::max(D[a][b], w); };
    // Pairs the file lists: every entry's own pair, and the reverse pair of
    // every maximal lag (which acts as an arc of its own).
    std::vector<std::vector<char>> listed(n, std::vector<char>(n, 0));
    for (const rcentry &e : p.entries) {
        listed[e.owner][e.named] = 1;
        int a, b;
        long long w;
        if (!difference(p, e, &a, &b, &w)) continue;
        listed[a][b] = 1;
        atleast(a, b, w);
    }
    // Every listed pair from the start dummy lets the activity start no
    // earlier than the project, every listed pair into the end dummy lets
    // its source finish before the end dummy starts; the end dummy starts
    // by the deadline.
    for (int i = 1; i < n; i++)
        if (listed[0][i]) atleast(0, i, 0);
    for (int i = 0; i < end; i++)
        if (listed[i][end]) atleast(i, end, p.dur[i]);
    atleast(end, 0, -deadline);
    return D;
}

} // namespace

bool rcfeasible(const rcproblem &p, long long deadline, const std::vector<long long> &s) {
    const int n = (int)p.dur.size();
    if ((int)s.size() != n || s[0] != 0) return false;
    const std::vector<std::vector<long long>> D = constraints(p, deadline);
    for (int a = 0; a < n; a++)
        for (int b = 0; b < n; b++)
            if (D[a][b] != none && s[b] - s[a] < D[a][b]) return false;
    for (int i = 0; i < n; i++) { // the use at each start, where it rises
        for (size_t k = 0; k < p.capacity.size(); k++) {
            long long used = 0;
            for (int j = 0; j < n; j++)
                if (p.dur[j] > 0 && s[j] <= s[i] && s[i] < s[j] + p.dur[j]) used += p.demand[j][k];
            if (p.dur[i] > 0 && used > p.capacity[k]) return false;
        }
    }
    return true;
}

rcanswer rcbrute(const rcproblem &p, long long deadline, const std::vector<double> &cf,
                 double interest) {
    const int n = (int)p.dur.size();
    std::vector<std::vector<long long>> D = constraints(p, deadline);
    auto atleast = [&D](int a, int b, long long w) { D[a][b] = std::max(D[a][b], w); };
    for (int i = 0; i < n; i++) atleast(i, i, 0);
    for (int k = 0; k < n; k++)
        for (int a = 0; a < n; a++)
            for (int b = 0; b < n; b++)
                if (D[a][k] != none && D[k][b] != none) atleast(a, b, D[a][k] + D[k][b]);

    rcanswer answer;
    for (int i = 0; i < n; i++)
        if (D[i][i] > 0) return answer; // a cycle of positive length: rckind::relations
    std::vector<long long> es(n), ls(n);
    for (int i = 0; i < n; i++) {
        if (D[0][i] == none) answer.kind = rckind::unreached;
        es[i] = D[0][i];
    }
    if (answer.kind == rckind::unreached) return answer;
    for (int i = 0; i < n; i++) {
        if (D[i][0] == none) answer.kind = rckind::notbounded;
        ls[i] = -D[i][0];
    }
    if (answer.kind == rckind::notbounded) return answer;
    answer = search(p, D, es, ls, cf, interest).run();
    if (answer.kind != rckind::solved) answer.kind = rckind::resources;
    return answer;
}
