#include "PlayHistory.h"

#include "GameObject.h"
#include "RomsetFinder.h"
#include "core/IniDocument.h"
#include "core/Text.h"

#include <QDateTime>
#include <algorithm>
#include <chrono>
#include <limits>

namespace {

constexpr qint64 kSecsPerDay = 86400;

void putDigits(char*& out, int value, int digits) {
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = char('0' + value % 10);
        value /= 10;
    }
    out += digits;
}

// The number the ASCII digits at text[at] make, or -1.
int digitsAt(QStringView text, qsizetype at, int count) {
    int value = 0;
    for (int i = 0; i < count; ++i) {
        const char16_t c = text[at + i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

} // namespace

bool RecordRun(TGameObject& game, qint64 runMs, qint64 endedAtSecs, bool endedWell) {
    runMs = std::max<qint64>(0, runMs);
    if (!endedWell && runMs < kLeastFailedRunMs)
        return false;
    if (game.PlayCount < std::numeric_limits<qint32>::max())
        ++game.PlayCount;
    // Rounded to whole seconds; a hand-edited time near the largest number stops there.
    const qint64 seconds = runMs / 1000 + (runMs % 1000 >= 500 ? 1 : 0);
    game.PlayTime = game.PlayTime > std::numeric_limits<qint64>::max() - seconds
                        ? std::numeric_limits<qint64>::max()
                        : game.PlayTime + seconds;
    game.LastPlayed = endedAtSecs;
    return true;
}

std::vector<TGameObject*> RecentlyPlayed(const TGameObjectList& games, int most) {
    std::vector<TGameObject*> played;
    for (TGameObject* game : games) {
        if (game->PlayCount > 0)
            played.push_back(game);
    }
    const auto later = [](const TGameObject* a, const TGameObject* b) {
        if (a->LastPlayed != b->LastPlayed)
            return a->LastPlayed > b->LastPlayed;
        if (const int byTitle = compareAsciiNoCase(a->Description, b->Description))
            return byTitle < 0;
        return compareAsciiNoCase(a->ZipName, b->ZipName) < 0;
    };
    const size_t kept = std::min(played.size(), size_t(std::max(0, most)));
    std::partial_sort(played.begin(), played.begin() + qsizetype(kept), played.end(), later);
    played.resize(kept);
    return played;
}

bool formatPlayedAt(qint64 secs, char* out) {
    using namespace std::chrono;
    if (secs <= 0)
        return false;
    const qint64 inDay = secs % kSecsPerDay;
    const year_month_day date{sys_days{days{secs / kSecsPerDay}}};
    const int year = int(date.year());
    if (year > 9999)
        return false;
    putDigits(out, year, 4);
    *out++ = '-';
    putDigits(out, int(unsigned(date.month())), 2);
    *out++ = '-';
    putDigits(out, int(unsigned(date.day())), 2);
    *out++ = 'T';
    putDigits(out, int(inDay / 3600), 2);
    *out++ = ':';
    putDigits(out, int(inDay / 60 % 60), 2);
    *out++ = ':';
    putDigits(out, int(inDay % 60), 2);
    *out = 'Z';
    return true;
}

QString playedAtText(qint64 secs) {
    char text[kPlayedAtLength];
    return formatPlayedAt(secs, text) ? QString::fromLatin1(text, kPlayedAtLength) : QString();
}

std::optional<qint64> parsePlayedAt(QStringView text) {
    using namespace std::chrono;
    // The form the program writes, read without a date parser: thousands of games may
    // carry one, and each start reads them all.
    if (text.size() == kPlayedAtLength && text[4] == u'-' && text[7] == u'-' && text[10] == u'T' &&
        text[13] == u':' && text[16] == u':' && text[19] == u'Z') {
        const int y = digitsAt(text, 0, 4);
        const int mo = digitsAt(text, 5, 2);
        const int d = digitsAt(text, 8, 2);
        const int h = digitsAt(text, 11, 2);
        const int mi = digitsAt(text, 14, 2);
        const int s = digitsAt(text, 17, 2);
        if (y < 0 || mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 || mi > 59 ||
            s < 0 || s > 59)
            return std::nullopt;
        const year_month_day date{year{y}, month{unsigned(mo)}, day{unsigned(d)}};
        if (!date.ok())
            return std::nullopt;
        return qint64(sys_days{date}.time_since_epoch().count()) * kSecsPerDay + h * 3600 +
               mi * 60 + s;
    }
    const QDateTime parsed = IniDocument::parseDateTime(text);
    if (!parsed.isValid())
        return std::nullopt;
    return parsed.toSecsSinceEpoch();
}

QString lastPlayedText(qint64 secs) {
    return secs > 0 ? romsetDateText(QDateTime::fromSecsSinceEpoch(secs, Qt::UTC)) : QString();
}

QString playTimeText(qint64 seconds) {
    const qint64 minutes = std::max<qint64>(0, seconds) / 60;
    if (minutes == 0)
        return QStringLiteral("< 1 min");
    if (minutes < 60)
        return QStringLiteral("%1 min").arg(minutes);
    return QStringLiteral("%1 h %2 min")
        .arg(minutes / 60)
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}
