#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "table_loader_rig.h"

namespace ts {
namespace {

// What only Linux has to offer: a pipe, a file the mode bits forbid, an endless device.
TEST_F(TableLoaderTest, SpecialFilesGiveTheMessageAndNeverHang) {
    const std::string fifo = folder / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    st().measurement().Tables().SetPath(3 + 1,
                                        fifo);  // opening it for reading would wait for a writer
    const std::string locked = Write("locked.txt", "0 0\r\n1023 100\r\n");
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    const bool rootReadsAnyway = ::access(locked.c_str(), R_OK) == 0;
    st().measurement().Tables().SetPath(4 + 1, locked);
    st().measurement().Tables().SetPath(5 + 1, "/dev/zero");
    for (int channel = 4; channel <= 6; ++channel) st().measurement().Tables().Load(channel);

    std::vector<std::string> expected;
    for (int channel = 4; channel <= 6; ++channel) {
        if (channel == 5 && rootReadsAnyway) continue;
        expected.push_back(Message(channel));
    }
    EXPECT_EQ(ui.Texts(), expected);
    for (int channel = 4; channel <= 6; ++channel) {
        if (channel == 5 && rootReadsAnyway) continue;
        EXPECT_EQ(Table(channel).PointCount, 0);
        EXPECT_EQ(Caption(channel), kColorRed);
    }
}

}  // namespace
}  // namespace ts
