// End-to-end runs of "maxnpv batch" and "maxnpv solve" in scratch folders,
// without a terminal. Batch mode must write what the dialogue writes for the
// same answers; solve mode must give the batch's status, passes and npv, a
// schedule that meets every relation of the file (checked here from the file
// itself) and is worth the npv it reports; bad use must end with exit status
// 2, one line on standard error, and nothing written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/testsupport.h"

namespace {

namespace fs = std::filesystem;

// Runs maxnpv with the arguments (and standard input) in the working folder.
ran maxnpv(const std::string &args, const std::string &input = "") {
    return runbinary(MAXNPV_BINARY, args, input);
}

// output.txt without its solve times (the last field of a solved record and
// the two statistics numbers).
std::string untimed(std::string text) {
    std::istringstream in(text);
    std::string line, kept;
    while (std::getline(in, line)) {
        if (line.find("Average computation time") != std::string::npos)
            line = "statistics";
        else if (std::count(line.begin(), line.end(), '.') == 2)
            line = line.substr(0, line.rfind(' '));
        kept += line + "\n";
    }
    return kept;
}

// The value of "key": in a JSON document (the text up to the next , or }).
std::string jsonfield(const std::string &doc, const std::string &key, size_t from = 0) {
    size_t at = doc.find("\"" + key + "\": ", from);
    if (at == std::string::npos) return "";
    at += key.size() + 4;
    return doc.substr(at, doc.find_first_of(",}\n", at) - at);
}

// One activity of the JSON schedule.
struct planned {
    long long duration = 0, start = 0;
    double cashflow = 0;
    bool unbounded = false;
};

std::vector<planned> schedule(const std::string &doc) {
    std::vector<planned> acts;
    for (size_t at = doc.find("{\"activity\": "); at != std::string::npos;
         at = doc.find("{\"activity\": ", at + 1)) {
        planned a;
        a.duration = std::stoll(jsonfield(doc, "duration", at));
        a.cashflow = std::stod(jsonfield(doc, "cashflow", at));
        a.unbounded = jsonfield(doc, "unbounded", at) == "true";
        if (!a.unbounded) a.start = std::stoll(jsonfield(doc, "start", at));
        acts.push_back(a);
    }
    return acts;
}

// The first relation of the .gpr text that the schedule breaks, or "". The
// rules, from the file's own terms: a minimal lag v of type t from i to s
// asks point(s) >= point(i) + v, a maximal one point(s) <= point(i) + v,
// where the points are the starts or finishes the type names. Activities
// postponed without limit lie beyond every finite time.
std::string broken(const std::string &gpr, const std::vector<planned> &acts, long long deadline) {
    std::istringstream in(gpr);
    long long n, nrres, x;
    in >> n >> nrres;
    for (long long k = 0; k < nrres; k++) in >> x;
    for (long long i = 0; i < n; i++) {
        long long dur, count;
        in >> dur;
        for (long long k = 0; k < nrres; k++) in >> x;
        in >> count;
        for (long long k = 0; k < count; k++) {
            long long s, bound, type, v;
            in >> s >> bound >> type >> v;
            s--;
            if (bound < 1 || bound > 2 || type < 1 || type > 4) continue;
            if (acts[s].unbounded || acts[i].unbounded) {
                if (bound == 2 && !acts[s].unbounded)
                    return "a maximal lag from " + std::to_string(i + 1) + " binds nothing";
                continue;
            }
            long long from = acts[i].start + (type >= 3 ? acts[i].duration : 0);
            long long to = acts[s].start + (type % 2 == 0 ? acts[s].duration : 0);
            if (bound == 1 ? to < from + v : to > from + v)
                return "entry " + std::to_string(k + 1) + " of activity " + std::to_string(i + 1);
        }
    }
    if (acts.back().start > acts.front().start + deadline) return "the deadline";
    return "";
}

const std::string example = readfile(std::string(MAXNPV_EXAMPLES) + "/D1.gpr");

int lines(const std::string &text) {
    return (int)std::count(text.begin(), text.end(), '\n');
}

} // namespace

