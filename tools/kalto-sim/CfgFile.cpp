#include "CfgFile.h"

#include <cctype>

namespace sim {

namespace {

std::string_view trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The name of a "[section]" line.
std::optional<std::string_view> sectionName(std::string_view body) {
    const std::string_view t = trimmed(body);
    if (t.empty() || t.front() != '[')
        return std::nullopt;
    const auto close = t.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return trimmed(t.substr(1, close - 1));
}

bool isComment(std::string_view body) {
    const std::string_view t = trimmed(body);
    return !t.empty() && t.front() == ';';
}

// The key of a "key = value" line, and where its "=" is.
std::optional<std::string_view> keyName(std::string_view body, size_t* equals = nullptr) {
    if (isComment(body) || sectionName(body))
        return std::nullopt;
    const auto eq = body.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    if (equals)
        *equals = eq;
    return trimmed(body.substr(0, eq));
}

} // namespace

CfgFile::CfgFile(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size()) {
        const auto nl = text.find('\n', pos);
        Line line;
        if (nl == std::string_view::npos) {
            line.body = text.substr(pos);
            pos = text.size();
        } else {
            const bool cr = nl > pos && text[nl - 1] == '\r';
            line.body = text.substr(pos, nl - pos - (cr ? 1 : 0));
            line.end = cr ? "\r\n" : "\n";
            pos = nl + 1;
        }
        if (m_newline.empty())
            m_newline = line.end;
        m_lines.push_back(std::move(line));
    }
    // The emulator writes CR LF.
    if (m_newline.empty())
        m_newline = "\r\n";
}

size_t CfgFile::findSection(std::string_view section) const {
    for (size_t i = 0; i < m_lines.size(); ++i) {
        const auto name = sectionName(m_lines[i].body);
        if (name && sameName(*name, section))
            return i;
    }
    return npos;
}

size_t CfgFile::findKey(size_t header, std::string_view key) const {
    for (size_t i = header + 1; i < m_lines.size() && !sectionName(m_lines[i].body); ++i) {
        const auto name = keyName(m_lines[i].body);
        if (name && sameName(*name, key))
            return i;
    }
    return npos;
}

std::optional<std::string> CfgFile::value(std::string_view section, std::string_view key) const {
    const size_t header = findSection(section);
    const size_t line = header == npos ? npos : findKey(header, key);
    if (line == npos)
        return std::nullopt;
    const std::string_view body = m_lines[line].body;
    size_t eq = 0;
    keyName(body, &eq);
    return std::string(trimmed(body.substr(eq + 1)));
}

void CfgFile::insertLine(size_t at, std::string body) {
    // A last line without a line ending gets one before anything follows it.
    if (at > 0 && m_lines[at - 1].end.empty())
        m_lines[at - 1].end = m_newline;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at),
                   Line{std::move(body), m_newline});
}

void CfgFile::set(std::string_view section, std::string_view key, std::string_view value) {
    std::string body = std::string(key) + " = " + std::string(value);
    size_t header = findSection(section);
    if (header == npos) {
        if (!m_lines.empty() && !trimmed(m_lines.back().body).empty())
            insertLine(m_lines.size(), {});
        // Built by appending: "[" + std::string(...) trips a false -Wrestrict in GCC 12's
        // optimised string concatenation.
        std::string title = "[";
        title.append(section).append("]");
        insertLine(m_lines.size(), std::move(title));
        insertLine(m_lines.size(), std::move(body));
        return;
    }
    const size_t line = findKey(header, key);
    if (line != npos) {
        m_lines[line].body = std::move(body);
        return;
    }
    // After the section's last key, so the blank line and comments before the next section
    // stay where they are.
    size_t after = header;
    for (size_t i = header + 1; i < m_lines.size() && !sectionName(m_lines[i].body); ++i)
        if (keyName(m_lines[i].body))
            after = i;
    insertLine(after + 1, std::move(body));
}

std::string CfgFile::text() const {
    std::string out;
    for (const Line& line : m_lines)
        out += line.body + line.end;
    return out;
}

} // namespace sim
