#include "GameSearch.h"

#include "core/Text.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace {

constexpr int kMaxYearDigits = 9; // any more would not fit an int

// A whole number typed as an end of a year range, or -1.
int rangeEnd(QStringView text) {
    if (text.isEmpty() || text.size() > kMaxYearDigits)
        return -1;
    int number = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return -1;
        number = number * 10 + (c.unicode() - u'0');
    }
    return number;
}

// The years a game's year text can stand for: "198?" is 1980 to 1989. False when it is
// no year at all (empty, or with letters).
bool yearSpan(QStringView year, int& low, int& high) {
    if (year.isEmpty() || year.size() > kMaxYearDigits)
        return false;
    low = high = 0;
    for (const QChar c : year) {
        if (c == u'?') {
            low = low * 10;
            high = high * 10 + 9;
        } else if (c >= u'0' && c <= u'9') {
            low = low * 10 + (c.unicode() - u'0');
            high = high * 10 + (c.unicode() - u'0');
        } else {
            return false;
        }
    }
    return true;
}

bool yearMatches(const GameSearch::Term& term, QStringView year) {
    if (term.range) {
        int low = 0;
        int high = 0;
        return yearSpan(year, low, high) && term.from <= low && high <= term.to;
    }
    const QStringView pattern = term.text;
    if (year.size() < pattern.size())
        return false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != u'?' && pattern[i] != year[i])
            return false;
    }
    return true;
}

GameSearch::Term yearTerm(QStringView value) {
    GameSearch::Term term;
    term.field = GameSearch::Field::Year;
    const qsizetype dash = value.indexOf(u'-');
    if (dash < 0) {
        term.text = value.toString();
        return term;
    }
    term.range = true;
    const QStringView first = value.first(dash).trimmed();
    const QStringView last = value.sliced(dash + 1).trimmed();
    term.from = first.isEmpty() ? 0 : rangeEnd(first);
    term.to = last.isEmpty() ? std::numeric_limits<int>::max() : rangeEnd(last);
    if (term.from >= 0 && term.to >= 0 && term.from > term.to)
        std::swap(term.from, term.to);
    if (term.from < 0 || term.to < 0) {
        // Not a range of numbers: no year lies within it.
        term.from = 1;
        term.to = 0;
    }
    return term;
}

// Whether the plain ASCII text holds the folded term, the ASCII letters compared
// without case: what contains() with Qt::CaseInsensitive gives there, without folding
// every character of forty thousand games by the Unicode tables.
bool containsPlain(QStringView text, QStringView term) {
    const qsizetype n = term.size();
    if (n == 0)
        return true;
    if (text.size() < n)
        return false;
    const char16_t* t = text.utf16();
    const char16_t* p = term.utf16();
    // A unit of the text matches a lower-case letter of the term when it is that letter
    // in either case; any other unit only when it is the same.
    const auto same = [](char16_t textUnit, char16_t termUnit) {
        const bool letter = termUnit >= u'a' && termUnit <= u'z';
        return (letter ? char16_t(textUnit | 0x20) : textUnit) == termUnit;
    };
    const qsizetype last = text.size() - n;
    for (qsizetype i = 0; i <= last; ++i) {
        if (!same(t[i], p[0]))
            continue;
        qsizetype k = 1;
        while (k < n && same(t[i + k], p[k]))
            ++k;
        if (k == n)
            return true;
    }
    return false;
}

} // namespace

GameSearch::GameSearch(QStringView text) {
    static constexpr std::pair<QStringView, Field> kKeys[] = {
        {u"maker:", Field::Maker},
        {u"year:", Field::Year},
    };
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        if (text[i].isSpace()) {
            ++i;
            continue;
        }
        Field field = Field::Any;
        for (const auto& [key, keyField] : kKeys) {
            if (text.sliced(i).startsWith(key, Qt::CaseInsensitive)) {
                field = keyField;
                i += key.size();
                break;
            }
        }
        QStringView value;
        if (i < n && text[i] == u'"') {
            const qsizetype close = text.indexOf(u'"', i + 1);
            const qsizetype end = close < 0 ? n : close;
            value = text.sliced(i + 1, end - i - 1);
            i = close < 0 ? n : close + 1;
        } else {
            const qsizetype start = i;
            while (i < n && !text[i].isSpace() && text[i] != u'"')
                ++i;
            value = text.sliced(start, i - start);
        }
        if (field == Field::Year)
            value = value.trimmed();
        if (value.isEmpty())
            continue;
        if (field == Field::Year) {
            m_terms.push_back(yearTerm(value));
        } else {
            Term term;
            term.field = field;
            term.text = searchFolded(value);
            m_terms.push_back(std::move(term));
        }
    }
}

bool GameSearch::isPlain(QStringView text) {
    return isPlainAscii(text);
}

bool GameSearch::matches(const Fields& game) const {
    // Folded texts are lower case already; plain ones leave only the ASCII letters'
    // case to ignore.
    const auto holds = [folded = game.folded](QStringView text, QStringView term) {
        return folded ? text.contains(term) : containsPlain(text, term);
    };
    for (const Term& term : m_terms) {
        switch (term.field) {
        case Field::Any:
            if (!holds(game.title, term.text) && !holds(game.zip, term.text) &&
                !holds(game.maker, term.text) && !holds(game.year, term.text))
                return false;
            break;
        case Field::Maker:
            if (!holds(game.maker, term.text))
                return false;
            break;
        case Field::Year:
            if (!yearMatches(term, game.year))
                return false;
            break;
        }
    }
    return true;
}

GameSearch::Folded::Folded(QStringView title, QStringView zip, QStringView maker,
                           QStringView year) {
    const QStringView parts[4] = {title, zip, maker, year};
    for (int k = 0; k < 4; ++k) {
        m_text += searchFolded(parts[k]);
        m_ends[k] = m_text.size();
    }
}

GameSearch::Fields GameSearch::Folded::fields() const {
    const QStringView all = m_text;
    return {all.first(m_ends[0]), all.sliced(m_ends[0], m_ends[1] - m_ends[0]),
            all.sliced(m_ends[1], m_ends[2] - m_ends[1]),
            all.sliced(m_ends[2], m_ends[3] - m_ends[2]), true};
}
