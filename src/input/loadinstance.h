// The instance reader: turns the bytes of a .gpr file into the network of
// successor rows, with every relation converted into a start-to-start lag.
#ifndef MAXNPV_LOADINSTANCE_H
#define MAXNPV_LOADINSTANCE_H

#include <cstddef>
#include <string>
#include <vector>

#include "format/instformat.h"
#include "network/common_gpr.h"

namespace gpr {

// One successor entry as the file has it; named counts from 0.
struct fileentry {
    int owner, named, bound, rel, value;
};

// The values of a file, before any conversion.
struct records {
    int nract = 0;                  // activities, both dummies included
    int nrres = 0;                  // renewable resource types
    std::vector<int> dur;           // [activity] duration
    std::vector<int> capacity;      // [resource 0..nrres-1] capacity, units
    std::vector<int> demand;        // [activity * nrres + resource] demand while it runs, units
    std::vector<fileentry> entries; // all successor entries, in file order
    std::vector<int> rowstart;      // [activity 0..nract] first entry of its record
};

// Scans the file text data[0..size-1] into *rec, checking every value in
// file order (capacities and demands must not be negative). Returns outcome::solved, or
// outcome::toomany or outcome::invalid with *reason ("line L, value V: ..." for a defect of the
// text). *reached tells how far the reading got: the activity whose record it
// was reading when it stopped (-1 while in the header, nract-1 once every
// record was read), which is as far as a batch run draws and logs the cash
// flows of a rejected instance. rec->nract holds once the header was read.
outcome scanrecords(const char *data, size_t size, const runlimits &limits, records *rec,
                    std::string *reason, int *reached);

// The checks of scanrecords for records that come from elsewhere (a program
// that fills them itself), with reasons that name activity and entry: also
// one capacity per resource type and one demand per activity and type, none
// of them negative.
outcome checkrecords(const records &rec, const runlimits &limits, std::string *reason);

// Builds the network of checked records: the rows with the appended reverse
// arcs of maximal lags and the lag of every pair. Returns outcome::solved or
// outcome::invalid (a list without room for an appended arc under the
// limits).
outcome buildnetwork(const records &rec, const runlimits &limits, network *net,
                     std::string *reason);

// scanrecords and buildnetwork. Of a network that is not read, net->nract
// alone holds (the header's count) once the header was read.
outcome readnetwork(const char *data, size_t size, const runlimits &limits, network *net,
                    std::string *reason, int *reached);

// An instance file of any format, read into checked records. A .gpr text is
// scanned as scanrecords does; a text of another format is converted first
// (a defect then reads "line L: ...", and *reached stays -1) and its records
// are checked against the limits as checkrecords does (*reached is then the
// last activity). A text that is invalid in fmt but reads in another format
// gets formathint's sentence after its reason.
outcome scaninstance(const char *data, size_t size, instformat fmt, const runlimits &limits,
                     records *rec, std::string *reason, int *reached);

// scaninstance and buildnetwork; net->nract as for readnetwork.
outcome readinstance(const char *data, size_t size, instformat fmt, const runlimits &limits,
                     network *net, std::string *reason, int *reached);

// When the text, rejected in format tried, reads whole in another format:
// "this looks like a ProGen/max .sch file: name it .sch or give --format
// sch" (the first such format in the order gpr, sch, sm, rcp); otherwise "".
std::string formathint(const std::string &text, instformat tried);

} // namespace gpr

#endif
