// maxnpv solve: one instance, no dialogue, its optimal schedule.
#ifndef MAXNPV_SOLVEMODE_H
#define MAXNPV_SOLVEMODE_H

namespace gpr {

// Runs "maxnpv solve FILE [options]" (argv[1] is "solve"); returns the exit
// status.
int solvemode(int argc, char **argv);

} // namespace gpr

#endif
