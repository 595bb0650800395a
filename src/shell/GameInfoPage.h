#pragma once

#include <QString>
#include <QWidget>

class QFormLayout;
class QLabel;

// What the Info page shows of one game, as texts. An empty zipName: no game.
struct GameDetails {
    QString title;
    QString maker;
    QString year;
    QString zipName;
    QString parentTitle;   // a clone's parent, as the link shows it
    QString parentZipName; // the link's target; empty when the parent is not a listed game
    QString rompath;
    QString romsetFile;
    QString romcheck;
    QString cheats;
    QString played;
    QString lastPlayed;
    QString playTime;
    QString pictures;
};

// The Info page: the selected game's details, one line each, and its parent (for a
// clone) as a link that selects it.
class GameInfoPage final : public QWidget {
    Q_OBJECT

public:
    explicit GameInfoPage(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(GameInfoPage)

    void showDetails(const GameDetails& details);
    // The text a line shows now, by its caption ("Rompath"), for checking.
    QString lineText(const QString& caption) const;

signals:
    void parentLinkActivated(const QString& zipName);
    // The page came into sight: details that were left until then are wanted now.
    void becameVisible();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QLabel* addLine(const char* name, const QString& caption);
    // A link in the colour scheme's colour, unless that is hard to tell from the page.
    void fitLinkColour();

    QFormLayout* m_form = nullptr;
    QLabel* m_parent = nullptr;
};