TEST(BatchMode, WritesWhatTheDialogueWrites) {
    scratchdir dir;
    for (const char *file : {"D1.gpr", "D3.gpr", "D4.gpr"})
        fs::copy(std::string(MAXNPV_EXAMPLES) + "/" + file, file);
    writefile("D2.gpr", "4 0\n0 1 2 1 1 0\n1 1 3 1 1 3\n1 2 2 1 1 -2 4 1 1 1\n0 0\n"); // a cycle
    for (const char *answers : {"0 5 50 10 0.01", "1 4 100 0 0.1", "2 3 0 -3 0.001"}) {
        SCOPED_TRACE(answers);
        ran dialogue = maxnpv("", answers);
        std::string output = readfile("output.txt"), info = readfile("info.out");
        int first, last, pct, slack;
        double rate;
        std::sscanf(answers, "%d %d %d %d %lf", &first, &last, &pct, &slack, &rate);
        char args[200];
        std::snprintf(args, sizeof args,
                      "batch --first %d --last %d --pctneg=%d --slack %d --interest %s", first,
                      last, pct, slack, std::strrchr(answers, ' ') + 1);
        ran batch = maxnpv(args);
        // The dialogue's files and rows; D0 and D5 of the first range do
        // not exist, which the batch counts on a line of its own and in its
        // exit status.
        const bool missing = first == 0;
        EXPECT_EQ(dialogue.status, 0);
        EXPECT_EQ(batch.status, missing ? 4 : 0);
        EXPECT_EQ(untimed(readfile("output.txt")), untimed(output));
        EXPECT_EQ(readfile("info.out"), info);
        // Beyond the dialogue's lines, the batch may warn of activities that
        // the deadline does not bound (a line that names --bound-all) and of
        // schedules that overload a resource (one that names --resources).
        std::string err = batch.err;
        for (size_t warning;
             (warning = err.find("maxnpv batch: warning: ")) != std::string::npos;) {
            const size_t eol = err.find('\n', warning);
            const std::string line = err.substr(warning, eol - warning);
            EXPECT_TRUE(line.find("--bound-all") != std::string::npos ||
                        line.find("--resources") != std::string::npos)
                << line;
            err.erase(warning, eol + 1 - warning);
        }
        EXPECT_EQ(err, dialogue.err + (missing ? "maxnpv batch: 2 of 6 problems not run: 2 not "
                                                 "found\n"
                                               : ""));
        // The rows of the console are the dialogue's, after its header.
        std::string rows = untimed(dialogue.out.substr(dialogue.out.find("\n\n filename")));
        EXPECT_EQ(untimed(batch.out).rfind(rows.substr(0, rows.find("statistics")), 0), 0u);
    }
}

TEST(BatchMode, CsvTableAndScheduleFiles) {
    scratchdir dir;
    writefile("D1.gpr", example);
    writefile("D2.gpr", "3 0\n0 1 2 1 1 0\n0 0\n0 0\n"); // nothing leads to the end dummy
    fs::create_directory("plans");
    ran r = maxnpv("batch --first 1 --last 3 --pctneg 50 --slack 10 --interest 0.01 --csv t.csv "
                   "--schedules plans");
    ASSERT_EQ(r.status, 4) << r.err; // D3.gpr is not found
    EXPECT_EQ(r.err.substr(r.err.find("\nmaxnpv batch")),
              "\nmaxnpv batch: 1 of 3 problems not run: 1 not found\n");
    std::istringstream table(readfile("t.csv"));
    std::string header, one, two, three;
    std::getline(table, header), std::getline(table, one), std::getline(table, two);
    std::getline(table, three);
    EXPECT_EQ(header, "problem,status,passes,npv,seconds,activities,relations,file,deadline,"
                      "critical_path,interest,pctneg,seed,method,reason");
    // 491.39149069887742...: 356 e^-0.02 + 366 e^-0.05 - 239 e^-0.15
    double npv = 356 * std::exp(-0.02) + 366 * std::exp(-0.05) - 239 * std::exp(-0.15);
    EXPECT_EQ(one.substr(0, 10), "1,solved,3");
    EXPECT_NEAR(std::stod(one.substr(11)), npv, 1e-9);
    // The worked example: 5 activities, 6 successor entries, critical path 5.
    EXPECT_EQ(one.substr(one.find(",5,6,")), ",5,6,D1.gpr,15,5,0.01,50,,classic,");
    EXPECT_EQ(two.substr(0, two.find(",\"")), "2,not connected,,,,3,1,D2.gpr,,,0.01,50,,classic");
    EXPECT_EQ(three, "3,not found,,,,,,D3.gpr,,,0.01,50,,classic,cannot open the file");
    EXPECT_EQ(fs::exists("plans/D1.csv"), true);
    EXPECT_EQ(fs::exists("plans/D2.csv"), false);
    EXPECT_NE(readfile("plans/D1.csv").find("\n2,3,-239,12,15,"), std::string::npos);
}

