// Reading instances of the ProGen/max format, the format of the public
// RCPSP/max benchmark sets (UBO, SM, C/D), into the .gpr instance struct.
//
// A ProGen/max file is line oriented; blank lines are skipped:
//   n K 0 0                             n real activities, K renewable resources
//   i 1 m s_1 ... s_m [l_1] ... [l_m]   n+2 lines, i = 0..n+1: one mode, m
//                                       successors and their start-to-start lags
//   i 1 d r_1 ... r_K                   n+2 lines: duration and demands
//   c_1 ... c_K                         the capacities (no line when K = 0)
// A maximal time lag is already written as a negative minimal lag on the
// reverse arc, so every relation becomes one minimal start-to-start entry
// {successor from 1, minimal, start-to-start, lag}: activity i of the file is
// activity i+1 of the instance. Durations, demands and capacities carry over.
//
// The reader refuses what the format does not allow or a .gpr file cannot
// hold, at the first line that shows it: a value that is not a 32-bit
// integer, a negative duration, demand or capacity, a duration or lag beyond
// gprmaxmag, a successor list that names the activity itself or one activity
// twice, more than one mode, non-renewable resources. The number of
// activities is not limited here; whoever solves the instance applies its own
// limits.
#ifndef MAXNPV_SCHREAD_H
#define MAXNPV_SCHREAD_H

#include <cstddef>
#include <istream>
#include <string>

#include "format/gprformat.h"

constexpr size_t schshown = 40; // most bytes of a token that a reason quotes

struct scherror {
    long line = 0; // line of the defect, from 1; one past the last line when the text ends early
    // What is wrong, in words. A quoted token is cut after schshown bytes and
    // every byte of it outside printable ASCII (and the backslash) is written
    // as \xNN, so the reason can go to a terminal as it is.
    std::string reason;
};

// Reads a whole ProGen/max file from its text. On success fills *out and
// returns true; at the first defect describes it in *err, leaves *out as it
// was and returns false.
bool readsch(const std::string &text, gprinstance *out, scherror *err);

// The same, reading the stream to its end first.
bool readsch(std::istream &in, gprinstance *out, scherror *err);

#endif
