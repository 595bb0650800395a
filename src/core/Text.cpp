#include "Text.h"

#include <algorithm>

QString searchFolded(QStringView text) {
    const bool plain =
        std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (plain) {
        QString folded = text.toString();
        for (QChar& c : folded) {
            if (c.unicode() >= 'A' && c.unicode() <= 'Z')
                c = QChar(c.unicode() + 32);
        }
        return folded;
    }
    // Decomposed, the accents are marks of their own, which are left out.
    const QString decomposed = text.toString().normalized(QString::NormalizationForm_KD);
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            folded += c;
    }
    return folded.toCaseFolded();
}

int compareAsciiNoCase(QStringView a, QStringView b) {
    const qsizetype n = std::min(a.size(), b.size());
    const char16_t* pa = a.utf16();
    const char16_t* pb = b.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        if (pa[i] == pb[i])
            continue;
        const char16_t ca = upperAscii(pa[i]);
        const char16_t cb = upperAscii(pb[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}
