#include "ScreenShotHandeling.h"

#include "Pictures.h"
#include "core/PathSet.h"
#include "core/Prompter.h"
#include "core/Trash.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>
#include <new>

using namespace Qt::StringLiterals;

namespace {

// The picture reduced by whole factors fx and fy, smoothly, a band of rows at a time, so
// that only the result and one band are held at 32 bits a pixel. Null when there is no
// memory for it.
QImage reducedInBands(const QImage& image, int fx, int fy) {
    const QImage::Format format =
        image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    const int width = (image.width() + fx - 1) / fx;
    const int height = (image.height() + fy - 1) / fy;
    QImage reduced(width, height, format);
    if (reduced.isNull())
        return {};
    // Whole blocks of rows, about a million pixels a band.
    const int blocksPerBand = std::max(1, (1 << 20) / image.width() / fy);
    for (int top = 0; top < height; top += blocksPerBand) {
        const int rows = std::min(blocksPerBand, height - top);
        const int sourceTop = top * fy;
        const int sourceRows = std::min(rows * fy, image.height() - sourceTop);
        const QImage band =
            image.copy(0, sourceTop, image.width(), sourceRows)
                .convertToFormat(format)
                .scaled(width, rows, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (band.isNull())
            return {};
        for (int y = 0; y < rows; ++y)
            std::memcpy(reduced.scanLine(top + y), band.constScanLine(y), size_t(width) * 4);
    }
    return reduced;
}

} // namespace

QImage pictureForView(const QImage& image, QSize target, bool sharp) {
    if (image.isNull() || target.isEmpty())
        return {};
    QImage picture = image;
    // Far larger than the view, it is first reduced a band at a time: the smooth scale
    // works on a 32-bit copy of what it is given, which is then little more than the view.
    const int fx = std::max(1, image.width() / (2 * target.width()));
    const int fy = std::max(1, image.height() / (2 * target.height()));
    if (fx > 1 || fy > 1)
        picture = reducedInBands(image, fx, fy);
    if (sharp && !picture.isNull()) {
        const int kx = std::max(1, target.width() / picture.width());
        const int ky = std::max(1, target.height() / picture.height());
        if (kx > 1 || ky > 1)
            picture = picture.scaled(picture.width() * kx, picture.height() * ky,
                                     Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }
    if (!picture.isNull() && picture.size() != target)
        picture = picture.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return picture;
}

ScreenShotImage::ScreenShotImage(QWidget* parent) : QWidget(parent) {
    // Every paint fills the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void ScreenShotImage::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() & ~Qt::KeypadModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_PageUp:
        emit stepRequested(-1);
        break;
    case Qt::Key_Right:
    case Qt::Key_PageDown:
        emit stepRequested(1);
        break;
    case Qt::Key_Space:
        emit playPauseRequested();
        break;
    case Qt::Key_Delete:
        emit deleteRequested();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void ScreenShotImage::setImage(QImage image) {
    m_image = std::move(image);
    m_scaled = QPixmap();
    m_failedSize = QSize();
    update();
}

void ScreenShotImage::clear() {
    setImage(QImage());
}

void ScreenShotImage::setBackground(const QColor& colour) {
    m_background = colour;
    update();
}

void ScreenShotImage::setSharp(bool sharp) {
    if (sharp == m_sharp)
        return;
    m_sharp = sharp;
    m_scaled = QPixmap();
    m_failedSize = QSize();
    update();
}

bool ScreenShotImage::prepare() {
    if (m_image.isNull() || size() == m_image.size())
        return true;
    const QSize pixels = size() * devicePixelRatioF();
    if (pixels.isEmpty() || (!m_scaled.isNull() && m_scaled.size() == pixels))
        return true;
    if (pixels == m_failedSize)
        return false;
    m_scaled = QPixmap();
    try {
        m_scaled = QPixmap::fromImage(pictureForView(m_image, pixels, m_sharp));
    } catch (const std::bad_alloc&) {
    }
    if (m_scaled.isNull()) {
        m_failedSize = pixels;
        return false;
    }
    m_scaled.setDevicePixelRatio(devicePixelRatioF());
    return true;
}

void ScreenShotImage::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // Transparent parts of a picture show the viewer's background, not what was there.
    painter.fillRect(event->rect(), m_background);
    if (m_image.isNull())
        return;
    if (size() == m_image.size()) {
        // Only the part on show: a large picture is not converted whole for the painter.
        const QRect area = event->rect() & rect();
        painter.drawImage(area.topLeft(), m_image.copy(area));
    } else if (prepare()) {
        painter.drawPixmap(0, 0, m_scaled);
    }
    if (hasFocus()) {
        // Where the keys go: a thin frame in the highlight colour.
        painter.setPen(palette().color(QPalette::Highlight));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

ScreenShotName::ScreenShotName(const QString& text, QWidget* parent) : QLabel(text, parent) {}

QSize ScreenShotName::sizeHint() const {
    return minimumSizeHint();
}

QSize ScreenShotName::minimumSizeHint() const {
    return {fontMetrics().averageCharWidth() * 8, QLabel::minimumSizeHint().height()};
}

void ScreenShotName::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = contentsRect();
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width());
    style()->drawItemText(&painter, area, int(alignment()), palette(), isEnabled(), shown,
                          foregroundRole());
}

TScreenShot::TScreenShot(const PathSet& paths, Prompter& prompter, const ScreenShotPage& page,
                         QWidget* parent)
    : QDialog(parent), m_paths(paths), m_prompter(prompter), m_page(page) {
    setObjectName(QStringLiteral("ScreenShot"));
    setWindowTitle(QStringLiteral("Screenshot Timer"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);

    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("Image1"));
    icon->setPixmap(QIcon(QStringLiteral(":/icons/timer.svg")).pixmap(32, 32));
    row->addWidget(icon);
    TimerBar = new QSlider(Qt::Horizontal, this);
    TimerBar->setObjectName(QStringLiteral("TimerBar"));
    TimerBar->setRange(1, 10);
    TimerBar->setPageStep(1);
    TimerBar->setTickInterval(1);
    TimerBar->setTickPosition(QSlider::TicksBelow);
    TimerBar->setValue(10);
    TimerBar->setMinimumWidth(180);
    row->addWidget(TimerBar, 1);
    TimerLabel = new QLabel(QStringLiteral("10 Sec."), this);
    TimerLabel->setObjectName(QStringLiteral("TimerLabel"));
    TimerLabel->setMinimumWidth(
        TimerLabel->fontMetrics().horizontalAdvance(QStringLiteral("10 Sec.")) + 8);
    row->addWidget(TimerLabel);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(this);
    OKButton = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    CancelButton = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(TimerBar, &QSlider::valueChanged, this, &TScreenShot::TimerBarChange);
}

void TScreenShot::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    TimerBar->setFocus();
}

void TScreenShot::setGame(const QString& zipName, qint32* currentShot) {
    // Each picture that cannot be shown is told once while its game is on show.
    if (zipName != m_zipName)
        m_failuresShown.clear();
    m_zipName = zipName;
    m_currentShot = zipName.isEmpty() ? nullptr : currentShot;
}

void TScreenShot::LoadNew() {
    if (!hasGame()) {
        // The picture on show stays; there is nothing to step through.
        m_files.clear();
        return;
    }
    m_files = CollectScreenshots(m_paths, m_zipName, kinds ? kinds() : ScreenshotKinds());
    if (current() < 0 || current() >= m_files.size())
        current() = 0;
    Load();
}

void TScreenShot::ShowNew(const QString& picture) {
    if (hasGame() && !picture.isEmpty()) {
        const qsizetype at =
            CollectScreenshots(m_paths, m_zipName, kinds ? kinds() : ScreenshotKinds())
                .indexOf(picture);
        if (at >= 0)
            current() = int(at);
    }
    LoadNew();
}

void TScreenShot::Load() {
    QString entry;
    if (!m_files.isEmpty() && hasGame()) {
        if (current() < 0 || current() >= m_files.size())
            current() = 0;
        entry = m_files[current()];
    }
    if (!entry.isEmpty() && QFileInfo::exists(entry)) {
        m_page.SSShowName->setText(shownPath(entry));
        LoadScreenShot(entry);
        Scale();
        return;
    }
    m_shown.clear();
    m_shownLoaded = false;
    m_page.SSImage->clear();
    m_page.showPicture(false);
    m_page.SSShowName->clear();
}

void TScreenShot::showErrorOnce(const QString& path, const QString& text) {
    if (m_failuresShown.contains(path))
        return;
    m_failuresShown.insert(path);
    // A running slideshow waits until the box is closed.
    m_showingError = true;
    m_prompter.error(text);
    m_showingError = false;
}

bool TScreenShot::LoadScreenShot(const QString& path) {
    const LoadedPicture picture = loadPicture(path, background);
    m_shown = path;
    m_shownLoaded = !picture.image.isNull();
    if (!m_shownLoaded) {
        // Nothing of another picture stays on show under this one's name.
        m_page.SSImage->clear();
        m_page.showPicture(false);
        m_page.SSShowName->setText(tr("%1 (cannot be shown)").arg(shownPath(path)));
        showErrorOnce(path, picture.error);
        return false;
    }
    m_page.SSImage->setBackground(background);
    m_page.SSImage->setImage(picture.image);
    m_page.showPicture(true);
    m_page.SSShowName->setText(
        m_page.SSShowName->text() +
        QStringLiteral(" (%1x%2)").arg(picture.image.width()).arg(picture.image.height()));
    return true;
}

void TScreenShot::Scale() {
    const QSize picture = m_page.SSImage->image().size();
    const int w = picture.width();
    const int h = picture.height();
    if (w + h <= 0)
        return;
    const int panelWidth = m_page.SSPanel->width();
    const int panelHeight = m_page.SSPanel->height();
    const Scaling mode = scaling ? scaling() : Scaling::Scaled;
    if (mode == Scaling::Stretched) {
        m_page.SSImage->setGeometry(0, 0, panelWidth, panelHeight);
    } else {
        int width = w;
        int height = h;
        if (mode == Scaling::Scaled) {
            const double factor = std::min(double(panelWidth) / w, double(panelHeight) / h);
            width = int(w * factor);
            height = int(h * factor);
        }
        // A picture larger than the panel is centred and cut off at every side.
        m_page.SSImage->setGeometry((panelWidth - width) / 2, (panelHeight - height) / 2, width,
                                    height);
    }
    m_page.SSImage->setSharp(sharp ? sharp() : true);
    // A picture that cannot be scaled for lack of memory is told once, like one that
    // cannot be read.
    if (!m_page.SSImage->prepare())
        showErrorOnce(m_shown, pictureFormatFor(m_shown).failureText);
}

void TScreenShot::Next() {
    if (!hasGame() || m_showingError)
        return;
    current() = current() < m_files.size() - 1 ? current() + 1 : 0;
    if (!m_files.isEmpty())
        Load();
}

void TScreenShot::Prev() {
    if (!hasGame() || m_showingError)
        return;
    current() = current() > 0 ? current() - 1 : std::max<qsizetype>(0, m_files.size() - 1);
    Load();
}

int TScreenShot::SetTimer(int interval) {
    // Intervals beyond the bar's range (from a hand-edited settings file) show at its end.
    TimerBar->setValue(std::clamp(interval / 1000, TimerBar->minimum(), TimerBar->maximum()));
    TimerBarChange();
    if (exec() != QDialog::Accepted)
        return interval;
    return TimerBar->value() * 1000;
}

void TScreenShot::TimerBarChange() {
    TimerLabel->setText(QStringLiteral("%1 Sec.").arg(TimerBar->value()));
}

bool TScreenShot::pauseSlideshow() {
    return pause ? pause() : false;
}

void TScreenShot::resumeSlideshow(bool wasPlaying) {
    if (wasPlaying && resume)
        resume();
}

QString TScreenShot::shownPath(const QString& entry) const {
    QString shown = entry;
    const qsizetype at = shown.indexOf(m_paths.FrontEndDir, 0, Qt::CaseInsensitive);
    if (at >= 0 && !m_paths.FrontEndDir.isEmpty())
        shown.remove(at, m_paths.FrontEndDir.size());
    return shown;
}

QString TScreenShot::shownFile() const {
    if (m_files.isEmpty() || !hasGame())
        return {};
    const QString entry = m_files.value(*m_currentShot);
    return entry == m_shown ? entry : QString();
}

void TScreenShot::Delete() {
    const QString file = shownFile();
    if (file.isEmpty())
        return;
    const bool wasPlaying = pauseSlideshow();
    if (m_prompter.confirm(
            QStringLiteral("Are you sure you want to delete\r%1 ?").arg(shownPath(file)))) {
        const QFileInfo info(file);
        if ((info.exists() || info.isSymLink()) && removePicture(file))
            Renumber();
    }
    resumeSlideshow(wasPlaying);
}

bool TScreenShot::removePicture(const QString& file) {
    // The desktop's trash keeps it for the user to take back; only where there is none
    // is it gone for good without a further question.
    const TrashResult trashed = moveToTrash(file);
    if (trashed.outcome == TrashResult::Outcome::Trashed)
        return true;
    if (trashed.outcome == TrashResult::Outcome::Failed &&
        !m_prompter.confirm(tr("%1 could not be moved to the trash: %2.\rDelete it for good?")
                                .arg(shownPath(file), trashed.error)))
        return false;
    QFile picture(file);
    if (picture.remove())
        return true;
    m_prompter.error(tr("%1 could not be deleted: %2").arg(shownPath(file), picture.errorString()));
    return false;
}

void TScreenShot::SetAsTitle() {
    const bool wasPlaying = pauseSlideshow();
    // Only a picture on show: one that cannot be shown would make a title that cannot.
    const QString file = m_shownLoaded ? shownFile() : QString();
    if (!file.isEmpty() &&
        m_prompter.confirm(QStringLiteral(
            "Are you sure you want to set the\rcurrent Screenshot as the Titleshot?"))) {
        MakeTitle(file, m_paths.TitlesDir, m_paths.GameplayDir, m_zipName);
        Renumber();
    }
    resumeSlideshow(wasPlaying);
}

void TScreenShot::Renumber() {
    const bool wasPlaying = pauseSlideshow();
    if (hasGame())
        RenumberGameplay(m_paths.GameplayDir, m_zipName);
    LoadNew();
    resumeSlideshow(wasPlaying);
    emit picturesChanged();
}
