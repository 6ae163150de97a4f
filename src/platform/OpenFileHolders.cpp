#include "platform/OpenFileHolders.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <string>

namespace touchlane {

namespace fs = std::filesystem;

std::vector<OpenFileHolder> processesHoldingOpen(const std::string& path) {
    std::vector<OpenFileHolder> holders;
    std::error_code error;
    const fs::path target = fs::weakly_canonical(path, error);
    for (fs::directory_iterator process("/proc", error), end; !error && process != end; process.increment(error)) {
        const std::string pid = process->path().filename().string();
        if (pid.empty() || !std::isdigit(static_cast<unsigned char>(pid[0]))) continue;
        // Processes of other users, and processes ending meanwhile, cannot be read.
        std::error_code unreadable;
        for (fs::directory_iterator fd(process->path() / "fd", unreadable); !unreadable && fd != end;
             fd.increment(unreadable)) {
            std::error_code gone;
            if (fs::read_symlink(fd->path(), gone) != target || gone) continue;
            OpenFileHolder holder{std::stoi(pid), {}};
            std::ifstream comm(process->path() / "comm");
            std::getline(comm, holder.name);
            holders.push_back(std::move(holder));
            break;
        }
    }
    return holders;
}

}  // namespace touchlane
