// The files that record a run (platform/runfile.h), driven directly: the
// files of a run are opened all or none, a run that cannot start leaves the
// earlier files as they were and removes what it made, a failed write cuts
// every file of the record back to its last whole record, and a descriptor
// the run does not own is never emptied or cut. A fatal signal's cut is
// checked end to end (driver_test, outputs_test).
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/runfile.h"
#include "support/testsupport.h"

namespace {

namespace fs = std::filesystem;

} // namespace

TEST(RunFiles, OpenedAllOrNoneAndEmptiedOnlyWhenTheRunStarts) {
    scratchdir dir;
    writefile("kept.txt", "earlier");
    fs::create_directory("folder");
    runfile kept, made, blocked;
    size_t failed = 99;
    int err = 0;
    // The third cannot be opened: the first keeps its text, the second,
    // which the run made, is gone.
    EXPECT_FALSE(
        openall({&kept, &made, &blocked}, {"kept.txt", "made.txt", "folder"}, &failed, &err));
    EXPECT_EQ(failed, 2u);
    EXPECT_EQ(err, EISDIR);
    EXPECT_EQ(readfile("kept.txt"), "earlier");
    EXPECT_FALSE(fs::exists("made.txt"));
    EXPECT_FALSE(kept.isopen() || made.isopen() || blocked.isopen());

    // Opened, the files keep their text until the run starts.
    ASSERT_TRUE(openall({&kept, &made}, {"kept.txt", "made.txt"}, &failed, &err));
    EXPECT_EQ(readfile("kept.txt"), "earlier");
    EXPECT_TRUE(fs::exists("made.txt"));
    ASSERT_TRUE(kept.start(&err) && made.start(&err));
    EXPECT_EQ(readfile("kept.txt"), "");
    kept.put("\n%5d %s", 1, "one");
    made.append("header\n");
    ASSERT_TRUE(flushall({&kept, &made}, &failed, &err));
    EXPECT_EQ(readfile("kept.txt"), "\n    1 one");
    EXPECT_EQ(readfile("made.txt"), "header\n");
    // A file the run started is the run's: abandoning it no longer removes it.
    made.abandon();
    EXPECT_TRUE(fs::exists("made.txt"));
    ASSERT_TRUE(kept.close(&err));
}

TEST(RunFiles, AFailedWriteCutsEveryFileOfTheRecordBack) {
    // The second file leads to /dev/full: its write fails, and the record
    // that the first file took is cut back, so both end with record 1.
    scratchdir dir;
    ASSERT_EQ(symlink("/dev/full", "full.txt"), 0);
    runfile first, full, third;
    size_t failed = 0;
    int err = 0;
    ASSERT_TRUE(openall({&first, &third}, {"first.txt", "third.txt"}, &failed, &err));
    ASSERT_TRUE(first.start(&err) && third.start(&err));
    first.append("record 1\n");
    third.append("record 1\n");
    ASSERT_TRUE(flushall({&first, &full, &third}, &failed, &err)); // full is not open: passed over
    ASSERT_TRUE(full.open("full.txt", &err)) << err;
    ASSERT_TRUE(full.start(&err));
    first.append("record 2, longer than the first\n");
    full.append("record 2\n");
    third.append("record 2\n");
    EXPECT_FALSE(flushall({&first, &full, &third}, &failed, &err));
    EXPECT_EQ(failed, 1u);
    EXPECT_EQ(err, ENOSPC);
    EXPECT_EQ(readfile("first.txt"), "record 1\n");
    EXPECT_EQ(readfile("third.txt"), "record 1\n");
    EXPECT_EQ(third.pendingtext(), ""); // dropped, not written later
    // The files go on from their last whole record.
    first.append("record 3\n");
    ASSERT_TRUE(first.flush(&err));
    EXPECT_EQ(readfile("first.txt"), "record 1\nrecord 3\n");
    EXPECT_TRUE(first.close(&err) && third.close(&err));
    EXPECT_TRUE(full.close(&err));
}

TEST(RunFiles, AnAttachedDescriptorIsNeverEmptiedOrCutOrClosed) {
    scratchdir dir;
    writefile("shared.txt", "before\n");
    int fd = ::open("shared.txt", O_WRONLY | O_APPEND);
    ASSERT_GE(fd, 0);
    {
        runfile table;
        table.attach(fd, "the standard output");
        int err = 0;
        ASSERT_TRUE(table.start(&err));
        table.append("row\n");
        ASSERT_TRUE(table.flush(&err));
        EXPECT_EQ(table.name(), "the standard output");
        EXPECT_TRUE(table.close(&err));
    }
    EXPECT_EQ(readfile("shared.txt"), "before\nrow\n");
    EXPECT_EQ(::write(fd, "after\n", 6), 6); // still open
    ::close(fd);
    EXPECT_EQ(readfile("shared.txt"), "before\nrow\nafter\n");
}

TEST(RunFiles, AFifoWithoutReaderAndOtherSpecialFilesAreRefused) {
    scratchdir dir;
    ASSERT_EQ(mkfifo("pipe", 0600), 0);
    runfile f;
    int err = 0;
    EXPECT_FALSE(f.open("pipe", &err));
    EXPECT_EQ(err, ENXIO);
    EXPECT_TRUE(f.open("/dev/null", &err)) << err;
    EXPECT_TRUE(f.start(&err));
    f.append("nothing kept\n");
    EXPECT_TRUE(f.flush(&err));
    EXPECT_TRUE(f.close(&err));
}
