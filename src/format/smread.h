// Reading instances of PSPLIB's single-mode format (.sm: the J30, J60, J90
// and J120 sets) into the .gpr instance struct.
//
// A file is a sequence of sections separated by lines of asterisks:
//   a header of "label : value" lines, among them
//     jobs (incl. supersource/sink ):  32
//     RESOURCES
//       - renewable                 :  4   R
//       - nonrenewable              :  0   N
//       - doubly constrained        :  0   D
//   PRECEDENCE RELATIONS:
//     a column header line, then one line per job:
//     jobnr. #modes #successors successors...
//   REQUESTS/DURATIONS:
//     a column header line, a dashed line, then one line per job:
//     jobnr. mode duration R1 R2 ...   (one demand per resource of the header)
//   RESOURCEAVAILABILITIES:
//     a header line of resource names, then one line of capacities
// Jobs are numbered from 1 (job 1 the start dummy, the last the end dummy),
// as the activities of a .gpr file. Every successor is a finish-to-start
// precedence with a minimal lag of 0: the entry {s, minimal,
// finish-to-start, 0}. Durations carry over, and so do the demands and
// capacities of the renewable resources: the first R columns, as PSPLIB lists
// the renewable resources before the non-renewable and doubly constrained
// ones. The values of those other kinds are read and checked like the rest
// but not kept (they limit a whole project's use, not the use per period).
// Other header lines are passed over.
//
// The reader refuses, at the line that shows it: a missing section or
// header line, a value that is not a 32-bit integer, jobs out of order, a
// job with more than one mode (a multi-mode file), a successor outside the
// instance, the job itself or one successor twice, a negative or too large
// duration, a negative demand or capacity, a line with too few or too many
// values, and text after the capacities. The number of jobs is not limited
// here.
#ifndef MAXNPV_SMREAD_H
#define MAXNPV_SMREAD_H

#include <string>

#include "format/gprformat.h"
#include "format/textlines.h"

// Reads a whole .sm file from its text. On success fills *out and returns
// true; at the first defect describes it in *err, leaves *out as it was and
// returns false.
bool readsm(const std::string &text, gprinstance *out, formaterror *err);

#endif
