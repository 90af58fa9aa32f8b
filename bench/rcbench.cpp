// rcbench: one resource-constrained solve in process, for the benchmark
// scripts: reads an instance, draws the batch run's cash flows and prints
// "status npv bound nodes seconds" on one line.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "maxnpv/maxnpv.h"

int main(int argc, char **argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: rcbench FILE PCTNEG DEADLINE INTEREST [SECONDS [NODES]]\n");
        return 2;
    }
    maxnpv::network net;
    std::string why;
    if (maxnpv::readnetwork(argv[1], &net, &why) != maxnpv::status::solved) {
        std::fprintf(stderr, "rcbench: %s: %s\n", argv[1], why.c_str());
        return 1;
    }
    maxnpv::options opt;
    opt.interest = std::atof(argv[4]);
    if (std::string(argv[3]) == "cp") {
        opt.deadlinefactor = 1; // the critical path
    } else {
        opt.absolute = true;
        opt.deadline = std::atoll(argv[3]);
    }
    opt.resources = true;
    if (argc > 5) opt.timelimit = std::atof(argv[5]);
    if (argc > 6) opt.maxnodes = std::atoll(argv[6]);
    const auto cf = maxnpv::randomcashflows(net, std::atoi(argv[2]));
    const auto t0 = std::chrono::steady_clock::now();
    maxnpv::result r = maxnpv::solver().solve(net, cf, opt);
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    double size = 0; // the sum of the cash flows' magnitudes
    for (double c : cf) size += c < 0 ? -c : c;
    const char *name = r.status == maxnpv::status::limit ? "limit" : maxnpv::statusname(r.status);
    std::printf("%s %.10f %.10f %lld %.6f %lld %.0f\n", name, r.npv, r.bound, r.nodes, s,
                r.deadline, size);
    if (r.status != maxnpv::status::solved && r.status != maxnpv::status::limit)
        std::printf("# %s\n", r.reason.c_str());
    return 0;
}
