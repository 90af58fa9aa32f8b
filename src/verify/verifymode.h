// maxnpv verify: the check of a solve's certificate of optimality.
#ifndef MAXNPV_VERIFYMODE_H
#define MAXNPV_VERIFYMODE_H

namespace gpr {

// Runs "maxnpv verify FILE RESULT.json [options]" (argv[1] is "verify");
// returns the exit status: 0 optimal, 1 a check failed, 2 bad use.
int verifymode(int argc, char **argv);

} // namespace gpr

#endif
