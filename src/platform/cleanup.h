// What a fatal signal must put right before the process ends. A run stopped
// by SIGINT, SIGTERM, SIGHUP, SIGPIPE or SIGXFSZ (a file grown past the size
// limit) removes the temporary files of results not yet renamed into place,
// cuts every file that records the run back to its last whole record, and
// then ends by the signal as it would have. The handler is installed with
// the first file tracked; a signal that the caller ignores stays ignored.
#ifndef MAXNPV_CLEANUP_H
#define MAXNPV_CLEANUP_H

#include <csignal>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

// Tracks the temporary file temp: a fatal signal removes it. A name too long
// for the table, or a full table, is not tracked.
void tracktemp(const std::string &temp);
// Stops tracking temp (renamed into place, or about to be removed).
void untracktemp(const std::string &temp);

// Tracks the open descriptor fd of a file that records a run and holds whole
// records up to whole bytes: a fatal signal cuts it back to that size.
// Returns the slot for keepwhole and untrackrecords, or -1 when the table is
// full (the file is then not cut back).
int trackrecords(int fd, off_t whole);
// The files of the slots now hold whole records up to their sizes, all at
// once: a signal cuts every file back to its new size or every file to its
// old one, never some to each (a slot of -1 is passed over).
void keepwhole(const std::vector<std::pair<int, off_t>> &sizes);
// Stops tracking the file of slot; called before its descriptor is closed.
void untrackrecords(int slot);

// While an object lives, the calling thread blocks the fatal signals, and
// threads that it starts meanwhile keep them blocked for good. A run's
// worker threads are started so: a signal then always runs the handler on
// the thread that writes the files, never beside a write in progress.
class fatalsignalsblocked {
  public:
    fatalsignalsblocked();
    ~fatalsignalsblocked();
    fatalsignalsblocked(const fatalsignalsblocked &) = delete;
    fatalsignalsblocked &operator=(const fatalsignalsblocked &) = delete;

  private:
    sigset_t saved; // the thread's mask before
};

#endif
