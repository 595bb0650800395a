#pragma once

#include <QString>
#include <QStringView>
#include <vector>

// What is typed into the list's search field, parsed once per keystroke into terms that
// every game is then matched against without allocating. A game is shown when it
// matches every term:
//
//   word             its title, zip name, maker or year holds the word
//   "two words"      the same, with the blank (a quote left open runs to the end)
//   maker:sega       its maker holds the text (maker:"data east" too)
//   year:1987        its year starts so; "?" stands for any one character (year:198?)
//   year:1980-1989   its year lies within the range, both ends included; an end left
//                    out is open, and a year with "?" in it must lie wholly within
//
// Letters compare without case and accents, as searchFolded() folds them. A key with
// nothing after it ("maker:", while it is being typed) narrows nothing; any other
// word with a colon is a plain word.
class GameSearch {
public:
    enum class Field { Any, Maker, Year };
    struct Term {
        Field field = Field::Any;
        QString text; // folded; for a year, the pattern as typed
        bool range = false;
        int from = 0; // a year range, ends included
        int to = 0;
        bool operator==(const Term&) const = default;
    };

    // One game's texts as the search reads them: either as they are stored, when all
    // of them are plain ASCII (compared without case of the ASCII letters), or each
    // folded by searchFolded().
    struct Fields {
        QStringView title;
        QStringView zip;
        QStringView maker;
        QStringView year;
        bool folded = false;
    };

    // A game's texts folded once, for games whose texts are not all plain ASCII.
    class Folded {
    public:
        Folded(QStringView title, QStringView zip, QStringView maker, QStringView year);
        Fields fields() const;

    private:
        QString m_text; // the four one after another
        qsizetype m_ends[4] = {};
    };

    GameSearch() = default;
    explicit GameSearch(QStringView text);

    bool isEmpty() const { return m_terms.empty(); }
    const std::vector<Term>& terms() const { return m_terms; }
    bool matches(const Fields& game) const;
    // Whether the texts need folding before a search can read them.
    static bool isPlain(QStringView text);

    bool operator==(const GameSearch&) const = default;

private:
    std::vector<Term> m_terms;
};
