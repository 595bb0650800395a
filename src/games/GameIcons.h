#pragma once

#include <QIcon>

// The pictures of the game list: a game cartridge, lit when the game is installed and
// hollow when not, at 16 and 32 pixels and for screens of twice the density; the same
// with the bad-romset mark, the favourite star or both; the mark alone; the star alone.
class GameIcons final {
public:
    GameIcons();

    const QIcon& game(bool installed, bool markedBad, bool favourite = false) const {
        return m_icons[installed ? 1 : 0][markedBad ? 1 : 0][favourite ? 1 : 0];
    }
    const QIcon& badMark() const { return m_badMark; }
    const QIcon& favourite() const { return m_favourite; }

private:
    QIcon m_icons[2][2][2];
    QIcon m_badMark;
    QIcon m_favourite;
};
