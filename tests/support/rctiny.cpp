// The tiny instances of the resource tests (see rctiny.h).
#include "support/rctiny.h"

#include <algorithm>
#include <cmath>

#include "format/instformat.h"
#include "support/randominstance.h"

tinycase tiny(uint64_t seed) {
    testrng rng{seed};
    tinycase c;
    rcproblem &p = c.p;
    const int n = rng.range(4, 7), end = n - 1, resources = rng.range(1, 2);
    p.dur.assign(n, 0);
    for (int i = 1; i < end; i++) p.dur[i] = rng.range(0, 4);
    p.capacity.resize(resources);
    for (int &cap : p.capacity) cap = rng.range(1, 3);
    p.demand.assign(n, std::vector<int>(resources, 0));
    for (int i = 1; i < end; i++)
        for (int k = 0; k < resources; k++)
            p.demand[i][k] =
                rng.chance(2) ? p.capacity[k] + 1 : rng.range(p.capacity[k] / 2, p.capacity[k]);
    for (int i = 1; i < end; i++)
        p.entries.push_back({rng.below(i), i, 1, rng.range(1, 4), rng.range(-1, 3)});
    for (int i = 1; i < end; i++)
        if (rng.chance(85)) p.entries.push_back({i, end, 1, rng.range(1, 4), rng.range(-1, 1)});
    for (int k = rng.range(0, 2); k > 0 && end > 2; k--) {
        int a = rng.range(1, end - 2), b = rng.range(a + 1, end - 1);
        p.entries.push_back({a, b, 2, rng.range(1, 4), rng.range(0, 6)});
    }
    if (rng.chance(20)) // implies nothing
        p.entries.push_back({rng.range(0, end), rng.range(0, end), rng.chance(50) ? 3 : 1,
                             rng.chance(50) ? 7 : 1, rng.range(-3, 3)});
    std::stable_sort(p.entries.begin(), p.entries.end(),
                     [](const rcentry &a, const rcentry &b) { return a.owner < b.owner; });
    c.deadline = rng.range(5, 15);
    for (int i = 0; i < n; i++) c.cf.push_back(rng.range(-500, 500));
    c.interest = rng.chance(10) ? 0.0 : rng.range(1, 9) / 100.0;
    return c;
}

// The sum of the magnitudes of the discounted cash flows of schedule s: the
// scale against which two values of the same instance are compared.
double size(const std::vector<double> &cf, const std::vector<int> &dur,
            const std::vector<long long> &s, double r) {
    double sum = 0;
    for (size_t i = 0; i < cf.size(); i++) sum += std::fabs(cf[i]) * std::exp(-r * (s[i] + dur[i]));
    return sum;
}

// What the raw checker says of schedule s for the instance text, with its
// npv claimed.
std::string checked(const std::string &text, rawformat fmt, long long deadline,
                    const std::vector<long long> &s, const std::vector<double> &cf, double r,
                    double npv) {
    rawinstance inst;
    std::string why = rawread(text, fmt, &inst);
    if (!why.empty()) return "unreadable: " + why;
    rawclaim claim{cf, r, npv};
    return rawcheck(inst, deadline, s, {}, &claim);
}

std::string schtogpr(const std::string &sch) {
    gprinstance g;
    formaterror err;
    if (!readforeign(instformat::sch, sch, &g, &err)) return "";
    return formatgpr(g);
}
