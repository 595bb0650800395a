#include "ZipDirs.h"

#include "AccessibleNames.h"
#include "FontScale.h"
#include "WindowPlacement.h"
#include "core/Platform.h"
#include "core/Prompter.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// Romset files follow the file system's rule for the case of names.
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
constexpr QDir::Filter kZipNameCase = QDir::NoFilter;
#else
constexpr QDir::Filter kZipNameCase = QDir::CaseSensitive;
#endif

bool holdsZipFiles(const QString& dir) {
    QDirIterator it(dir, {QStringLiteral("*.zip")}, QDir::Files | QDir::Hidden | kZipNameCase);
    return it.hasNext();
}

} // namespace

TZipDirsForm::TZipDirsForm(Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_prompter(prompter) {
    setObjectName(QStringLiteral("ZipDirsForm"));
    setWindowTitle(QStringLiteral("Zipped Rompaths"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    // Every control is a direct child of the dialog: the font scaling reaches only those.
    auto* grid = new QGridLayout(this);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    auto* label = new QLabel(QStringLiteral("Set the paths to your zipped Roms:"), this);
    label->setObjectName(QStringLiteral("LabelSetAlternativeRompath"));
    grid->addWidget(label, 0, 0, 1, 2);

    for (int i = 0; i < 4; ++i) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("ZipDir%1").arg(i));
        edit->setMinimumWidth(200);
        m_edits[size_t(i)] = edit;
        auto* browse = new QPushButton(QStringLiteral("Browse ..."), this);
        browse->setObjectName(QStringLiteral("BrowseButton%1").arg(i));
        browse->setFocusPolicy(Qt::ClickFocus); // Tab passes the Browse buttons by
        browse->setAutoDefault(false);
        connect(browse, &QPushButton::clicked, this, [this, i] { this->browse(i); });
        grid->addWidget(edit, i + 1, 0);
        grid->addWidget(browse, i + 1, 1);
    }

    auto* ok = new QPushButton(QIcon(QStringLiteral(":/icons/dialog-ok.svg")),
                               QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TZipDirsForm::OKButtonClick);
    auto* cancel = new QPushButton(QIcon(QStringLiteral(":/icons/dialog-cancel.svg")),
                                   QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    grid->addLayout(buttons, 5, 0, 1, 2);

    setAccessibleNames(this);
    setTabOrder(m_edits[0], m_edits[1]);
    setTabOrder(m_edits[1], m_edits[2]);
    setTabOrder(m_edits[2], ok);
    setTabOrder(ok, cancel);
    setTabOrder(cancel, m_edits[3]);
}

void TZipDirsForm::SetDirs(RomDirs& dirs) {
    for (size_t i = 0; i < dirs.size(); ++i)
        m_edits[i]->setText(dirs[i]);
    m_edits[0]->setFocus();
    if (exec() != QDialog::Accepted)
        return;
    for (size_t i = 0; i < dirs.size(); ++i)
        dirs[i] = m_edits[i]->text();
}

bool TZipDirsForm::checkPaths() {
    for (QLineEdit* edit : m_edits) {
        if (!checkPath(edit))
            return false;
    }
    return true;
}

void TZipDirsForm::OKButtonClick() {
    if (checkPaths())
        accept();
}

bool TZipDirsForm::checkPath(QLineEdit* edit) {
    QString text = edit->text();
    if (text.isEmpty())
        return true;
    if (!QFileInfo(text).isDir()) {
        m_prompter.beep();
        m_prompter.error(text + u'\r' + QStringLiteral("is NOT a vallid directory !"));
        return false;
    }
    text = platform::withTrailingSeparator(text);
    // The absolute form keeps the trailing separator that cleanPath would drop.
    text = platform::withTrailingSeparator(
        QDir::toNativeSeparators(QDir::cleanPath(QDir::current().absoluteFilePath(text))));
    edit->setText(text);
    if (holdsZipFiles(text))
        return true;
    m_prompter.beep();
    m_prompter.error(text + u'\r' + QStringLiteral("does not contain any zipfiles!"));
    return false;
}

void TZipDirsForm::browse(int slot) {
    QLineEdit* edit = m_edits[size_t(slot)];
    const std::optional<QString> chosen =
        m_prompter.pickFolder({QStringLiteral("Select alternative rompath"), edit->text()});
    if (chosen)
        edit->setText(*chosen);
}

void TZipDirsForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ScaleFormFonts(this);
    // Centred on the screen, not over the main window.
    centreOnScreen(this);
}
