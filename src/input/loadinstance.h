// The instance reader: turns the bytes of a .gpr file into the network of
// successor rows, with every relation converted into a start-to-start lag.
#ifndef MAXNPV_LOADINSTANCE_H
#define MAXNPV_LOADINSTANCE_H

#include <cstddef>
#include <string>

#include "network/common_gpr.h"

namespace gpr {

// Reads the file text data[0..size-1] into *net (everything but the earliest
// starts, which the temporal analysis adds). Returns outcome::solved when the
// network is read, outcome::toomany or outcome::invalid otherwise, with the
// reason in *reason. *reached tells how far the reading got: the activity
// whose record it was reading when it stopped (-1 while in the header,
// nract-1 once every record was read), which is as far as a batch run draws
// and logs the cash flows of a rejected instance. Of a network that is not
// read, net->nract alone holds (the header's count) once the header was read.
outcome readnetwork(const char *data, size_t size, const runlimits &limits, network *net,
                    std::string *reason, int *reached);

} // namespace gpr

#endif
