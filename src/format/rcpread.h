// Reading instances of Patterson's format (.rcp), the format of the
// Patterson set and of many RCPSP generators, into the .gpr instance struct.
//
// The file is a sequence of whole numbers separated by blanks or line ends
// (lines carry no meaning):
//   n K                      activities (both dummies included), resources
//   c_1 ... c_K              the capacities
//   then per activity, in order:
//   d r_1 ... r_K m s_1 ... s_m   duration, demands, m successors (from 1)
// Every successor is a finish-to-start precedence with a minimal lag of 0:
// the entry {s, minimal, finish-to-start, 0}. Durations, demands and
// capacities carry over; every resource of the format is renewable.
//
// The reader refuses, at the first value that shows it: a value that is not
// a 32-bit integer, fewer than 2 activities, a negative resource count,
// capacity, demand or duration, a duration beyond gprmaxmag, a successor
// outside 1..n, the activity itself or one successor twice, and text after
// the last activity. The number of activities is not limited here.
#ifndef MAXNPV_RCPREAD_H
#define MAXNPV_RCPREAD_H

#include <string>

#include "format/gprformat.h"
#include "format/textlines.h"

// Reads a whole .rcp file from its text. On success fills *out and returns
// true; at the first defect describes it in *err, leaves *out as it was and
// returns false.
bool readrcp(const std::string &text, gprinstance *out, formaterror *err);

#endif
