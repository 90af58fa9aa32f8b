// What the solver needs from the machine besides standard C++: a clock of
// real time and one key press read from the terminal.
#ifndef MAXNPV_PLATFORM_H
#define MAXNPV_PLATFORM_H

// Milliseconds of real time since the process started (steady, 1000 per
// second).
int mstime();

// Microseconds of real time since the process started (steady).
long long ustime();

// Waits for one key on the controlling terminal, without echo and without
// Enter, and restores the terminal afterwards. Standard input is not read.
// Returns at once when there is no terminal to read from. True when a key
// was read.
bool waitkey();

// True when descriptors a and b both lead to the same terminal.
bool sameterminal(int a, int b);

#endif
