#pragma once

#include <string>

namespace sk {

// Writes `data` to a temporary file beside `path` and renames it over `path`, so readers see
// either the old content or the complete new one. Returns false and fills `error` on failure.
bool writeFileAtomically(const std::string& path, const std::string& data,
                         std::string* error = nullptr);

} // namespace sk
