// The console dialogue that opens a run: title, rule, five questions and the
// table header.
#ifndef MAXNPV_DIALOGUE_H
#define MAXNPV_DIALOGUE_H

#include <cstdio>

#include "driver/batch.h"

namespace gpr {

// Asks the five questions on standard input and fills *run with the answers
// and the classic limits. An interest rate that is negative or not a finite
// number stops the process with exit status 2 before any file is touched.
void askparams(runparams *run);

// Reads one decimal integer from `in` the way "%d" does: white space is
// skipped, then an optional sign and digits are taken. Returns 1 and sets
// *value on success; returns 0 and leaves *value alone when no digits
// follow, with the offending character left unread. A number beyond the
// 32-bit range is clamped to the nearest 32-bit value.
int scanint(FILE *in, int *value);

} // namespace gpr

#endif
