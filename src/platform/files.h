// Files as the solver needs them: an instance file read whole into memory,
// and result files written record by record, either in place (a failing
// disk never leaves half a record behind) or into a temporary file that
// replaces the result file only once it is complete.
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

// A file that grows by records. Records are collected in memory and written
// by flush(); a write that fails cuts the file back to its size before the
// flush, so the file only ever holds whole records. Opened by openwhole(),
// the records go to a temporary file that close() (or commit()) renames.
class recordfile {
  public:
    recordfile() = default;
    ~recordfile();
    recordfile(const recordfile &) = delete;
    recordfile &operator=(const recordfile &) = delete;

    // Opens (creating it if needed) for writing at its end; does not empty it.
    bool open(const char *filename, int *err);
    // Opens for a file written whole: the records go to a temporary file in
    // the same folder, which close() renames to `filename` once everything
    // is written; a run that stops before leaves `filename` untouched (the
    // temporary file is removed when the object goes). A device or a pipe
    // with a reader is opened as by open().
    bool openwhole(const char *filename, int *err);
    // Empties the open file and drops any pending records.
    bool empty(int *err);
    // Appends one record, formatted like printf, to the pending records.
    void put(const char *fmt, ...) __attribute__((format(printf, 2, 3)));
    // Writes the pending records; false (with *err) after cutting back.
    bool flush(int *err);
    // Flushes and closes; false (with *err) if anything was lost. A file of
    // openwhole() is renamed into place then (or removed on failure).
    bool close(int *err);
    // close() in two steps, so that several files are renamed only once all
    // of them are written: finish() flushes and closes the descriptor,
    // commit() renames the temporary file into place.
    bool finish(int *err);
    bool commit(int *err);

    bool isopen() const { return fd >= 0; }
    const char *name() const { return filename.c_str(); }
    const std::string &pendingtext() const { return pending; }

  private:
    int fd = -1;          // descriptor, -1 while closed
    std::string filename; // as opened, for messages
    std::string pending;  // records not yet written
    std::string temp;     // the temporary file of openwhole(); empty: written in place
    std::string final;    // the name close() renames temp to
};

// Opens /dev/null on every one of the standard descriptors 0..2 that is
// closed, so that files opened later never take their numbers and receive
// console text.
void guardstdstreams();

#endif
