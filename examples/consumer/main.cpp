// A small program on the maxnpv library: it builds a project network in
// code (the worked example of the README: five activities, one relation
// each), gives it its own cash flows and solves it for a range of
// deadlines, printing the optimal net present value and the start of every
// activity. With a file name it solves that instance instead, once.
#include <cstdio>
#include <string>
#include <vector>

#include <maxnpv/maxnpv.h>

int main(int argc, char **argv) {
    maxnpv::network net;
    std::string reason;
    if (argc > 1) {
        if (maxnpv::readnetwork(argv[1], &net, &reason) != maxnpv::status::solved) {
            std::fprintf(stderr, "%s: %s\n", argv[1], reason.c_str());
            return 1;
        }
    } else {
        // Durations, then per activity its successors: (successor, bound 1 =
        // minimal lag, type 3 = finish-to-start or 1 = start-to-start, lag).
        net.durations = {0, 3, 2, 4, 0};
        net.entries = {{{2, 1, 3, 0}, {3, 1, 3, 0}, {4, 1, 3, 0}},
                       {{5, 1, 3, 0}},
                       {{4, 1, 1, 1}},
                       {{5, 1, 3, 0}},
                       {}};
    }
    std::vector<double> cashflows = maxnpv::randomcashflows(net, 50);
    if (argc == 1) cashflows = {0, -239, 356, 366, 0};

    maxnpv::solver solver;
    maxnpv::options opt;
    opt.interest = 0.01;
    for (long long slack : {0LL, 5LL, 10LL}) {
        opt.slack = slack;
        maxnpv::result r = solver.solve(net, cashflows, opt);
        if (r.status != maxnpv::status::solved) {
            std::printf("slack %lld: %s (%s)\n", slack, maxnpv::statusname(r.status),
                        r.reason.c_str());
            continue;
        }
        std::printf("slack %lld: deadline %lld, npv %.5f after %lld passes; starts", slack,
                    r.deadline, r.npv, r.passes);
        for (size_t i = 0; i < r.start.size(); i++)
            if (r.unbounded[i])
                std::printf(" -");
            else
                std::printf(" %lld", r.start[i]);
        std::printf("\n");
        if (argc > 1) break;
    }
    return 0;
}
