// The network store: the bit tables, the bit-set rows, the per-solve reset,
// and the seeded cash-flow generator with the cash flows it logs for a
// loaded instance.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "input/cashflow.h"
#include "network/bitrow.h"
#include "network/common_gpr.h"
#include "support/testsupport.h"

namespace {

// The members of a row in the order in which the iteration hands them out.
std::vector<int> members(const uint32_t *row) {
    std::vector<int> out;
    rowforeach(row, [&](int a) { out.push_back(a); });
    return out;
}

// Eight activities in a chain of finish-to-start relations, no resources.
const char *const chain8 = "8 0\n"
                           "0 1 2 1 3 0\n"
                           "3 1 3 1 3 0\n"
                           "2 1 4 1 3 0\n"
                           "4 1 5 1 3 0\n"
                           "1 1 6 1 3 0\n"
                           "5 1 7 1 3 0\n"
                           "2 1 8 1 3 0\n"
                           "0 0\n";

// Loads text as problem 1 and returns the info.out line it produced, the
// driver's "\n   1 : " prefix included.
std::string infoline(const std::string &text, int negative) {
    setparams(negative, 0, 0.01);
    std::remove("info.out");
    writefile("info.out", "\n   1 : ");
    testing::internal::CaptureStdout();
    EXPECT_EQ(loadtext(text, 1), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n       D1");
    return readfile("info.out");
}

} // namespace

TEST(BitTables, Pow2AndMsb) {
    pow2[7] = 0;
    msbtab[300] = 0;
    filltables();
    EXPECT_EQ(pow2[0], 1u);
    EXPECT_EQ(pow2[7], 128u);
    EXPECT_EQ(pow2[31], 0x80000000u);
    for (int k = 32; k < maxtab; k++) ASSERT_EQ(pow2[k], 0u) << "pow2[" << k << "]";

    // Every 16-bit value against a plain bit scan.
    EXPECT_EQ(msbtab[0], 0);
    for (int x = 1; x < msbsize; x++) {
        int b = 15;
        while (((x >> b) & 1) == 0) b--;
        ASSERT_EQ(msbtab[x], b) << "msbtab[" << x << "]";
    }

    EXPECT_EQ(msb(1), 0);
    EXPECT_EQ(msb(3), 1);
    EXPECT_EQ(msb(32768), 15);
    EXPECT_EQ(msb(65535), 15);
    EXPECT_EQ(msb(65536), 16);
    EXPECT_EQ(msb(0x00010001u), 16);
    EXPECT_EQ(msb(0x40000123u), 30);
    EXPECT_EQ(msb(0x80000000u), 31);
    EXPECT_EQ(msb(0xffffffffu), 31);
    EXPECT_EQ(msb(0), 0);
}

TEST(BitRows, OperationsAndIterationOrder) {
    filltables();
    uint32_t row[binwords] = {};
    nrbin = 32;
    for (int a : {0, 5, 31, 32, 999}) bitadd(row, a);
    EXPECT_EQ(row[0], 0x80000021u);
    EXPECT_EQ(row[1], 1u);
    EXPECT_EQ(row[31], 1u << 7);
    EXPECT_EQ(members(row), (std::vector<int>{999, 32, 31, 5, 0}));
    EXPECT_EQ(members(row), (std::vector<int>{999, 32, 31, 5, 0})) << "iteration changed the row";
    EXPECT_TRUE(bittest(row, 31));
    EXPECT_FALSE(bittest(row, 30));
    EXPECT_FALSE(bittest(row, 63));

    bitremove(row, 31);
    bitremove(row, 30); // not a member: no change
    EXPECT_EQ(members(row), (std::vector<int>{999, 32, 5, 0}));

    uint32_t other[binwords] = {};
    rowsingle(other, 640);
    EXPECT_EQ(members(other), (std::vector<int>{640}));
    rowmerge(other, row);
    EXPECT_EQ(members(other), (std::vector<int>{999, 640, 32, 5, 0}));
    rowsingle(other, 33);
    EXPECT_EQ(members(other), (std::vector<int>{33}));

    // Only the words in use are read or written.
    nrbin = 2;
    uint32_t full[binwords];
    for (uint32_t &w : full) w = 0xffffffffu;
    rowclear(full);
    EXPECT_EQ(full[0], 0u);
    EXPECT_EQ(full[1], 0u);
    for (int w = 2; w < binwords; w++) ASSERT_EQ(full[w], 0xffffffffu) << "word " << w;
    EXPECT_EQ(members(full), std::vector<int>{}) << "words beyond nrbin were iterated";
    rowsingle(full, 40);
    EXPECT_EQ(full[0], 0u);
    EXPECT_EQ(full[1], 1u << 8);
    EXPECT_EQ(full[2], 0xffffffffu);
    uint32_t sum[binwords] = {};
    rowmerge(sum, full);
    EXPECT_EQ(sum[1], 1u << 8);
    EXPECT_EQ(sum[2], 0u);
}

TEST(ResetSolve, WordsInUseAndWhatStays) {
    const std::vector<std::pair<int, int>> counts = {{0, 0},  {1, 1},    {31, 1},   {32, 1},
                                                     {33, 2}, {64, 2},   {65, 3},   {96, 3},
                                                     {97, 4}, {999, 32}, {1000, 32}};
    for (const auto &c : counts) {
        nract = c.first;
        resetsolve();
        EXPECT_EQ(nrbin, c.second) << "nract " << c.first;
    }
    for (int n = 0; n <= maxact; n++) {
        nract = n;
        resetsolve();
        ASSERT_EQ(nrbin, (n + 31) / 32) << "nract " << n;
    }

    // 40 activities: two words of rows 0..39 are cleared, nothing else.
    for (int i = 0; i < 42; i++) {
        st[i] = 5;
        for (int w = 0; w < binwords; w++) levelset[i][w] = treesucc[i][w] = 0xffffffffu;
    }
    for (uint32_t &w : visited) w = 0x12345678u;
    dur[3] = 7;
    cf[3] = -42;
    lag[3][4] = 11;
    deadline = 99;
    nrits = 17;
    npv = 123.5;
    nract = 40;
    resetsolve();
    EXPECT_EQ(nrbin, 2);
    EXPECT_EQ(nrits, 0);
    EXPECT_EQ(npv, 0.0);
    for (int i = 0; i < 40; i++) {
        ASSERT_EQ(st[i], -999) << i;
        for (int w = 0; w < 2; w++) {
            ASSERT_EQ(levelset[i][w], 0u) << i << "/" << w;
            ASSERT_EQ(treesucc[i][w], 0u) << i << "/" << w;
        }
        for (int w = 2; w < binwords; w++) {
            ASSERT_EQ(levelset[i][w], 0xffffffffu) << i << "/" << w;
            ASSERT_EQ(treesucc[i][w], 0xffffffffu) << i << "/" << w;
        }
    }
    for (int i = 40; i < 42; i++) {
        EXPECT_EQ(st[i], 5);
        EXPECT_EQ(levelset[i][0], 0xffffffffu);
        EXPECT_EQ(treesucc[i][1], 0xffffffffu);
    }
    EXPECT_EQ(visited[0], 0x12345678u);
    EXPECT_EQ(dur[3], 7);
    EXPECT_EQ(cf[3], -42);
    EXPECT_EQ(lag[3][4], 11);
    EXPECT_EQ(deadline, 99);
}

TEST(ResetSolveDeathTest, TooManyWordsAborts) {
    // 1057 activities would need 34 words.
    EXPECT_DEATH(
        {
            nract = 1057;
            resetsolve();
        },
        "^Assertion failed: nrbin<=maxbin, file common_gpr[^,]*, line [0-9]+\n");
}

TEST(CashFlows, GeneratorSequence) {
    const std::vector<int> first = {38, 7719, 21238, 2437, 8855, 11797, 8365, 32285, 10450, 30612};
    lcgseed(0);
    std::vector<int> drawn;
    for (size_t k = 0; k < first.size(); k++) drawn.push_back(lcgrand());
    EXPECT_EQ(drawn, first);
    lcgseed(0);
    EXPECT_EQ(lcgrand(), 38);
    EXPECT_EQ(lcgrand(), 7719);

    // The state wraps modulo 2^32 and a draw drops bit 31:
    // (2^32-1)*214013 + 2531011 = 2316998 (mod 2^32), 2316998 >> 16 = 35;
    // 2^31*214013 + 2531011 = 0x80269ec3, bits 16..30 are 0x26.
    lcgseed(0xffffffffu);
    EXPECT_EQ(lcgrand(), 35);
    lcgseed(0x80000000u);
    EXPECT_EQ(lcgrand(), 0x26);
}

TEST(CashFlows, LoggedLineOfEightActivities) {
    scratchdir dir;
    EXPECT_EQ(infoline(chain8, 50),
              "\n   1 : (0/0) (1/-239) (2/356) (3/366) (4/-451) (5/-354) (6/143) (7/0) ");
    EXPECT_EQ(std::vector<int>(cf, cf + 8),
              (std::vector<int>{0, -239, 356, 366, -451, -354, 143, 0}));
    EXPECT_EQ(infoline(chain8, 0),
              "\n   1 : (0/0) (1/239) (2/356) (3/366) (4/451) (5/354) (6/143) (7/0) ");
    EXPECT_EQ(infoline(chain8, 100),
              "\n   1 : (0/0) (1/-239) (2/-356) (3/-366) (4/-451) (5/-354) (6/-143) (7/0) ");
    EXPECT_EQ(std::vector<int>(cf, cf + 8),
              (std::vector<int>{0, -239, -356, -366, -451, -354, -143, 0}));
    // Percentages beyond 0..100 act like their nearest end.
    EXPECT_EQ(infoline(chain8, -20),
              "\n   1 : (0/0) (1/239) (2/356) (3/366) (4/451) (5/354) (6/143) (7/0) ");
    EXPECT_EQ(infoline(chain8, 1000),
              "\n   1 : (0/0) (1/-239) (2/-356) (3/-366) (4/-451) (5/-354) (6/-143) (7/0) ");

    // Activity 1's sign draw is 2437, 37 modulo 100: negative from pctneg 38 on.
    // In three activities the end dummy takes the draws 8855 and 11797 and gets 0.
    const char *three = "3 0\n0 1 2 1 1 0\n4 1 3 1 3 0\n0 0\n";
    EXPECT_EQ(infoline(three, 37), "\n   1 : (0/0) (1/239) (2/0) ");
    EXPECT_EQ(infoline(three, 38), "\n   1 : (0/0) (1/-239) (2/0) ");
    EXPECT_EQ(cf[2], 0);
}
