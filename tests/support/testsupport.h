// Helpers shared by the test programs: a scratch folder per test, small file
// utilities, and a way to load an instance given as text through the real
// reader with the result files pointed at scratch files.
#ifndef MAXNPV_TESTSUPPORT_H
#define MAXNPV_TESTSUPPORT_H

#include <string>

// Creates a fresh empty folder under the system's temporary folder and makes
// it the working directory; the destructor returns to the previous working
// directory and removes the folder with everything in it.
class scratchdir {
  public:
    scratchdir();
    ~scratchdir();
    scratchdir(const scratchdir &) = delete;
    scratchdir &operator=(const scratchdir &) = delete;
    const std::string &path() const { return dir; }

  private:
    std::string dir, previous;
};

void writefile(const std::string &name, const std::string &text);
std::string readfile(const std::string &name);
bool fileexists(const std::string &name);

// Sets the run parameters that loading and solving read.
void setparams(int pctneg, int dlextra, double interest);

// Points outfile and infofile at the named files, opened for appending
// (emptied first when fresh); closeresults writes what they hold and closes
// them.
void openresults(const char *out = "output.txt", const char *info = "info.out", bool fresh = false);
void closeresults();

// Writes text as D<number>.gpr in the working directory, points outfile and
// infofile at "output.txt" and "info.out" there, and runs loadinstance.
// Returns its result; the files are closed again afterwards.
int loadtext(const std::string &text, int number = 1);

// Like loadtext, then solves when the load succeeded. Returns -1 when the
// load was skipped, else the result of solveinstance (0 = solved).
int loadandsolve(const std::string &text, int number = 1);

#endif
