#pragma once

#include <QString>

// The text without the characters up to the blank (blanks, tabs, control characters)
// at either end, as the emulator's own files are trimmed.
inline QString trimmedValue(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 32)
        --end;
    return text.mid(begin, end - begin).toString();
}

// Whether every character is plain ASCII. Every unit is looked at, without an early
// exit: the compiler makes a few wide operations of it.
inline bool isPlainAscii(QStringView text) {
    const char16_t* units = text.utf16();
    char16_t all = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        all |= units[i];
    return all < 0x80;
}

inline char16_t upperAscii(char16_t c) {
    return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
}

// Compares two texts with only the ASCII letters taken without case, everything else by
// character code; on equal common parts the shorter is smaller. Negative, 0 or positive.
int compareAsciiNoCase(QStringView a, QStringView b);

// The text as searches compare it: letters without case and without accents ("Café"
// and "CAFE" alike).
QString searchFolded(QStringView text);
