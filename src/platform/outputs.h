// Result files written whole. A regular file (or a name that does not exist
// yet) is written to a temporary file in the same folder and renamed into
// place once every byte, its flush to the disk and the close have
// succeeded, so the file is either whole and new or untouched. A character
// device (/dev/null, a terminal) is written directly; a pipe only when a
// reader holds it open, so an output never blocks on a FIFO. Names are
// checked before anything is solved, and one run's outputs are compared with
// their inputs and with each other.
#ifndef MAXNPV_OUTPUTS_H
#define MAXNPV_OUTPUTS_H

#include <string>
#include <sys/types.h>
#include <vector>

// Exit status of a command-line mode whose results could not all be written
// after the work was done (the one line on standard error names the file).
constexpr int writefailedstatus = 3;

// Where a name leads, for telling whether two names are one file.
struct fileidentity {
    bool exists = false; // the name leads to an existing file (links followed)
    dev_t device = 0;    // its device, when it exists
    ino_t inode = 0;     // its inode, when it exists
    std::string name;    // absolute name with the folder resolved, when it does not exist
};

// The identity of the file `path` names (the standard output for "-").
fileidentity identify(const std::string &path);
// The identity of an open descriptor; exists is false unless it is a regular file.
fileidentity identifyfd(int fd);
// True when both identities name one file.
bool samefile(const fileidentity &a, const fileidentity &b);

// A result file, checked by prepare() before the work and written by
// write() after it.
class outputfile {
  public:
    outputfile() = default;
    ~outputfile();
    outputfile(const outputfile &) = delete;
    outputfile &operator=(const outputfile &) = delete;

    // Checks that `path` can take a result: not a folder, a FIFO without a
    // reader, a socket or another special file that is no character device;
    // an existing regular file that may be written, in a folder that may be
    // written. False with the reason (without the name) in *why.
    bool prepare(const std::string &path, std::string *why);
    // Writes text as the file's whole content; false with the system's
    // reason in *why, the earlier file then untouched.
    bool write(const std::string &text, std::string *why);

    const std::string &path() const { return target; }

  private:
    std::string target; // the name as given, for messages
    std::string final;  // the name the temporary file is renamed to (links resolved)
    int directfd = -1;  // a device or pipe opened by prepare(), written directly; -1: none
};

// Writes text whole into `path` as outputfile does; false with a sentence
// that names the file ("cannot write NAME: reason", "NAME is a folder") in
// *why.
bool writeoutputfile(const std::string &path, const std::string &text, std::string *why);

// Creates a temporary file beside `final` (in its folder, named after it)
// with the permission bits that `final` has, or that a new file gets; its
// descriptor, or -1 with *err. *temp gets its name.
int maketemp(const std::string &final, std::string *temp, int *err);

// Makes the bytes written to the temporary file fd durable before it is
// renamed into place: a disk that fails only when the data reaches it
// reports that here, not after the run has claimed success. False with
// *err.
bool syncfile(int fd, int *err);

// Removes the temporary file `temp` of maketemp() (if it is still there)
// and stops tracking it. maketemp() tracks every temporary file it makes
// (cleanup.h): a run ended by a fatal signal removes those not yet renamed,
// leaving the earlier files as they were and no litter.
void droptemp(const std::string &temp);

// The name that a file written whole replaces: `path` with links resolved
// when it exists, else `path` itself.
std::string replacedname(const std::string &path);

// Creates the folder `path` and any missing parents, like mkdir -p; false
// with the reason in *why.
bool makefolders(const std::string &path, std::string *why);

// Writes text to the standard output (through stdio), keeping the system's
// reason of the first write that fails for stdoutwritten: a document larger
// than stdio's buffer fails inside the write, not at the flush.
void putstdout(const std::string &text);

// Flushes and checks the standard output; false with the system's reason
// in *why when any write to it has failed.
bool stdoutwritten(std::string *why);

// Flushes, checks and closes the standard output at the end of a mode.
bool closestdout(std::string *why);

#endif