TEST(BatchMode, SchFilesAreNumberedFromZeroAsTheFileNumbersThem) {
    // A ProGen/max file numbers its activities from 0: the schedule files,
    // the reasons and the table of a batch run name them so, as solve does.
    // cycle.sch: 1 -> 2 with lag 3 and 2 -> 1 with lag -1, a cycle of
    // length 2 through activities 1 and 2 of the file.
    scratchdir dir;
    fs::copy(std::string(MAXNPV_TESTDATA) + "/sch/example.sch", "example.sch");
    writefile("cycle.sch", "2 0 0 0\n0 1 2 1 2 [0] [0]\n1 1 2 2 3 [3] [0]\n2 1 2 1 3 [-1] "
                           "[0]\n3 1 0\n0 1 0\n1 1 1\n2 1 1\n3 1 0\n");
    const std::string run = " --pctneg 50 --slack 5 --interest 0.01";
    ran r = maxnpv("batch" + run + " --csv t.csv --schedules plans example.sch cycle.sch");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string cycle = "the cycle: 1 -> 2 -> 1 (length 2)";
    EXPECT_NE(r.err.find("cycle.sch: no feasible schedule: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(cycle + "\n"), std::string::npos) << r.err;
    EXPECT_NE(readfile("t.csv").find(cycle + "\n"), std::string::npos) << readfile("t.csv");
    // The six activities of example.sch are 0 (start dummy) to 5 (end dummy).
    std::istringstream plan(readfile("plans/example.csv"));
    std::string line, numbers;
    std::getline(plan, line);
    while (std::getline(plan, line)) numbers += line.substr(0, line.find(',')) + " ";
    EXPECT_EQ(numbers, "0 1 2 3 4 5 ");
    // solve writes the same file and gives the same reason.
    ran one = maxnpv("solve example.sch" + run + " --schedule one.csv");
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(readfile("one.csv"), readfile("plans/example.csv"));
    one = maxnpv("solve cycle.sch" + run);
    EXPECT_NE(one.out.find(cycle + "\n"), std::string::npos) << one.out;
}

TEST(Modes, DashWritesAFileToTheStandardOutput) {
    // "-" as --schedule, --gantt (solve), --csv (batch) or --plot (sweep):
    // the file goes to the standard output, byte for byte as it would go to
    // a file, and alone. Two documents for one standard output are bad use.
    scratchdir dir;
    writefile("D1.gpr", example);
    writefile("D2.gpr", "2 0\n0 1 3 1 1 0\n0 0\n"); // names activity 3 of only 2: invalid
    const std::string run = " --pctneg 50 --slack 10 --interest 0.01";
    ran r = maxnpv("solve D1.gpr" + run + " --schedule -");
    ASSERT_EQ(r.status, 0) << r.err;
    // The worked example at slack 10: activity 2 (cash flow -239) starts at 12.
    EXPECT_EQ(r.out.rfind("activity,duration,cashflow,start,finish,discounted,note\n1,", 0), 0u)
        << r.out;
    EXPECT_NE(r.out.find("\n2,3,-239,12,15,"), std::string::npos) << r.out;
    ran file = maxnpv("solve D1.gpr" + run + " --schedule s.csv --gantt g.svg");
    ASSERT_EQ(file.status, 0) << file.err;
    EXPECT_EQ(r.out, readfile("s.csv"));
    r = maxnpv("solve D1.gpr" + run + " --gantt -");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, readfile("g.svg"));
    EXPECT_NE(r.out.find("<svg"), std::string::npos);
    EXPECT_FALSE(fs::exists("-"));

    // batch: the table alone on the standard output; the console rows, the
    // reasons and the closing lines on standard error, each line whole.
    r = maxnpv("batch --first 1 --last 2" + run + " --csv -");
    ASSERT_EQ(r.status, 4) << r.err;
    ran table = maxnpv("batch --first 1 --last 2" + run + " --csv t.csv");
    // Both tables, without their solve times (the fifth column).
    auto untimedtable = [](const std::string &text) {
        std::string kept;
        std::istringstream in(text);
        for (std::string row; std::getline(in, row);) {
            std::vector<std::string> fields = csvfields(row);
            fields.erase(fields.begin() + 4);
            for (const std::string &f : fields) kept += f + "|";
            kept += "\n";
        }
        return kept;
    };
    EXPECT_EQ(untimedtable(r.out), untimedtable(readfile("t.csv")));
    std::vector<std::string> rows;
    for (std::istringstream in(r.out); std::getline(in, rows.emplace_back());) {
    }
    rows.pop_back();
    ASSERT_EQ(rows.size(), 3u) << r.out;
    EXPECT_EQ(rows[0].substr(0, 15), "problem,status,");
    EXPECT_EQ(csvfields(rows[1])[1], "solved");
    EXPECT_EQ(csvfields(rows[2])[1], "invalid");
    const std::string err = r.err;
    const size_t row1 = err.find("\n       D1   optimal    491.39 "),
                 row2 = err.find("\n       D2\t\t\t\t\t invalid file\nD2.gpr: "),
                 stats = err.find("\n\n Average computation time (seconds)    : "),
                 closing = err.find(")\nmaxnpv batch: 1 of 2 problems not run: 1 unreadable\n");
    EXPECT_EQ(err.rfind("\n\n filename  solution", 0), 0u) << err;
    EXPECT_TRUE(row1 < row2 && row2 < stats && stats < closing && closing != std::string::npos)
        << err;
    EXPECT_EQ(err.size(), closing + 54) << err; // ending with the closing line
    EXPECT_NE(readfile("output.txt").find("\n    1     3   491.39 "), std::string::npos);

    // sweep: the chart alone on the standard output, the table in a file.
    r = maxnpv("sweep D1.gpr --pctneg 50 --slack 0:4:2 --interest 0.01 --csv t.csv --plot -");
    ASSERT_EQ(r.status, 0) << r.err;
    file = maxnpv("sweep D1.gpr --pctneg 50 --slack 0:4:2 --interest 0.01 --plot p.svg");
    EXPECT_EQ(r.out, readfile("p.svg"));
    EXPECT_EQ(lines(readfile("t.csv")), 4); // header and three deadlines

    const std::pair<std::string, std::string> refused[] = {
        {"solve D1.gpr" + run + " --schedule - --gantt -",
         "maxnpv solve: --schedule - and --gantt - would both write the standard output"},
        {"solve D1.gpr" + run + " --json --gantt -",
         "maxnpv solve: --json and --gantt - would both write the standard output"},
        {"sweep D1.gpr --pctneg 50 --slack 0:4 --interest 0.01 --plot -",
         "maxnpv sweep: --plot - and the table would both write the standard output"},
        {"sweep D1.gpr --pctneg 50 --slack 0:4 --interest 0.01 --csv - --plot -",
         "maxnpv sweep: --plot - and the table would both write the standard output"},
    };
    for (const auto &[args, says] : refused) {
        SCOPED_TRACE(args);
        fs::remove("output.txt");
        r = maxnpv(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err.rfind(says, 0), 0u) << r.err;
        EXPECT_EQ(lines(r.err), 1) << r.err;
        EXPECT_EQ(r.out, "");
    }
}

TEST(SolveMode, AgreesWithTheBatchAndMeetsEveryRelation) {
    scratchdir dir;
    std::vector<std::string> files{"D1.gpr", "D2.gpr", "D3.gpr", "D4.gpr"};
    for (const std::string &file : files) fs::copy(std::string(MAXNPV_EXAMPLES) + "/" + file, file);
    // An arc into a dropped set: activity 2 is postponed without limit.
    writefile("D5.gpr", "5 0\n0 4  2 1 1 0  3 1 1 0  4 1 1 0  5 1 1 0\n0 0\n"
                        "0 2  4 1 1 -999998  2 1 1 0\n0 1  5 1 3 0\n0 0\n");
    files.push_back("D5.gpr");
    for (const char *answers : {"50 10 0.01", "100 3 0.05", "0 0 0.2"}) {
        SCOPED_TRACE(answers);
        int pct, slack;
        double rate;
        std::sscanf(answers, "%d %d %lf", &pct, &slack, &rate);
        maxnpv("batch --first 1 --last 5 " + std::string("--pctneg ") + std::to_string(pct) +
               " --slack " + std::to_string(slack) + " --interest " +
               std::string(std::strrchr(answers, ' ') + 1));
        std::istringstream records(readfile("output.txt"));
        std::string record;
        std::getline(records, record);
        for (const std::string &file : files) {
            SCOPED_TRACE(file);
            std::getline(records, record);
            const std::string common = " --json --pctneg " + std::to_string(pct) + " --slack " +
                                       std::to_string(slack) + " --interest " +
                                       std::string(std::strrchr(answers, ' ') + 1);
            // The batch's passes are the specified search's: solve counts the
            // same with --method classic. The fast method reaches the same npv.
            ran fast = maxnpv("solve " + file + common);
            ASSERT_EQ(fast.status, 0) << fast.err;
            EXPECT_EQ(jsonfield(fast.out, "method"), "\"fast\"");
            ran r = maxnpv("solve " + file + common + " --method classic");
            ASSERT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(jsonfield(r.out, "method"), "\"classic\"");
            // Drawn cash flows keep the specified search's tolerance of 1e-5
            // per subtree, so it may stop a little short of the exact optimum.
            const double fastnpv = std::stod(jsonfield(fast.out, "npv"));
            const double classicnpv = std::stod(jsonfield(r.out, "npv"));
            EXPECT_GE(fastnpv, classicnpv - 1e-9 * (1 + std::fabs(classicnpv)));
            EXPECT_NEAR(fastnpv, classicnpv, 1e-3);
            EXPECT_EQ(jsonfield(r.out, "status"), "\"solved\"");
            char expected[80];
            std::snprintf(expected, sizeof expected, "%5d %8.2f",
                          std::stoi(jsonfield(r.out, "passes")),
                          std::stod(jsonfield(r.out, "npv")));
            EXPECT_EQ(record.substr(6, 14), expected);
            std::vector<planned> acts = schedule(r.out);
            EXPECT_EQ(broken(readfile(file), acts, std::stoll(jsonfield(r.out, "deadline"))), "");
            double sum = 0;
            for (const planned &a : acts)
                if (!a.unbounded) sum += a.cashflow * std::exp(-rate * (a.start + a.duration));
            EXPECT_NEAR(sum, std::stod(jsonfield(r.out, "npv")),
                        1e-9 * std::max(1.0, std::fabs(sum)));
        }
    }
}

TEST(SolveMode, OwnCashFlowsUnsolvableInstancesAndBadUse) {
    scratchdir dir;
    writefile("D1.gpr", example);
    writefile("cf.txt", "# start dummy first\n0 -239.5 356\n366.25 # the last real one\n0\n");
    ran r = maxnpv("solve D1.gpr --cashflows cf.txt --deadline 15 --interest 0.01 --json");
    ASSERT_EQ(r.status, 0) << r.err;
    // As in the worked example, with these cash flows: 356 e^-0.02 +
    // 366.25 e^-0.05 - 239.5 e^-0.15.
    EXPECT_NEAR(std::stod(jsonfield(r.out, "npv")),
                356 * std::exp(-0.02) + 366.25 * std::exp(-0.05) - 239.5 * std::exp(-0.15), 1e-9);

    // A ProGen/max file is read as sch2gpr converts it.
    const std::string sch = std::string(MAXNPV_TESTDATA) + "/sch/example";
    ran direct = maxnpv("solve '" + sch + ".sch' --pctneg 50 --slack 5 --interest 0.01 --json");
    ran converted = maxnpv("solve '" + sch + ".gpr' --pctneg 50 --slack 5 --interest 0.01 --json");
    EXPECT_EQ(direct.status, 0) << direct.err;
    EXPECT_EQ(jsonfield(direct.out, "npv"), jsonfield(converted.out, "npv"));
    EXPECT_EQ(jsonfield(direct.out, "passes"), jsonfield(converted.out, "passes"));

    // Read but not solvable: exit status 1, the status and reason shown.
    writefile("D2.gpr", "3 0\n0 1 2 1 1 0\n0 0\n0 0\n");
    r = maxnpv("solve D2.gpr --pctneg 50 --slack 0 --interest 0.01 --json");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(jsonfield(r.out, "status"), "\"not connected\"");
    EXPECT_NE(jsonfield(r.out, "reason").find("no chain of relations"), std::string::npos);
    writefile("D3.gpr", "3 0\n0 1 2 1 1 0\n0 0\n");
    r = maxnpv("solve D3.gpr --pctneg 50 --slack 0 --interest 0.01");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("invalid"), std::string::npos);

    // Bad use: one line naming what is wrong, exit status 2, nothing written.
    const char *const wrong[][2] = {
        {"solve D1.gpr --pctneg 50 --slack 0", "--interest is missing"},
        {"solve D1.gpr --pctneg 50 --slack 0 --interest nan", "--interest needs a finite number"},
        {"solve D1.gpr --pctneg 101 --slack 0 --interest 0.1", "--pctneg needs a whole number"},
        {"solve D1.gpr --slack 0 --interest 0.1", "either --pctneg P or --cashflows FILE"},
        {"solve D1.gpr --pctneg 5 --cashflows cf.txt --slack 0 --interest 0.1", "either --pctneg"},
        {"solve D1.gpr --pctneg 5 --interest 0.1", "give one of --slack S, --deadline D"},
        {"solve D1.gpr --pctneg 5 --slack 1 --interest 0.1 --color", "unknown option --color"},
        {"solve --pctneg 5 --slack 1 --interest 0.1", "FILE is missing"},
        {"solve nofile.gpr --pctneg 5 --slack 1 --interest 0.1", "cannot read nofile.gpr"},
        {"solve . --pctneg 5 --slack 1 --interest 0.1", "cannot read .: not a regular file"},
        {"solve D1.gpr --cashflows short.txt --slack 1 --interest 0.1",
         "short.txt holds 2 cash flows, D1.gpr has 5 activities"},
        {"solve D1.gpr --cashflows bad.txt --slack 1 --interest 0.1",
         "bad.txt, line 2: '1e999' is not a finite number"},
        {"solve D1.gpr --pctneg 5 --slack 1 --interest 0.1 --schedule nodir/s.csv --gantt g.svg",
         "--schedule: cannot write in nodir"},
        {"frobnicate", "unknown mode 'frobnicate'"},
        {"batch --first 2 --last 1 --pctneg 5 --slack 0 --interest 0.1",
         "--first 2 is above --last 1"},
        {"batch --first 1 --last 1 --pctneg 5 --slack 0 --interest -1", "--interest needs"},
        {"batch --first 1 --last x --pctneg 5 --slack 0 --interest 1",
         "--last needs a whole number"},
        {"batch --first 1 --last 1 --pctneg 5 --slack 0 --interest 1 --dir nodir", "not a folder"},
    };
    writefile("short.txt", "1 2");
    writefile("bad.txt", "1 2\n1e999 3 4\n");
    for (const auto &[args, says] : wrong) {
        SCOPED_TRACE(args);
        fs::remove("output.txt");
        r = maxnpv(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(fs::exists("output.txt") || fs::exists("g.svg"));
    }
}

TEST(SolveMode, SmallAndHugeCashFlowsAndBadCashFlowFiles) {
    scratchdir dir;
    writefile("D1.gpr", example);
    // A cash flow far below 1 keeps its significant digits in the table.
    writefile("small.txt", "0 -2.39e-7 356 366.25 0\n");
    ran r = maxnpv("solve D1.gpr --cashflows small.txt --slack 5 --interest 0.01");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\n       2         3  -2.39e-07 "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\n       4         4     366.25 "), std::string::npos) << r.out;
    // 1e308 is too large before any discount (every finish is at 0 or later).
    writefile("huge.txt", "0 1 2 1e308 0\n");
    r = maxnpv("solve D1.gpr --cashflows huge.txt --slack 5 --interest 0.01");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("the cash flows are too large"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("discount factor"), std::string::npos) << r.out;
    // A NUL byte is named; a long token is cut with a mark and its length.
    writefile("nul.txt", std::string("0 1\n2 3\0 0\n", 11));
    writefile("long.txt", "0 1 2 " + std::string(400, '9') + "x 0\n");
    const char *const wrong[][2] = {
        {"nul.txt", "--cashflows: nul.txt, line 2: a NUL byte: a cash-flow file is text"},
        {"long.txt", "--cashflows: long.txt, line 1: '9999999999999999999999999999999999999999...'"
                     " (cut: 401 bytes in all) is not a finite number"},
    };
    for (const auto &[file, says] : wrong) {
        r = maxnpv(std::string("solve D1.gpr --cashflows ") + file + " --slack 5 --interest 0.01");
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, std::string("maxnpv solve: ") + says + "\n");
    }
    // The largest 32-bit slack: the deadline is the critical path 5 plus it.
    r = maxnpv("solve D1.gpr --pctneg 50 --slack 2147483647 --interest 0.01 --json");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(jsonfield(r.out, "deadline"), "2147483652");
    // Stray arguments of a batch over problem numbers are refused.
    r = maxnpv("batch --first 1 --last 1 --pctneg 50 --slack 5 --interest 0.01 stray");
    EXPECT_EQ(r.status, 2);
    EXPECT_FALSE(fs::exists("output.txt"));
}

