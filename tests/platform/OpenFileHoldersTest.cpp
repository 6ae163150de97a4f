#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/OpenFileHolders.h"
#include "platform/ProcessInfo.h"

namespace touchlane {
namespace {

TEST(OpenFileHolders, FindsThisProcessOnlyWhileItHasTheFileOpenAlsoThroughAnotherName) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("touchlane-holders-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const fs::path file = folder / "node";
    std::ofstream(file) << "x";
    fs::create_symlink(file, folder / "link");

    EXPECT_TRUE(processesHoldingOpen(file.string()).empty());
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const OpenFileHolder me{ProcessInfo::processId(), ProcessInfo::processName().substr(0, 15)};
    EXPECT_EQ(processesHoldingOpen(file.string()), std::vector<OpenFileHolder>{me});
    EXPECT_EQ(processesHoldingOpen((folder / "link").string()), std::vector<OpenFileHolder>{me});
    ::close(fd);
    EXPECT_TRUE(processesHoldingOpen(file.string()).empty());
    fs::remove_all(folder);
}

}  // namespace
}  // namespace touchlane
