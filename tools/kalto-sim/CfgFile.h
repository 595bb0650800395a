#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// The emulator's configuration file as a list of lines. Section and key names compare without
// regard to case or surrounding blanks, so the emulator's "key = value" lines and the
// front-end's "key =value" lines are both found; the first matching section and line win.
// Lines that are not set keep their bytes, line endings included.
class CfgFile final {
public:
    explicit CfgFile(std::string_view text);

    // The value of the key with surrounding blanks removed; nothing when the key is missing.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // Rewrites the key's line in the emulator's form "key = value". A missing key is added
    // after the last key of its section, a missing section at the end of the file.
    void set(std::string_view section, std::string_view key, std::string_view value);

    std::string text() const;

private:
    struct Line {
        std::string body;
        std::string end; // "\r\n", "\n", or empty for a last line without one
    };
    static constexpr size_t npos = static_cast<size_t>(-1);

    size_t findSection(std::string_view section) const;
    size_t findKey(size_t header, std::string_view key) const;
    void insertLine(size_t at, std::string body);

    std::vector<Line> m_lines;
    std::string m_newline; // what added lines end with: the file's first line ending
};

} // namespace sim
