#include "GameInfoPage.h"

#include <QEvent>
#include <QFormLayout>
#include <QLabel>
#include <QScrollArea>
#include <QTextDocumentFragment>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

GameInfoPage::GameInfoPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("InfoTab"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("InfoScrollBox"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* lines = new QWidget(scroll);
    lines->setObjectName(QStringLiteral("InfoLines"));
    m_form = new QFormLayout(lines);
    m_form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    m_form->setLabelAlignment(Qt::AlignLeft);
    for (const auto& [name, caption] :
         {std::pair{"InfoTitle", "Title"}, std::pair{"InfoMaker", "Maker"},
          std::pair{"InfoYear", "Year"}, std::pair{"InfoZipName", "Zip name"},
          std::pair{"InfoParent", "Parent"}, std::pair{"InfoRompath", "Rompath"},
          std::pair{"InfoRomsetFile", "Romset file"}, std::pair{"InfoRomcheck", "Romcheck"},
          std::pair{"InfoCheats", "Cheats"}, std::pair{"InfoPlayed", "Played"},
          std::pair{"InfoLastPlayed", "Last played"}, std::pair{"InfoPlayTime", "Play time"},
          std::pair{"InfoPictures", "Pictures"}})
        addLine(name, QLatin1StringView(caption));
    m_parent = findChild<QLabel*>(QStringLiteral("InfoParent"));
    m_parent->setTextFormat(Qt::RichText);
    m_parent->setTextInteractionFlags(Qt::TextBrowserInteraction);
    m_parent->setOpenExternalLinks(false);
    connect(m_parent, &QLabel::linkActivated, this, [this](const QString& link) {
        emit parentLinkActivated(QUrl::fromPercentEncoding(link.toUtf8()));
    });
    scroll->setWidget(lines);
    layout->addWidget(scroll);
    fitLinkColour();
    showDetails({});
}

namespace {

// The contrast of two colours as the web's accessibility guidelines measure it.
double contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& color) {
        const auto channel = [](double c) {
            return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        const QColor rgb = color.toRgb();
        return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) +
               0.0722 * channel(rgb.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

void GameInfoPage::fitLinkColour() {
    // Without a desktop theme the link stays pure blue, which a dark scheme swallows:
    // a blue that reads well on the page takes its place.
    const QColor window = palette().color(QPalette::Window);
    QColor link = palette().color(QPalette::Link);
    if (contrast(link, window) < 4.5) {
        const QColor light(0x8A, 0xB4, 0xF8);
        const QColor dark(0x1A, 0x0D, 0xAB);
        link = contrast(light, window) > contrast(dark, window) ? light : dark;
    }
    QPalette linkPalette = m_parent->palette();
    linkPalette.setColor(QPalette::Link, link);
    m_parent->setPalette(linkPalette);
}

void GameInfoPage::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        fitLinkColour();
}

QLabel* GameInfoPage::addLine(const char* name, const QString& caption) {
    auto* value = new QLabel(this);
    value->setObjectName(QLatin1StringView(name));
    value->setTextFormat(Qt::PlainText);
    value->setWordWrap(true);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* label = new QLabel(caption + u':', this);
    label->setObjectName(QLatin1StringView(name) + QStringLiteral("Label"));
    label->setBuddy(value);
    m_form->addRow(label, value);
    return value;
}

void GameInfoPage::showDetails(const GameDetails& details) {
    const auto set = [this](const char* name, const QString& text) {
        findChild<QLabel*>(QLatin1StringView(name))->setText(text);
    };
    set("InfoTitle", details.title);
    set("InfoMaker", details.maker);
    set("InfoYear", details.year);
    set("InfoZipName",
        details.zipName.isEmpty() ? QStringLiteral("no game selected") : details.zipName);
    if (details.parentZipName.isEmpty())
        m_parent->setText(details.parentTitle.toHtmlEscaped());
    else
        m_parent->setText(
            QStringLiteral("<a href=\"%1\">%2</a>")
                .arg(QString::fromLatin1(QUrl::toPercentEncoding(details.parentZipName)),
                     details.parentTitle.toHtmlEscaped()));
    // Only a clone has a parent to go to with the keyboard.
    m_parent->setFocusPolicy(details.parentZipName.isEmpty() ? Qt::NoFocus : Qt::StrongFocus);
    set("InfoRompath", details.rompath);
    set("InfoRomsetFile", details.romsetFile);
    set("InfoRomcheck", details.romcheck);
    set("InfoCheats", details.cheats);
    set("InfoPlayed", details.played);
    set("InfoLastPlayed", details.lastPlayed);
    set("InfoPlayTime", details.playTime);
    set("InfoPictures", details.pictures);
}

QString GameInfoPage::lineText(const QString& caption) const {
    for (int row = 0; row < m_form->rowCount(); ++row) {
        const auto* label =
            qobject_cast<QLabel*>(m_form->itemAt(row, QFormLayout::LabelRole)->widget());
        if (label && label->text() == caption + u':') {
            const auto* value =
                qobject_cast<QLabel*>(m_form->itemAt(row, QFormLayout::FieldRole)->widget());
            // A link reads as the words it shows.
            return value->textFormat() == Qt::RichText
                       ? QTextDocumentFragment::fromHtml(value->text()).toPlainText()
                       : value->text();
        }
    }
    return {};
}

void GameInfoPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    emit becameVisible();
}
