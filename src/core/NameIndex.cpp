#include "NameIndex.h"

#include <cstring>

quint32 NameIndex::hash(QStringView name) const {
    // FNV-1a over the UTF-16 units, folded to 32 bits. Without case, every unit is
    // folded as the comparison folds it; units of surrogate pairs are left out, since
    // pairs fold as a whole.
    quint64 h = 14695981039346656037ULL;
    if (m_cs == Qt::CaseSensitive) {
        for (const QChar c : name) {
            h ^= c.unicode();
            h *= 1099511628211ULL;
        }
    } else {
        for (const QChar c : name) {
            char16_t u = c.unicode();
            if (u < 0x80)
                u |= char16_t(char16_t(u - 'A') < 26) << 5; // A-Z to a-z
            else
                u = c.isSurrogate() ? char16_t(0xD800) : QChar::toCaseFolded(u);
            h ^= u;
            h *= 1099511628211ULL;
        }
    }
    // FNV's low bits, which pick the slot, are weak for names that differ only at the
    // end: mixed once more.
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    return quint32(h);
}

bool NameIndex::equalIgnoringCase(QStringView a, QStringView b) {
    if (a.size() != b.size())
        return false;
    const char16_t* pa = a.utf16();
    const char16_t* pb = b.utf16();
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = pa[i];
        char16_t y = pb[i];
        if (x == y)
            continue;
        if ((x | y) >= 0x80) // beyond ASCII: Qt's folding decides
            return a.sliced(i).compare(b.sliced(i), Qt::CaseInsensitive) == 0;
        x = (x >= 'A' && x <= 'Z') ? char16_t(x + 32) : x;
        y = (y >= 'A' && y <= 'Z') ? char16_t(y + 32) : y;
        if (x != y)
            return false;
    }
    return true;
}

bool NameIndex::same(QStringView a, QStringView b) const {
    if (a.size() != b.size())
        return false;
    if (m_cs == Qt::CaseSensitive)
        return std::memcmp(a.utf16(), b.utf16(), size_t(a.size()) * sizeof(char16_t)) == 0;
    return equalIgnoringCase(a, b);
}

void NameIndex::clear() {
    m_slots.clear();
    m_entries.clear();
}

void NameIndex::rehash(size_t capacity) {
    m_slots.assign(capacity, Slot{});
    const size_t mask = capacity - 1;
    for (qint32 e = 0; e < qint32(m_entries.size()); ++e) {
        const quint32 h = hash(m_entries[size_t(e)].name);
        size_t i = h & mask;
        while (m_slots[i].entry >= 0)
            i = (i + 1) & mask;
        m_slots[i] = {h, e};
    }
}

void NameIndex::reserve(qsizetype count) {
    m_entries.reserve(size_t(count));
    size_t capacity = 16;
    while (capacity < size_t(count) * 2)
        capacity *= 2;
    if (capacity > m_slots.size())
        rehash(capacity);
}

const NameIndex::Slot& NameIndex::slotFor(QStringView name, quint32 h) const {
    const size_t mask = m_slots.size() - 1;
    for (size_t i = h & mask;; i = (i + 1) & mask) {
        const Slot& slot = m_slots[i];
        if (slot.entry < 0 || (slot.hash == h && same(m_entries[size_t(slot.entry)].name, name)))
            return slot;
    }
}

bool NameIndex::insert(QStringView name, qint32 value) {
    // At most half full: probes stay short.
    if ((m_entries.size() + 1) * 2 > m_slots.size())
        rehash(std::max<size_t>(16, m_slots.size() * 2));
    const quint32 h = hash(name);
    Slot& slot = const_cast<Slot&>(slotFor(name, h));
    if (slot.entry >= 0)
        return false;
    slot = {h, qint32(m_entries.size())};
    m_entries.push_back({name, value});
    return true;
}

void NameIndex::set(QStringView name, qint32 value) {
    if (insert(name, value))
        return;
    Entry& entry = m_entries[size_t(slotFor(name, hash(name)).entry)];
    // The entry points at the text the caller gave last, which it keeps alive.
    entry.name = name;
    entry.value = value;
}

qint32 NameIndex::value(QStringView name) const {
    if (m_slots.empty())
        return kMissing;
    const Slot& slot = slotFor(name, hash(name));
    return slot.entry < 0 ? kMissing : m_entries[size_t(slot.entry)].value;
}
