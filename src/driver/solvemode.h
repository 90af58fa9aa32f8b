// maxnpv solve: one instance, no dialogue, its optimal schedule.
#ifndef MAXNPV_SOLVEMODE_H
#define MAXNPV_SOLVEMODE_H

#include <string>
#include <vector>

namespace gpr {

// Reads a cash-flow file: finite numbers separated by white space, '#' to
// the end of a line a comment. False with *why ("FILE, line L: 'x' is not a
// finite number", "cannot read FILE: ...") when it cannot be used.
bool readcashflowfile(const std::string &name, std::vector<double> *cf, std::string *why);

// Runs "maxnpv solve FILE [options]" (argv[1] is "solve"); returns the exit
// status.
int solvemode(int argc, char **argv);

} // namespace gpr

#endif
