#pragma once

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QTimer;

// The small window shown while a run of the emulator during the start-up lasts: what
// is being waited for, for how long, a busy bar, and a Cancel button (Escape and
// closing the window cancel too). It is not modal: the runner's wait lets input reach
// this window alone.
class StartupProgress final : public QDialog {
    Q_OBJECT

public:
    StartupProgress(const QString& what, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(StartupProgress)

    // What a run of the emulator with these parameters is waited for.
    static QString describe(const QString& parameters);

signals:
    void cancelRequested();

private:
    void updateElapsed();

    QLabel* m_elapsed = nullptr;
    QTimer* m_ticker = nullptr;
    QElapsedTimer m_clock;
};
