#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace touchlane {

// Files that must never be seen half-written: a crash or power cut at any moment
// leaves either the old contents or the new ones.

struct FileReadResult {
    std::optional<std::string> contents;  // none when the file could not be read
    int errorNumber = 0;                  // errno of the failure; ENOENT when missing
};
// Reads a regular file (a link to one included) whole. Anything else (a FIFO, a
// device, a folder) fails with EINVAL without waiting for a writer, and so does a
// file larger than maxBytes, with EFBIG.
FileReadResult readWholeFile(const std::string& path, size_t maxBytes = SIZE_MAX);

// Writes a temporary file in the same folder, flushes it to disk, renames it over
// `path` and flushes the folder. On failure `path` is untouched and `error` says why.
bool replaceFileAtomically(const std::string& path, std::string_view contents, std::string& error);

// Puts a copy of the file at `path` beside it under `copyPath`, or under
// `copyPath` + ".2", ".3"... when earlier copies exist (they are kept), so that the
// original survives a later replacement. A file that cannot be read (not a regular
// file, no permission) is moved there instead. Returns the copy's path, none when
// neither worked (`error` says why); a missing file needs no copy and gives "".
std::optional<std::string> keepFileAside(const std::string& path, const std::string& copyPath, std::string& error);

// Removes the temporary files that a writer killed mid-write left behind.
void removeStaleTemporaryFiles(const std::string& path);

}  // namespace touchlane
