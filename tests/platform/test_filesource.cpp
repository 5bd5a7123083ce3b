// Opening files for the readers: regular files only, and never a wait on a FIFO.
#include "platform/filesource.h"
#include "support/samples.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace dsc;

TEST(FileSource, RegularFilesOnly) {
    test::TempDir dir;
    test::writeFile(dir / "plan.dwg", {1, 2, 3, 4});
    ASSERT_EQ(::mkfifo((dir / "fifo.dwg").c_str(), 0600), 0);
    std::filesystem::create_directory(dir / "folder.dwg");
    platform::FileSource src;
    for (const auto& refused :
         {dir / "fifo.dwg", dir / "folder.dwg", dir / "missing.dwg", std::filesystem::path("/dev/null")}) {
        EXPECT_FALSE(src.open(refused)) << refused;
        EXPECT_FALSE(src.isOpen());
    }
    ASSERT_TRUE(src.open(dir / "plan.dwg"));
    EXPECT_EQ(src.size(), 4u);
    std::uint8_t two[2];
    ASSERT_TRUE(src.readAt(2, two));
    EXPECT_EQ(two[0], 3);
    EXPECT_EQ(two[1], 4);
    EXPECT_FALSE(src.readAt(3, two)); // past the end
    // The file shrinks after it was opened: a read that comes short fails rather than inventing bytes.
    ASSERT_EQ(::truncate((dir / "plan.dwg").c_str(), 1), 0);
    EXPECT_FALSE(src.readAt(2, two));
}

TEST(FileSource, AFifoSwappedInUnderTheNameNeverBlocks) {
    // Another program keeps swapping a FIFO and a regular file under one name while files are
    // opened by that name: whatever is there at the moment of the open, the open returns at once.
    test::TempDir dir;
    const auto name = dir / "plan.dwg";
    const auto fifo = dir / "fifo";
    const auto file = dir / "file";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    test::writeFile(file, {'A', 'C'});
    std::atomic<bool> stop{false};
    std::thread swapper([&] {
        std::filesystem::path spare[2] = {fifo, file};
        for (int i = 0; !stop; ++i) {
            // Put one of them in place; the other waits beside it.
            ::rename(spare[i % 2].c_str(), name.c_str());
            ::rename(name.c_str(), spare[i % 2].c_str());
        }
    });
    std::atomic<bool> done{false};
    int opened = 0;
    std::thread reader([&] {
        for (int i = 0; i < 20000; ++i) {
            platform::FileSource src;
            opened += src.open(name) ? 1 : 0;
        }
        done = true;
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const bool blocked = !done;
    stop = true;
    swapper.join();
    if (blocked) {
        // Release the reader that waits for a writer, so the test can end and say so.
        while (!done) {
            for (const auto& p : {name, fifo}) {
                const int w = ::open(p.c_str(), O_WRONLY | O_NONBLOCK);
                if (w >= 0) {
                    ::close(w);
                }
            }
        }
    }
    reader.join();
    EXPECT_FALSE(blocked) << "an open waited on a FIFO";
    RecordProperty("opened", opened);
}
