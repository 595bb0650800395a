#include "core/NameIndex.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestNameIndex : public QObject {
    Q_OBJECT

private slots:
    // Names that compare equal without case are found under each other's spelling,
    // whatever their length and wherever letters beyond ASCII stand among them; names
    // that differ are told apart, the characters next to the letters included.
    void findsNamesWithoutRegardToCase_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<bool>("found");
        const auto row = [](const char* name, const QString& stored, const QString& asked,
                            bool found) { QTest::newRow(name) << stored << asked << found; };
        row("ascii", u"StartKALTO"_s, u"startkalto"_s, true);
        row("short tail", u"aBc"_s, u"AbC"_s, true);
        row("four", u"ABCD"_s, u"abcd"_s, true);
        row("neighbours of the letters", u"@[`{"_s, u"`{@["_s, false);
        row("at and backquote", u"a@"_s, u"a`"_s, false);
        row("brackets and braces", u"x[y]"_s, u"x{y}"_s, false);
        row("beyond ascii in a word", u"Caf\u00c9 X"_s, u"caf\u00e9 x"_s, true);
        row("kelvin sign and k", u"\u212Aalto"_s, u"kALTO"_s, true);
        row("surrogate pair", u"a\U0001F600bcde"_s, u"A\U0001F600BCDE"_s, true);
        row("one letter differs late", u"abcdefghi"_s, u"abcdefghj"_s, false);
        row("longer", u"abc"_s, u"abcd"_s, false);
    }
    void findsNamesWithoutRegardToCase() {
        QFETCH(QString, stored);
        QFETCH(QString, asked);
        QFETCH(bool, found);
        NameIndex index(Qt::CaseInsensitive);
        QVERIFY(index.insert(stored, 7));
        QCOMPARE(index.value(asked) == 7, found);
        QCOMPARE(NameIndex::equalIgnoringCase(stored, asked), found);
        NameIndex exact;
        exact.insert(stored, 7);
        QCOMPARE(exact.value(asked) == 7, stored == asked);
    }

    // Many names against their spellings in other cases: every name is found as the
    // comparison says, the first stored wins, and growing keeps them all.
    void manyNamesInOtherCases() {
        const QString letters = QStringLiteral("aAzZ@[`{0_ \u00e9\u00c9\u212Ak");
        QRandomGenerator random(20261207);
        QStringList names;
        for (int i = 0; i < 3000; ++i) {
            QString name;
            const int n = 1 + random.bounded(9);
            for (int k = 0; k < n; ++k)
                name += letters[random.bounded(int(letters.size()))];
            names.append(name);
        }
        NameIndex index(Qt::CaseInsensitive);
        for (qsizetype i = 0; i < names.size(); ++i)
            index.insert(names[i], qint32(i));
        for (qsizetype i = 0; i < names.size(); ++i) {
            const QString other = random.bounded(2) ? names[i].toUpper() : names[i].toLower();
            const qint32 hit = index.value(other);
            QVERIFY2(hit != NameIndex::kMissing, qPrintable(other));
            QVERIFY(NameIndex::equalIgnoringCase(names[hit], other));
            QVERIFY(hit <= i); // the first of the names alike
        }
    }
};

QTEST_MAIN(TestNameIndex)
#include "tst_nameindex.moc"
