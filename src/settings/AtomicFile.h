#pragma once

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
FileReadResult readWholeFile(const std::string& path);

// Writes a temporary file in the same folder, flushes it to disk, renames it over
// `path` and flushes the folder. On failure `path` is untouched and `error` says why.
bool replaceFileAtomically(const std::string& path, std::string_view contents, std::string& error);

// Puts a copy of the file at `path` beside it under `copyPath` (replacing an older
// copy) so that the original survives a later replacement. A file that cannot be
// read is moved there instead. False when neither worked; ENOENT counts as done.
bool keepFileAside(const std::string& path, const std::string& copyPath, std::string& error);

// Removes the temporary files that a writer killed mid-write left behind.
void removeStaleTemporaryFiles(const std::string& path);

}  // namespace touchlane
