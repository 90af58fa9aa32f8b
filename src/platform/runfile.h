// Files that record a run as it goes: output.txt, info.out, the batch's
// table, progress files. A schedule or a chart is one document and is
// written whole (outputs.h); a run file is worth most while the run is under
// way, so it holds every problem finished so far: a run stopped at 95 %
// keeps the records of those 95 %, and none of another run.
//
// The life of one: open() once the run's values are checked, without
// emptying anything (openall() opens the files of a run all or none, so a
// file that cannot be opened leaves the earlier copies of the others as they
// were); start() empties it when the run begins; put() and append() build a
// record and flush() appends it whole; close() makes the records durable.
// A flush that fails cuts the file back to its last whole record, and so
// does a fatal signal (cleanup.h): the file only ever holds whole records.
#ifndef MAXNPV_RUNFILE_H
#define MAXNPV_RUNFILE_H

#include <cstddef>
#include <string>
#include <sys/types.h>
#include <vector>

class runfile {
  public:
    runfile() = default;
    ~runfile();
    runfile(const runfile &) = delete;
    runfile &operator=(const runfile &) = delete;

    // Opens path for appending, creating it when missing, and empties
    // nothing: a regular file, a character device (/dev/null) or a FIFO that
    // a reader holds open (one without a reader fails at once with ENXIO
    // instead of blocking). False with the system's error number in *err
    // (EISDIR for a folder, EINVAL for another special file).
    bool open(const std::string &path, int *err);
    // Takes the open descriptor fd, which the run does not own (the standard
    // output), named name in messages: its records are appended as they
    // come, but it is never emptied, cut back or closed.
    void attach(int fd, const std::string &name);
    // Closes a file that open() opened for a run that does not start, and
    // removes it when open() made it: such a run leaves no trace.
    void abandon();
    // The run begins: a regular file is emptied, and from here on a fatal
    // signal cuts it back to its last whole record. False with *err.
    bool start(int *err);

    // Adds printf output, or text, to the record being built.
    void put(const char *fmt, ...) __attribute__((format(printf, 2, 3)));
    void append(const std::string &text);
    // Appends the record built so far, whole. False with *err when the write
    // fails: the file is then cut back to its last whole record, and the
    // record dropped. flushall() appends the records of several files as one.
    bool flush(int *err);
    // Flushes, makes the records durable (a regular file's data reaches the
    // disk) and closes. False with *err when anything failed: a disk that
    // fails only when the data reaches it reports that here.
    bool close(int *err);

    bool isopen() const { return fd >= 0; }
    const std::string &name() const { return path; }
    const std::string &pendingtext() const { return pending; }

  private:
    friend bool flushall(const std::vector<runfile *> &files, size_t *failed, int *err);
    // Writes the record built so far after the whole ones, not yet counted
    // whole; false with *err after cutting back.
    bool write(int *err);
    // Cuts the file back to its last whole record.
    void cutback();

    int fd = -1;          // descriptor, -1 while closed
    bool own = false;     // opened by open(); an attached descriptor is not the run's
    bool created = false; // open() made the file
    bool regular = false; // a regular file of the run's own: emptied, cut back and synced
    int slot = -1;        // its slot in the signal handler's table, -1: not tracked
    off_t whole = 0;      // bytes of whole records in the file, counted from start()
    off_t written = 0;    // bytes written, a record not yet counted whole included
    std::string path;     // the name as given, for messages
    std::string pending;  // the record being built
};

// Appends the record built in each open file of files, all as one: should a
// write fail, every file is cut back to its last whole record, and false
// with the index of the file that failed in *failed and the error in *err.
// A fatal signal likewise finds every file with this record or every file
// without it.
bool flushall(const std::vector<runfile *> &files, size_t *failed, int *err);

// Opens the files of one run: files[k] at paths[k], all or none. When one
// cannot be opened, those opened before it are abandoned, and false with its
// index in *failed and the system's error number in *err.
bool openall(const std::vector<runfile *> &files, const std::vector<std::string> &paths,
             size_t *failed, int *err);

#endif
