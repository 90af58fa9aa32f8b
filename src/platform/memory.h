// How the program asks the system for memory.
#ifndef MAXNPV_MEMORY_H
#define MAXNPV_MEMORY_H

// Lets the heap come in huge pages where the system offers them, before the
// first instance is loaded. The program calls it once, first thing; the
// library never does, as it must not change its caller's process.
void usehugepages();

#endif