TEST(EveryMode, ZeroCashFlowsLongBeforeTheProjectAddNothing) {
    // The start dummy lasts -100000, so it finishes where e^(0.01 * 100000)
    // is beyond a double; its cash flow is 0 and adds exactly 0, not NaN.
    // Activity 2 (-239 drawn, 3 long) ends at the deadline 3: the optimum is
    // -239 e^-0.03, as gprlp finds.
    scratchdir dir;
    writefile("D1.gpr", "3 0\n-100000 1 2 1 1 0\n3 1 3 1 3 0\n0 0\n");
    const double optimum = -239 * std::exp(-0.03);
    for (const char *method : {"fast", "classic"}) {
        SCOPED_TRACE(method);
        ran r = maxnpv(std::string("solve D1.gpr --pctneg 50 --slack 0 --interest 0.01 --json "
                                   "--method ") +
                       method);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NEAR(std::stod(jsonfield(r.out, "npv")), optimum, 1e-12);
        EXPECT_EQ(jsonfield(r.out, "discounted"), "0"); // the start dummy's
        r = maxnpv(std::string("sweep D1.gpr --pctneg 50 --slack 0:1 --interest 0.01 --method ") +
                   method);
        ASSERT_EQ(r.status, 0) << r.err;
        std::istringstream rows(r.out);
        std::string header, first, second;
        std::getline(rows, header), std::getline(rows, first), std::getline(rows, second);
        EXPECT_NEAR(std::stod(csvfields(first)[3]), optimum, 1e-12) << first;
        EXPECT_NEAR(std::stod(csvfields(second)[3]), -239 * std::exp(-0.04), 1e-12) << second;
    }
    ran r = maxnpv("batch --first 1 --last 1 --pctneg 50 --slack 0 --interest 0.01 --csv t.csv");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readfile("output.txt").rfind("\n    1     2  -231.94 ", 0), 0u)
        << readfile("output.txt");
    std::istringstream table(readfile("t.csv"));
    std::string header, row;
    std::getline(table, header), std::getline(table, row);
    EXPECT_NEAR(std::stod(csvfields(row)[3]), optimum, 1e-12) << row;

    // A cash flow of 0 on an activity that starts 100,000 before the project.
    writefile("N.gpr", "4 0\n0 1 2 1 1 0\n0 2 3 1 1 -100000 4 1 3 0\n0 0\n0 0\n");
    writefile("cf.txt", "0 5 0 0\n");
    for (const char *method : {"fast", "classic"}) {
        r = maxnpv(std::string("solve N.gpr --cashflows cf.txt --slack 0 --interest 0.01 "
                               "--method ") +
                   method);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find("\nnpv           5\n"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("\n       3         0          0  -100000  -100000      0.0000\n"),
                  std::string::npos)
            << r.out;
    }
}
