#include "settings/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include <fmt/format.h>

#include "platform/FileDescriptorWrite.h"

namespace touchlane {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kTemporaryInfix = ".tmp-";
constexpr size_t kTemporarySuffixLength = 6;  // mkstemp's XXXXXX

std::string temporaryPrefix(const fs::path& target) { return "." + target.filename().string() + std::string(kTemporaryInfix); }

std::string describeErrno(const char* step, int errorNumber) {
    return fmt::format("{}: {}", step, std::generic_category().message(errorNumber));
}

// Makes a rename durable: without it a power cut can bring back the old name.
void syncFolder(const fs::path& folder) {
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // some file systems refuse folder syncs; the rename itself has happened
    ::close(fd);
}

}  // namespace

FileReadResult readWholeFile(const std::string& path, size_t maxBytes) {
    FileReadResult result;
    // Non-blocking: opening a FIFO must not wait for a writer that never comes.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        result.errorNumber = errno;
        return result;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || static_cast<uint64_t>(info.st_size) > maxBytes) {
        result.errorNumber = !S_ISREG(info.st_mode) ? EINVAL : EFBIG;
        ::close(fd);
        return result;
    }
    std::string contents;
    char buffer[16384];
    for (;;) {
        ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) {
            result.errorNumber = errno;
            ::close(fd);
            return result;
        }
        if (count == 0) break;
        contents.append(buffer, static_cast<size_t>(count));
        if (contents.size() > maxBytes) {  // grew while being read
            result.errorNumber = EFBIG;
            ::close(fd);
            return result;
        }
    }
    ::close(fd);
    result.contents = std::move(contents);
    return result;
}

bool replaceFileAtomically(const std::string& path, std::string_view contents, std::string& error) {
    fs::path target(path);
    std::string name = (target.parent_path() / temporaryPrefix(target)).string() + "XXXXXX";
    int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        error = describeErrno("create temporary file", errno);
        return false;
    }
    auto fail = [&](const char* step, bool open) {
        int errorNumber = errno;
        if (open) ::close(fd);
        ::unlink(name.c_str());
        error = describeErrno(step, errorNumber);
        return false;
    };
    if (!writeAll(fd, contents)) return fail("write", true);
    if (::fsync(fd) != 0) return fail("flush", true);
    if (::close(fd) != 0) return fail("close", false);
    if (::rename(name.c_str(), path.c_str()) != 0) return fail("rename", false);
    syncFolder(target.parent_path());
    return true;
}

std::optional<std::string> keepFileAside(const std::string& path, const std::string& copyPath, std::string& error) {
    // Earlier copies may hold settings the user still wants: each copy gets a name
    // of its own.
    constexpr int kMaximumCopies = 1000;
    auto freeName = [&](int& number) -> std::optional<std::string> {
        for (; number <= kMaximumCopies; ++number) {
            std::string candidate = number == 1 ? copyPath : fmt::format("{}.{}", copyPath, number);
            struct stat info {};
            if (::lstat(candidate.c_str(), &info) != 0 && errno == ENOENT) return candidate;
        }
        return std::nullopt;
    };
    int number = 1;
    FileReadResult original = readWholeFile(path);
    if (!original.contents && original.errorNumber == ENOENT) return std::string();
    for (auto target = freeName(number); target; target = freeName(++number)) {
        if (original.contents) {
            if (!replaceFileAtomically(*target, *original.contents, error)) return std::nullopt;
            return target;
        }
        // Unreadable (not a regular file, no permission): moved out of the way whole.
        if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, target->c_str(), RENAME_NOREPLACE) == 0) {
            syncFolder(fs::path(path).parent_path());
            return target;
        }
        if (errno != EEXIST) {
            error = describeErrno("move aside", errno);
            return std::nullopt;
        }
    }
    error = fmt::format("{} earlier copies are in the way", kMaximumCopies);
    return std::nullopt;
}

void removeStaleTemporaryFiles(const std::string& path) {
    fs::path target(path);
    std::string prefix = temporaryPrefix(target);
    std::error_code error;
    for (fs::directory_iterator it(target.parent_path(), error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        if (name.size() == prefix.size() + kTemporarySuffixLength && name.starts_with(prefix)) {
            std::error_code ignored;
            fs::remove(it->path(), ignored);
        }
    }
}

}  // namespace touchlane
