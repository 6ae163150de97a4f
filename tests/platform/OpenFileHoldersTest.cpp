#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/OpenFileHolders.h"
#include "platform/ProcessInfo.h"
#include "support/SettingsSandbox.h"

namespace touchlane {
namespace {

TEST(OpenFileHolders, FindsThisProcessOnlyWhileItHasTheFileOpenAlsoThroughAnotherName) {
    ScratchFolder folder;
    const std::filesystem::path file = std::filesystem::path(folder.path()) / "node", link = file.parent_path() / "link";
    std::ofstream(file) << "x";
    std::filesystem::create_symlink(file, link);

    EXPECT_TRUE(processesHoldingOpen(file.string()).empty());
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const std::vector<OpenFileHolder> me{{ProcessInfo::processId(), ProcessInfo::processName().substr(0, 15)}};
    EXPECT_EQ(processesHoldingOpen(file.string()), me);
    EXPECT_EQ(processesHoldingOpen(link.string()), me);
    ::close(fd);
    EXPECT_TRUE(processesHoldingOpen(file.string()).empty());
}

}  // namespace
}  // namespace touchlane
