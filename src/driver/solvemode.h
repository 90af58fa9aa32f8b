// maxnpv solve: one instance, no dialogue, its optimal schedule.
#ifndef MAXNPV_SOLVEMODE_H
#define MAXNPV_SOLVEMODE_H

#include <string>
#include <vector>

#include "driver/cmdline.h"
#include "format/instformat.h"
#include "maxnpv/maxnpv.h"

namespace gpr {

constexpr double resourceseconds = 60; // the time limit of --resources unless one is given

// Reads a cash-flow file: finite numbers separated by white space, '#' to
// the end of a line a comment. False with *why ("FILE, line L: 'x' is not a
// finite number", "cannot read FILE: ...") when it cannot be used.
bool readcashflowfile(const std::string &name, std::vector<double> *cf, std::string *why);

// The helpers that solve shares with the other modes of one instance.
// readcashflows reads a cash-flow file or fails naming --cashflows;
// checkoutput fails unless path can be written as the output of option (not
// a folder, in a folder that may be written); writetext writes a whole file
// (a temporary file renamed into place), false with a sentence naming it; readinput reads the
// standard input to its end, false with the system's error; libraryformat is the library's name of
// a reader's format.
std::vector<double> readcashflows(options &opts, const std::string &name);
// Fails unless the command line names one FILE and its cash flows by either
// --pctneg (with --seed or without) or --cashflows.
void checkfileandcashflows(options &opts);
// Reads the instance FILE ("-": the standard input) in format *fmt, or by its
// name without --format (*fmt then gets the format chosen); fails naming the file when it cannot be
// read at all. Other failures are the status, with the reason in *why.
maxnpv::status readinstance(options &opts, const std::string &file, instformat *fmt,
                            long long limit, maxnpv::network *net, std::string *why);
// The cash flows of net as --cashflows, --seed and --pctneg give them.
std::vector<double> cashflowsof(options &opts, const maxnpv::network &net, const std::string &file,
                                const std::string &cffile, long long pct, unsigned long long seed);
void checkoutput(options &opts, const char *option, const std::string &path);
bool writetext(const std::string &path, const std::string &text, std::string *why);
bool readinput(std::string *text, int *err);
maxnpv::format libraryformat(instformat fmt);

// Runs "maxnpv solve FILE [options]" (argv[1] is "solve"); returns the exit
// status.
int solvemode(int argc, char **argv);

} // namespace gpr

#endif
