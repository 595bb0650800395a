#include "NameIndex.h"

#include <QtEndian>
#include <cstring>

namespace {

// Four UTF-16 units of plain ASCII at once with the letters A-Z made lower case: a
// unit's 0x80 bit is set by adding when it lies at or above "A", and by a second sum
// when it lies above "Z"; where only the first is set, the unit is a capital letter.
inline quint64 lowerAsciiUnits(quint64 units) {
    constexpr quint64 kHigh = 0x0080008000800080ULL;
    const quint64 atLeastA = units + 0x003F003F003F003FULL;
    const quint64 aboveZ = units + 0x0025002500250025ULL;
    const quint64 capital = atLeastA & ~aboveZ & kHigh;
    return units | (capital >> 2);
}

inline quint64 mixWord(quint64 h, quint64 word) {
    h = (h ^ word) * 0xFF51AFD7ED558CCDULL;
    return h ^ (h >> 32);
}

} // namespace

quint32 NameIndex::hash(QStringView name) const {
    // Four units at a time, each as the comparison sees it: without case, folded as the
    // comparison folds it (plain ASCII by a few operations for all four); units of
    // surrogate pairs are left out, since pairs fold as a whole.
    const char16_t* units = name.utf16();
    const qsizetype n = name.size();
    quint64 h = 0x9E3779B97F4A7C15ULL ^ quint64(n);
    const auto foldUnit = [this](char16_t u) -> quint64 {
        if (m_cs == Qt::CaseSensitive)
            return u;
        if (u < 0x80)
            return u | (char16_t(char16_t(u - 'A') < 26) << 5);
        return QChar::isSurrogate(u) ? 0xD800 : QChar::toCaseFolded(u);
    };
    qsizetype i = 0;
    for (; i + 4 <= n; i += 4) {
        // Unit k in bits 16k to 16k + 15, as the units folded one by one are placed.
        const quint64 word = qFromLittleEndian<quint64>(units + i);
        if (m_cs == Qt::CaseSensitive) {
            h = mixWord(h, word);
        } else if ((word & 0xFF80FF80FF80FF80ULL) == 0) {
            h = mixWord(h, lowerAsciiUnits(word));
        } else {
            quint64 folded = 0;
            for (int k = 0; k < 4; ++k)
                folded |= foldUnit(units[i + k]) << (16 * k);
            h = mixWord(h, folded);
        }
    }
    if (i < n) {
        quint64 folded = 0;
        for (int k = 0; i + k < n; ++k)
            folded |= foldUnit(units[i + k]) << (16 * k);
        h = mixWord(h, folded);
    }
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ULL;
    h ^= h >> 33;
    return quint32(h);
}

bool NameIndex::equalIgnoringCase(QStringView a, QStringView b) {
    if (a.size() != b.size())
        return false;
    const char16_t* pa = a.utf16();
    const char16_t* pb = b.utf16();
    // Names compared are mostly the same: four units at a time while they are.
    qsizetype i = 0;
    while (i + 4 <= a.size() && std::memcmp(pa + i, pb + i, 4 * sizeof(char16_t)) == 0)
        i += 4;
    for (; i < a.size(); ++i) {
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

bool NameIndex::insertAll(const NameIndex& other, qint32 offset) {
    Q_ASSERT(m_cs == other.m_cs);
    reserve(size() + other.size());
    bool all = true;
    for (const Slot& from : other.m_slots) {
        if (from.entry < 0)
            continue;
        const Entry& entry = other.m_entries[size_t(from.entry)];
        Slot& slot = const_cast<Slot&>(slotFor(entry.name, from.hash));
        if (slot.entry >= 0) {
            all = false;
            continue;
        }
        slot = {from.hash, qint32(m_entries.size())};
        m_entries.push_back({entry.name, entry.value + offset});
    }
    return all;
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
