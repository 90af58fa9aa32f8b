// The instance reader: reads D<probnr>.gpr twice into the network store,
// draws the cash flows, and runs the temporal analysis. Returns 1 when the
// instance is ready to be solved, 0 when it was skipped (the skip line has
// then been written, and no file is left open).
#ifndef MAXNPV_LOADINSTANCE_H
#define MAXNPV_LOADINSTANCE_H

int loadinstance();

#endif
