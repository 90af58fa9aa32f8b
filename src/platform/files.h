// Files as the solver reads them: an instance file read whole into memory,
// and standard descriptors that never lend their numbers to result files.
// (Result files are written by outputs.h, the files that record a run by
// runfile.h.)
#ifndef MAXNPV_FILES_H
#define MAXNPV_FILES_H

#include <string>

enum class readstatus {
    ok,         // the bytes were read
    missing,    // no file of that name
    unopenable, // the file exists but cannot be opened (err tells why)
    notregular, // a folder, a pipe, a device: nothing a solver should read
    failed,     // reading stopped with an error (err tells why)
};

// Reads the whole regular file `name` into *bytes. The file is opened
// without blocking, so a pipe with no writer cannot hang the run; *err gets
// the system's error number where one applies.
readstatus readwhole(const char *name, std::string *bytes, int *err);

// Opens /dev/null on every one of the standard descriptors 0..2 that is
// closed, so that files opened later never take their numbers and receive
// console text.
void guardstdstreams();

#endif
