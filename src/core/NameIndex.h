#pragma once

#include <QStringView>
#include <vector>

// A map from names to small integers for lookups by the ten thousand: open addressing
// over a compact array of hashes, so that a lookup touches a name's text only when its
// hash matches, and the array stays small enough for the processor's caches. The names
// are views: the caller keeps their text alive and unchanged while the index uses it.
// Names compare exactly, or without regard to case as Qt compares them.
class NameIndex final {
public:
    static constexpr qint32 kMissing = -1;

    explicit NameIndex(Qt::CaseSensitivity cs = Qt::CaseSensitive) : m_cs(cs) {}

    void clear();
    void reserve(qsizetype count);
    qsizetype size() const { return qsizetype(m_entries.size()); }

    // Adds the name unless it is there already; returns whether it was added.
    bool insert(QStringView name, qint32 value);
    // Adds the name or gives it a new value; kMissing makes it absent again.
    void set(QStringView name, qint32 value);
    qint32 value(QStringView name) const;
    // Adds each name of other (compared the same way) that is not here yet, with its
    // value raised by offset, without hashing it again; the names' text must stay alive
    // as for insert(). Returns whether every one of them was added.
    bool insertAll(const NameIndex& other, qint32 offset);

    quint32 hash(QStringView name) const;

    // Whether a and b are equal without regard to case, as Qt compares them; quick for
    // plain ASCII text.
    static bool equalIgnoringCase(QStringView a, QStringView b);

private:
    struct Slot {
        quint32 hash = 0;
        qint32 entry = -1; // -1: an empty slot
    };
    struct Entry {
        QStringView name;
        qint32 value;
    };

    // The slot that holds the name, or the empty slot where it belongs.
    const Slot& slotFor(QStringView name, quint32 hash) const;
    bool same(QStringView a, QStringView b) const;
    void rehash(size_t capacity);

    std::vector<Slot> m_slots;
    std::vector<Entry> m_entries;
    Qt::CaseSensitivity m_cs;
};
