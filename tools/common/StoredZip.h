#pragma once

#include <string>
#include <vector>

namespace sk {

struct ZipEntry {
    std::string name; // path inside the archive, '/' separated, UTF-8
    std::string data;
};

// Writes a zip archive (through libzip) whose entries are stored uncompressed, in the given
// order, with a fixed timestamp so the same entries always give the same bytes. The archive is
// written under a temporary name and renamed into place, so a reader never sees half an archive.
// Returns false and fills `error` when an entry name is empty, absolute, holds '\' or repeats
// another, or when the archive cannot be written.
bool writeStoredZip(const std::string& path, const std::vector<ZipEntry>& entries,
                    std::string* error = nullptr);

// The archive bytes themselves, for callers that keep them in memory.
bool buildStoredZip(const std::vector<ZipEntry>& entries, std::string& out,
                    std::string* error = nullptr);

} // namespace sk
