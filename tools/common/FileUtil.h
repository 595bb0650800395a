#pragma once

#include <string>

namespace sk {

// Writes `data` to a temporary file beside `path` and renames it over `path`, so readers see
// either the old content or the complete new one. Returns false and fills `error` on failure.
bool writeFileAtomically(const std::string& path, const std::string& data,
                         std::string* error = nullptr);

enum class CreateResult { Created, Exists, Failed };

// Writes `data` to a temporary file beside `path` and links it in as `path`, so the file
// appears complete or not at all, and a file that exists at `path` (a dangling symbolic link
// included) is never replaced: that gives Exists. Failed fills `error`.
CreateResult createFileExclusively(const std::string& path, const std::string& data,
                                   std::string* error = nullptr);

// Copies an executable to `target` (mode 0755) under a temporary name first, so a copy
// that may still be running is replaced, not overwritten in place.
bool installExecutable(const std::string& source, const std::string& target,
                       std::string* error = nullptr);

} // namespace sk
