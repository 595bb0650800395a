#pragma once

#include <QString>
#include <optional>
#include <vector>

class TGameObject;
class TGameObjectList;

// A game's play history (launches, the last one's end, the time played), its texts in
// the settings file and on screen, and the Recently Played list.

// The most games the Recently Played list holds.
inline constexpr int kRecentlyPlayedCount = 50;
// A run that ended badly sooner than this never got the game going.
inline constexpr qint64 kLeastFailedRunMs = 2000;

// Counts a finished run: one more launch, the seconds it ran (rounded to whole ones)
// added to the play time, and its end as the last played. A run that ended badly (not
// by itself with status 0) within two seconds counts nothing. True when it counted.
bool RecordRun(TGameObject& game, qint64 runMs, qint64 endedAtSecs, bool endedWell);

// The games played at least once, the one that ended last first (ties by title, then
// zip name), at most `most` of them.
std::vector<TGameObject*> RecentlyPlayed(const TGameObjectList& games, int most);

// The settings file's form of a time: UTC to the second, "yyyy-MM-ddTHH:mm:ssZ".
inline constexpr int kPlayedAtLength = 20;
// Writes the kPlayedAtLength characters; false (nothing written) for no time (0 or
// less) or one past the year 9999.
bool formatPlayedAt(qint64 secsSinceEpoch, char* out);
// The text, or empty where formatPlayedAt writes nothing.
QString playedAtText(qint64 secsSinceEpoch);
// Reads that form (and the older local one without "Z"); nothing for any other text.
std::optional<qint64> parsePlayedAt(QStringView text);

// Texts of the list and the Info page: the last played in local time as the list shows
// dates (empty for never), and a play time as "1 h 05 min", "12 min" or "< 1 min".
QString lastPlayedText(qint64 secsSinceEpoch);
QString playTimeText(qint64 seconds);
