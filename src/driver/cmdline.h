// The command line of a mode: options as "--name value" or "--name=value",
// flags without a value, and plain arguments. Every value is checked where
// it is asked for; anything that does not fit ends the process with one line
// on standard error naming the option, and exit status 2, before the mode
// has touched any file.
#ifndef MAXNPV_CMDLINE_H
#define MAXNPV_CMDLINE_H

#include <string>
#include <vector>

namespace gpr {

class options {
  public:
    // The arguments argv[first..argc-1] of mode: valued are the options that
    // take a value, flags those that take none; help is printed for
    // "--help".
    options(const char *mode, int argc, char **argv, int first, std::vector<std::string> valued,
            std::vector<std::string> flags, const char *help);

    // A whole number in lo..hi.
    void whole(const char *name, bool required, long long lo, long long hi, long long *value);
    // A whole number 0..2^64-1 (a seed).
    void unsignedwhole(const char *name, bool required, unsigned long long *value);
    // A finite number above 0.
    void positive(const char *name, bool required, double *value);
    // A finite number of 0 or more.
    void nonnegative(const char *name, bool required, double *value);
    // Any text (a file name).
    void text(const char *name, bool required, std::string *value);
    // An existing folder.
    void folder(const char *name, bool required, std::string *value);
    // True when the flag was given.
    bool flag(const char *name);
    // True when the option was given (asked before its value is read).
    bool given(const char *name) const;
    // The plain arguments.
    const std::vector<std::string> &plain() const { return args; }

    // Fails on every option that was given but not asked for.
    void finish();
    [[noreturn]] void fail(const char *fmt, ...) __attribute__((format(printf, 2, 3)));

  private:
    struct given_t {
        std::string name, value;
        bool hasvalue = false, asked = false;
    };
    std::string mode;              // for the messages: "batch", "solve"
    std::vector<given_t> opts;     // the options in command-line order
    std::vector<std::string> args; // the plain arguments

    given_t *find(const char *name, bool required);
};

} // namespace gpr

#endif
