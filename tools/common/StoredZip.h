#pragma once

#include <string>
#include <vector>

namespace sk {

struct ZipEntry {
    std::string name; // path inside the archive, '/' separated
    std::string data;
};

// Writes a zip archive whose entries are stored uncompressed. The file is written under a
// temporary name and renamed into place, so a reader never sees half an archive. Returns false
// and fills `error` when the archive cannot be written or cannot be represented without zip64.
bool writeStoredZip(const std::string& path, const std::vector<ZipEntry>& entries,
                    std::string* error = nullptr);

// The archive bytes themselves, for callers that keep them in memory.
bool buildStoredZip(const std::vector<ZipEntry>& entries, std::string& out,
                    std::string* error = nullptr);

} // namespace sk
