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

// The members of a row in the order in which the iteration hands them out.
static std::vector<int> members(const uint32_t *row) {
    std::vector<int> out;
    rowforeach(row, [&](int a) { out.push_back(a); });
    return out;
}

TEST(BitRows, MsbIterationOrderAndWordsInUse) {
    filltables();
    for (int b = 0; b < 32; b++) { // the lowest and the highest word with top bit b
        EXPECT_EQ(msb(1u << b), b);
        EXPECT_EQ(msb((2u << b) - 1), b);
    }

    nrbin = 32;
    uint32_t row[binwords] = {}, other[binwords] = {};
    for (int a : {0, 5, 31, 32, 999, 30}) bitadd(row, a);
    bitremove(row, 30);
    EXPECT_EQ(members(row), (std::vector<int>{999, 32, 31, 5, 0}));
    EXPECT_TRUE(bittest(row, 32) && !bittest(row, 30));
    rowsingle(other, 640);
    rowmerge(other, row); // also shows that the iteration left the row intact
    EXPECT_EQ(members(other), (std::vector<int>{999, 640, 32, 31, 5, 0}));
    // Only the words in use are written or read.
    nrbin = 2;
    for (uint32_t &w : other) w = 0xffffffffu;
    rowsingle(other, 40);
    EXPECT_EQ(members(other), std::vector<int>{40});
    EXPECT_EQ(other[2], 0xffffffffu);
}

TEST(ResetSolve, WordsInUseAndWhatStays) {
    for (int n = 0; n <= maxact; n++) {
        nract = n;
        resetsolve();
        ASSERT_EQ(nrbin, (n + 31) / 32) << "nract " << n;
    }
    // 40 activities: words 0 and 1 of rows 0..39 are cleared, nothing else.
    for (int i = 0; i <= 40; i++) {
        st[i] = 5;
        est[i] = i;
        for (int w = 0; w < binwords; w++) levelset[i][w] = treesucc[i][w] = 0xffffffffu;
    }
    nract = 40;
    resetsolve();
    for (int i = 0; i <= 40; i++) {
        ASSERT_EQ(st[i], i < 40 ? i : 5) << i; // back at the earliest starts
        for (int w = 0; w < binwords; w++) {
            const uint32_t expected = i < 40 && w < 2 ? 0u : 0xffffffffu;
            ASSERT_EQ(levelset[i][w], expected) << i << "/" << w;
            ASSERT_EQ(treesucc[i][w], expected) << i << "/" << w;
        }
    }
}

TEST(ResetSolveDeathTest, TooManyWordsAborts) {
    // 1057 activities would need 34 words.
    EXPECT_DEATH((nract = 1057, resetsolve()),
                 "^Assertion failed: nrbin<=maxbin, file common_gpr\\.cpp, line [0-9]+\n");
}

TEST(CashFlows, FirstDrawsAndLoggedLine) {
    lcgseed(0);
    for (int draw : {38, 7719, 21238, 2437, 8855, 11797, 8365, 32285, 10450, 30612})
        EXPECT_EQ(lcgrand(), draw);

    // Eight activities; activity 5's sign draw is 0 modulo 100, so pctneg 0 keeps it positive.
    scratchdir dir;
    const std::pair<int, const char *> rows[] = {
        {50, "(0/0) (1/-239) (2/356) (3/366) (4/-451) (5/-354) (6/143) (7/0) "},
        {0, "(0/0) (1/239) (2/356) (3/366) (4/451) (5/354) (6/143) (7/0) "},
        {100, "(0/0) (1/-239) (2/-356) (3/-366) (4/-451) (5/-354) (6/-143) (7/0) "}};
    for (const auto &row : rows) {
        setparams(row.first, 0, 0.01);
        std::remove("info.out");
        testing::internal::CaptureStdout();
        EXPECT_EQ(loadtext("8 0\n0 1 8 1 1 0\n0 0\n0 0\n0 0\n0 0\n0 0\n0 0\n0 0\n"), 1);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(readfile("info.out"), row.second) << row.first;
    }
}
