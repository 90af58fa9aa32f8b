// Resource data in the sense of ProGen, the generator of the standard
// benchmark sets, for an instance whose network is made:
//
// 1. The resource factor RF is the share of the K resource types that a
//    real activity uses: it uses each type with probability RF, and when
//    that leaves it none (and RF > 0) one type drawn uniformly. Each type it
//    uses gets a demand of 1..10. The dummies use nothing.
// 2. The resource strength RS places each capacity between the least that
//    lets every activity run alone, Kmin = the largest single demand of the
//    type, and Kmax = the peak use of the type in the earliest-start schedule
//    (as maxnpv computes it, from the network's relations; at least Kmin):
//    R = Kmin + round(RS * (Kmax - Kmin)), halves rounded up. RS = 1 lets the
//    earliest-start schedule keep every capacity; RS = 0 is the tightest.
//    Where the relations allow no schedule (a cycle of positive length, in
//    the adversarial shape), Kmax is the use of all activities at once.
//
// The draws come from a generator of their own, seeded by the seed and the
// instance's number apart from the network's, so an instance has the same
// network with these resources as without them, and the network's files
// stay exactly as the seed always gave them. The earliest starts and the
// peaks come from maxnpv's own reader, temporal analysis and resource
// measure, on the text the instance will be written as.
#include <algorithm>
#include <climits>

#include "generate.h"
#include "input/loadinstance.h"
#include "network/earlystarts.h"
#include "network/resourceuse.h"

namespace {

constexpr uint64_t resourcekey = 0xbb67ae8584caa73bULL; // mixed with the number for its seed
constexpr int demandmin = 1; // a demand of a type an activity uses: demandmin..demandmax
constexpr int demandmax = 10;

// The peak use of every resource type of g in its earliest-start schedule,
// or its use by all activities at once when there is none.
std::vector<int64_t> earliestpeaks(const gprinstance &g) {
    const std::string text = formatgpr(g);
    gpr::network net;
    std::string why;
    int reached;
    gpr::resourceuse use;
    const gpr::runlimits none = gpr::runlimits::none();
    if (gpr::readnetwork(text.data(), text.size(), none, &net, &why, &reached) ==
            gpr::outcome::solved &&
        gpr::analyse(&net, &why) != gpr::outcome::infeasible) {
        gpr::measureuse(net, net.est, nullptr, false, &use);
        return use.peak;
    }
    std::vector<int64_t> all(g.capacity.size(), 0);
    for (int i = 0; i < g.nract; i++)
        if (g.dur[i] > 0)
            for (size_t k = 0; k < all.size(); k++) all[k] += g.demand[i][k];
    return all;
}

} // namespace

void genresources(const genparams &p, uint64_t seed, int number, gprinstance *g) {
    splitmix rng(genmix(seed) ^ genmix(resourcekey + (uint64_t)(int64_t)number));
    const int n = g->nract, nrres = p.nrres;
    g->demand.assign(n, std::vector<int>(nrres, 0));
    for (int i = 1; i < n - 1; i++) {
        std::vector<int> &row = g->demand[i];
        bool any = false;
        for (int k = 0; k < nrres; k++) {
            row[k] = rng.range(0, genwhole - 1) < p.resfactor;
            any = any || row[k] != 0;
        }
        if (!any && p.resfactor > 0 && nrres > 0) row[rng.range(0, nrres - 1)] = 1;
        for (int k = 0; k < nrres; k++)
            if (row[k] != 0) row[k] = rng.range(demandmin, demandmax);
    }
    g->capacity.assign(nrres, 0);
    if (nrres == 0) return; // nothing to measure
    const std::vector<int64_t> peak = earliestpeaks(*g);
    for (int k = 0; k < nrres; k++) {
        int64_t least = 0;
        for (int i = 0; i < n; i++) least = std::max<int64_t>(least, g->demand[i][k]);
        const int64_t most = std::max(least, peak[k]);
        const int64_t capacity =
            least + ((int64_t)p.resstrength * (most - least) + genwhole / 2) / genwhole;
        g->capacity[k] = (int)std::min<int64_t>(capacity, INT_MAX);
    }
}
