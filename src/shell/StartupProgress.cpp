#include "StartupProgress.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

StartupProgress::StartupProgress(const QString& what, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("StartupProgress"));
    setWindowTitle(QStringLiteral("StartKALTO"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(what, this);
    text->setObjectName(QStringLiteral("StartupProgressText"));
    QFont bold = text->font();
    bold.setBold(true);
    text->setFont(bold);
    layout->addWidget(text);

    m_elapsed = new QLabel(this);
    m_elapsed->setObjectName(QStringLiteral("StartupProgressElapsed"));
    layout->addWidget(m_elapsed);

    auto* busy = new QProgressBar(this);
    busy->setObjectName(QStringLiteral("StartupProgressBar"));
    busy->setRange(0, 0); // no end known: the bar shows activity
    busy->setTextVisible(false);
    busy->setMinimumWidth(320);
    layout->addWidget(busy);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)
        ->setObjectName(QStringLiteral("StartupProgressCancel"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Escape, the Cancel button and closing the window all come here.
    connect(this, &QDialog::rejected, this, &StartupProgress::cancelRequested);

    m_clock.start();
    m_ticker = new QTimer(this);
    m_ticker->setInterval(250);
    connect(m_ticker, &QTimer::timeout, this, &StartupProgress::updateElapsed);
    m_ticker->start();
    updateElapsed();
}

QString StartupProgress::describe(const QString& parameters) {
    if (parameters == u"-listinfo")
        return QStringLiteral("Asking kalto.exe for its list of games…");
    if (parameters == u"-nogui")
        return QStringLiteral("Asking kalto.exe to write its default configuration…");
    return QStringLiteral("Waiting for kalto.exe %1…").arg(parameters);
}

void StartupProgress::updateElapsed() {
    const qint64 seconds = m_clock.elapsed() / 1000;
    m_elapsed->setText(seconds < 60 ? QStringLiteral("Waiting for %1 s").arg(seconds)
                                    : QStringLiteral("Waiting for %1 min %2 s")
                                          .arg(seconds / 60)
                                          .arg(seconds % 60, 2, 10, QLatin1Char('0')));
}
