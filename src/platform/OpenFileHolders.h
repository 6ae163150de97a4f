#pragma once

#include <string>
#include <vector>

namespace touchlane {

// A process that has a file open.
struct OpenFileHolder {
    int processId = 0;
    std::string name;  // the executable's name as the kernel keeps it (15 characters at most)
    friend bool operator==(const OpenFileHolder&, const OpenFileHolder&) = default;
};

// The processes, this one included, with the file open, as far as /proc lets
// this user see: a user sees their own processes, root sees all.
std::vector<OpenFileHolder> processesHoldingOpen(const std::string& path);

}  // namespace touchlane
