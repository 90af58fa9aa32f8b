// The network store. Every table is a global of fixed capacity so that a
// whole run, however many instances it walks, allocates nothing: each load
// overwrites what it uses, and entries beyond the current instance keep what
// an earlier one left, since nothing reads them.
//
// The per-solve reset lives here too. It touches only the rows and words the
// current instance uses, so its cost follows nract, not the capacity.
#include "network/common_gpr.h"

#include <cstdlib>
#include <cstring>

int nract;
int nrres;
int nrbin;
int deadline;
int level;
int nrits;
double npv;

int dur[maxtab];
int cf[maxtab];
int64_t st[maxtab];
int64_t est[maxtab];
bool dropped[maxtab];
double dcf[maxtab];

int lag[maxtab][maxtab];
int succ[maxtab][maxlist];
int nrsucc[maxtab];
int pred[maxtab][maxlist];
int nrpred[maxtab];

uint32_t treesucc[maxtab][binwords];
uint32_t levelset[maxtab][binwords];
uint32_t visited[binwords];
uint32_t pow2[maxtab];
int msbtab[msbsize];

int64_t bestshift;
int bestfrom;
int bestto;

uint32_t lcgstate;

int firstprob;
int lastprob;
int pctneg;
int dlextra;
double interest;
char prefix[namesize];
int probnr;
char outname[namesize];
char instname[namesize];
recordfile *outfile;
recordfile *infofile;
int starttime;
float elapsed;

float sumtime;
double sumsq;
int nrsolved;
float avgtime;
double stddev;

void gprassertfail(const char *expr, const char *file, int line) {
    const char *base = std::strrchr(file, '/');
    std::fflush(stdout);
    std::fprintf(stderr, "Assertion failed: %s, file %s, line %d\n", expr, base ? base + 1 : file,
                 line);
    std::abort();
}

void resetsolve() {
    nrits = 0;
    npv = 0.0;
    // nract/32 rounded up, computed the way the original tool did: a single
    // precision quotient plus 0.9999, truncated. Exact for 0..1000.
    nrbin = (int)((float)nract / 32.0f + 0.9999);
    // The report quotes the expression as written here, without blanks.
    // clang-format off
    GPR_ASSERT(nrbin<=maxbin);
    // clang-format on
    for (int i = nract - 1; i >= 0; i--) {
        st[i] = est[i];
        dropped[i] = false;
        for (int w = nrbin - 1; w >= 0; w--) {
            levelset[i][w] = 0;
            treesucc[i][w] = 0;
        }
    }
}
