#pragma once

#include "ScreenshotStore.h"

#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QSet>
#include <QStringList>
#include <functional>

struct PathSet;
class Prompter;
class QPushButton;
class QSlider;

// The picture at `target` pixels as the viewer shows it: reduced smoothly, and enlarged
// smoothly or, when sharp, by the nearest pixel to the largest whole factor of each side
// and smoothly only for the rest. A picture far larger than the target is first reduced
// a band of rows at a time, so that no 32-bit copy of it is made.
// Null when there is no memory for it.
QImage pictureForView(const QImage& image, QSize target, bool sharp);

// The picture on the Screenshot page: the current picture over the background colour at
// the widget's bounds (the viewer sets them), made once for each size.
class ScreenShotImage final : public QWidget {
    Q_OBJECT

public:
    explicit ScreenShotImage(QWidget* parent = nullptr);
    void setImage(QImage image);
    void clear();
    const QImage& image() const { return m_image; }
    // What shows through the transparent parts of a picture.
    void setBackground(const QColor& colour);
    // Enlargements by whole factors keep their pixels sharp.
    void setSharp(bool sharp);
    // Makes the picture at the widget's size; false when there is no memory for it (the
    // background shows instead).
    bool prepare();

signals:
    // Keys on the focused picture: Left and Page Up step back (-1), Right and Page Down
    // on (1), Space plays or pauses the slideshow, Delete deletes the picture.
    void stepRequested(int direction);
    void playPauseRequested();
    void deleteRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QImage m_image;
    QColor m_background = Qt::black;
    bool m_sharp = true;
    QPixmap m_scaled;   // the picture at the widget's size
    QSize m_failedSize; // the size it could not be made at, not tried again
};

// The line under the picture: its path and size, elided in the middle to the room it has.
// It asks for the room of a few characters only, so a long name never widens the window.
class ScreenShotName final : public QLabel {
    Q_OBJECT

public:
    explicit ScreenShotName(const QString& text, QWidget* parent = nullptr);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The controls of the Screenshot page that the viewer works on.
struct ScreenShotPage {
    QWidget* NoShotImage = nullptr; // the placeholder shown when there is no picture
    QWidget* SSPanel = nullptr;     // holds the picture
    ScreenShotImage* SSImage = nullptr;
    QLabel* SSShowName = nullptr; // path and size of the picture on show
    // Shows the picture's panel or the placeholder.
    std::function<void(bool picture)> showPicture;
};

// The screenshot viewer: the selected game's pictures one at a time, stepped by hand
// or by the slideshow, at their own size, fitted or stretched, and the file commands
// of the page. Its own window is the small "Screenshot Timer" dialog.
class TScreenShot : public QDialog {
    Q_OBJECT

public:
    enum class Scaling { Original, Scaled, Stretched };

    TScreenShot(const PathSet& paths, Prompter& prompter, const ScreenShotPage& page,
                QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TScreenShot)

    // What the viewer reads from the window: the kinds shown, the scaling mode, whether
    // enlargements keep sharp pixels, and the slideshow's pause (true when it was playing)
    // and resume.
    std::function<ScreenshotKinds()> kinds;
    std::function<Scaling()> scaling;
    std::function<bool()> sharp;
    std::function<bool()> pause;
    std::function<void()> resume;
    // The colour transparent parts of a picture show.
    QColor background = Qt::black;

    // The game whose pictures are shown (an empty zip name: none), and where its
    // current picture's index is kept.
    void setGame(const QString& zipName, qint32* currentShot);
    const QStringList& files() const { return m_files; }

    void LoadNew();
    // LoadNew, showing `picture` when it is among the pictures (the first new shot of a
    // run), else the current one.
    void ShowNew(const QString& picture);
    void Load();
    bool LoadScreenShot(const QString& path);
    void Scale();
    void Next();
    void Prev();
    // Runs the timer dialog; the new interval in milliseconds, or interval on Cancel.
    int SetTimer(int interval);
    void TimerBarChange();
    // Asks, naming the file, then moves the picture on show to the desktop's trash and
    // closes the gap in the gameplay numbering. Where there is no trash it is deleted;
    // where the trash cannot take it the user is asked whether to delete it for good.
    // A picture that cannot be shown is named on the page and can be deleted too.
    void Delete();
    // Makes the picture on show the title; nothing for one that cannot be shown.
    void SetAsTitle();
    void Renumber();

    QSlider* TimerBar = nullptr;
    QLabel* TimerLabel = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

signals:
    // Pictures of the game were deleted, moved or renumbered.
    void picturesChanged();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool hasGame() const { return m_currentShot != nullptr; }
    int& current() { return *m_currentShot; }
    // The entry as the user sees it, without the front-end directory.
    QString shownPath(const QString& entry) const;
    // The error box for a picture, once while its game is on show.
    void showErrorOnce(const QString& path, const QString& text);
    // The list entry the page names (shown or not), or empty.
    QString shownFile() const;
    // To the trash, or for good where there is none or the user agrees; false, once the
    // user was told, when it stays.
    bool removePicture(const QString& file);
    bool pauseSlideshow();
    void resumeSlideshow(bool wasPlaying);

    const PathSet& m_paths;
    Prompter& m_prompter;
    ScreenShotPage m_page;
    QString m_zipName;
    qint32* m_currentShot = nullptr;
    QStringList m_files;
    QString m_shown;            // the file the page names
    bool m_shownLoaded = false; // and it shows (else the placeholder does)
    QSet<QString> m_failuresShown;
    bool m_showingError = false; // slideshow steps wait while an error box is open
};
