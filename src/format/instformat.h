// The four formats an instance file can have, how a file's name chooses one,
// and the conversion of the three foreign ones into the .gpr instance.
//
// The extension chooses, in any case (PSP1.SCH is a .sch file, D1.Gpr a .gpr
// file), because the public sets name their files both ways; a name with
// another extension or none is a .gpr file, as maxnpv always read it. A
// command line can name the format instead (--format), for files of other
// names and for the standard input.
#ifndef MAXNPV_INSTFORMAT_H
#define MAXNPV_INSTFORMAT_H

#include <string>

#include "format/gprformat.h"
#include "format/textlines.h"

enum class instformat {
    gpr, // maxnpv's own: durations and generalized precedence entries
    sch, // ProGen/max (the RCPSP/max sets UBO, J10..J30, C/D)
    sm,  // PSPLIB single mode (J30..J120)
    rcp, // Patterson
};

constexpr int instformats = 4; // how many there are, for loops over all

// The format that the extension of path names, in any case; false (and
// *fmt untouched) for any other name.
bool formatofextension(const std::string &path, instformat *fmt);

// The format a file of this name is read in: its extension's, else gpr.
instformat formatofname(const std::string &path);

// The format of a --format value: "gpr", "sch", "sm" or "rcp".
bool formatofkey(const std::string &key, instformat *fmt);

// "gpr", "sch", "sm", "rcp".
const char *formatkey(instformat fmt);

// What a reason calls a file of the format: ".gpr file", "ProGen/max .sch
// file", "PSPLIB .sm file", "Patterson .rcp file".
const char *formatlabel(instformat fmt);

// Reads the text of a file in one of the foreign formats (not gpr) into *out;
// false with the defect in *err.
bool readforeign(instformat fmt, const std::string &text, gprinstance *out, formaterror *err);

#endif
