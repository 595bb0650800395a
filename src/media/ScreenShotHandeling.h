#pragma once

#include "ScreenshotStore.h"

#include <QDialog>
#include <QImage>
#include <QPixmap>
#include <QStringList>
#include <functional>

struct PathSet;
class Prompter;
class QLabel;
class QPushButton;
class QSlider;

// The picture on the Screenshot page: the current picture drawn over the widget's own
// bounds (the viewer sets them), smoothly when it is scaled.
class ScreenShotImage final : public QWidget {
    Q_OBJECT

public:
    explicit ScreenShotImage(QWidget* parent = nullptr);
    void setImage(QImage image);
    void clear();
    const QImage& image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
    QPixmap m_scaled; // the picture at the widget's size, made once per size
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

    // What the viewer reads from the window: the kinds shown, the scaling mode, and the
    // slideshow's pause (true when it was playing) and resume.
    std::function<ScreenshotKinds()> kinds;
    std::function<Scaling()> scaling;
    std::function<bool()> pause;
    std::function<void()> resume;
    // The colour transparent parts of a picture show.
    QColor background = Qt::black;

    // The game whose pictures are shown (an empty zip name: none), and where its
    // current picture's index is kept.
    void setGame(const QString& zipName, qint32* currentShot);
    const QStringList& files() const { return m_files; }

    void LoadNew();
    void Load();
    bool LoadScreenShot(const QString& path);
    void Scale();
    void Next();
    void Prev();
    // Runs the timer dialog; the new interval in milliseconds, or interval on Cancel.
    int SetTimer(int interval);
    void TimerBarChange();
    // Asks, naming the file, then moves the picture on show to the desktop's trash (where
    // there is none, deletes it) and closes the gap in the gameplay numbering.
    void Delete();
    void SetAsTitle();
    void Renumber();

    QSlider* TimerBar = nullptr;
    QLabel* TimerLabel = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool hasGame() const { return m_currentShot != nullptr; }
    int& current() { return *m_currentShot; }
    // The entry as the user sees it, without the front-end directory.
    QString shownPath(const QString& entry) const;
    bool pauseSlideshow();
    void resumeSlideshow(bool wasPlaying);

    const PathSet& m_paths;
    Prompter& m_prompter;
    ScreenShotPage m_page;
    QString m_zipName;
    qint32* m_currentShot = nullptr;
    QStringList m_files;
    bool m_showingError = false; // slideshow steps wait while an error box is open
};
