#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <optional>

// Every message box, question, beep, file and folder dialog, font and colour dialog
// goes through this seam, so the program's conversation with the user can be scripted
// and checked in tests.
class Prompter {
public:
    enum class Icon { Error, Warning, Information, Question };
    enum class Buttons { Ok, Cancel, YesNo, YesNoCancel };
    enum class Answer { Ok, Cancel, Yes, No };

    struct OpenFileRequest {
        QString title;
        QString initialDir;
        QString filterName;      // "Kalto Executable"
        QString filterPattern;   // "kalto.exe"
        QString defaultFileName; // preselected name
        QString defaultSuffix;   // added when the typed name has none
        QString note;            // a line shown in the dialog, when not empty
    };

    // A font with its colour, as the font dialog shows and returns it.
    struct FontChoice {
        QFont font;
        QColor color;
    };

    struct FolderRequest {
        QString title;      // "Select alternative rompath"
        QString initialDir; // highlighted first when it exists
    };

    virtual ~Prompter() = default;

    // Shows a modal message; "\r" in the text starts a new line.
    virtual Answer message(Icon icon, Buttons buttons, const QString& text) = 0;
    // A question whose two buttons say what they do ("&Point to kalto.exe...", "&Quit");
    // true for the first. Closing the box counts as the second.
    virtual bool choose(Icon icon, const QString& text, const QString& accept,
                        const QString& reject) {
        Q_UNUSED(accept);
        Q_UNUSED(reject);
        return message(icon, Buttons::YesNo, text) == Answer::Yes;
    }
    virtual void beep() = 0;
    // An existing file chosen by the user, or nothing on Cancel.
    virtual std::optional<QString> openFile(const OpenFileRequest& request) = 0;
    // The font dialog (font, size, effects and colour), or nothing on Cancel.
    virtual std::optional<FontChoice> chooseFont(const FontChoice& current) = 0;
    // The colour dialog, or nothing on Cancel.
    virtual std::optional<QColor> chooseColor(const QColor& current) = 0;
    // The folder picker: a file-system folder, or nothing on Cancel.
    virtual std::optional<QString> pickFolder(const FolderRequest& request) = 0;

    void error(const QString& text) { message(Icon::Error, Buttons::Ok, text); }
    // The error box whose only button is Cancel.
    void errorCancel(const QString& text) { message(Icon::Error, Buttons::Cancel, text); }
    void warning(const QString& text) { message(Icon::Warning, Buttons::Ok, text); }
    void information(const QString& text) { message(Icon::Information, Buttons::Ok, text); }
    bool confirm(const QString& text) {
        return message(Icon::Question, Buttons::YesNo, text) == Answer::Yes;
    }

    // The text as shown: the program's messages break lines with a lone CR.
    static QString displayText(QString text);
};

// Opens a document or a web address with the desktop's default handler.
class DesktopOpener {
public:
    virtual ~DesktopOpener() = default;
    // False when the desktop could not hand it to a handler.
    virtual bool open(const QString& pathOrUrl) = 0;
};
