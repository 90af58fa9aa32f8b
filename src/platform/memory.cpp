// Every 4 KB page a process first touches costs a page fault, and the zero
// fill of a fresh page is most of it. An instance's state is allocated and
// zeroed as it is loaded: a 50,000-activity network touches about 40 MB,
// ten thousand faults, which on some virtual machines take 10 us each, more
// than the solve. Huge pages (2 MB) take one fault for 512 small ones.
//
// Linux gives them to memory marked MADV_HUGEPAGE (where transparent huge
// pages are enabled at all). malloc takes the heap from the break, so the
// heap is grown once, here, by heapreserve, and that range marked; every
// allocation up to mmapceiling is then served from the heap, and a free top
// of the heap up to trimceiling is kept, so the marked range stays in use.
// The address space is only reserved: a page that nothing touches costs
// nothing, and beyond the range the heap grows as malloc grows it. Where the
// heap cannot grow so far (a limit of memory) or the range cannot be marked,
// only the two limits stay: allocations up to mmapceiling reuse the heap
// instead of a mapping each, as malloc's own sliding limit would after the
// first ones. Under another malloc (a sanitizer's) nothing changes. A small
// run touches two huge pages instead of about 250 small ones; its resident
// memory grows by about 1 MB.
#include "platform/memory.h"

#include <cstdint>
#include <cstdlib> // defines __GLIBC__ under glibc

#if defined(__linux__) && defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

constexpr size_t hugepage = (size_t)2 << 20;      // bytes of a huge page on x86-64 and arm64
constexpr size_t heapreserve = (size_t)256 << 20; // bytes the heap is grown by at once
constexpr int mmapceiling = 32 << 20;             // larger allocations still get a mapping each
constexpr int trimceiling = 512 << 20;            // free top of the heap kept, at most
constexpr int defaultpad = 128 << 10;             // malloc's usual margin when the heap grows
constexpr size_t headroom = 64;                   // bytes malloc keeps beside a block, at most
void *volatile below = nullptr;                   // the block below the marked range, kept for good

} // namespace

void usehugepages() {
    if (mallopt(M_MMAP_THRESHOLD, mmapceiling) == 0) return; // another malloc, as under a sanitizer
    mallopt(M_TRIM_THRESHOLD, trimceiling);
    // One allocation grows the heap by heapreserve; freed, it returns to the
    // free top of the heap. (Through a volatile pointer, which the compiler
    // may not drop as unused.) Later growth takes malloc's usual margin, so
    // that a run under a limit of memory is refused no sooner than before.
    mallopt(M_TOP_PAD, (int)heapreserve);
    void *volatile grow = std::malloc(hugepage);
    mallopt(M_TOP_PAD, defaultpad);
    if (grow == nullptr) return;
    std::free(grow);
    // malloc wrote the header of the free rest just past the block, inside
    // the first huge page above it, and a page touched before the marking
    // stays small: the marked range starts at the huge page after that one.
    const uintptr_t top = (uintptr_t)sbrk(0);
    const uintptr_t above = ((uintptr_t)grow + hugepage - 1) & ~(uintptr_t)(hugepage - 1);
    const uintptr_t start = above + hugepage;
    if (top <= start + hugepage || madvise((void *)start, top - start, MADV_HUGEPAGE) != 0) return;
    // The heap below is filled with one block that is never used, so that
    // allocations start in the marked range. Its pages stay untouched but
    // for its header.
    below = std::malloc(start - (uintptr_t)grow - headroom);
}

#else

void usehugepages() {}

#endif
