#pragma once

#include "core/Prompter.h"

#include <QList>
#include <QStringList>
#include <functional>

// A prompter for tests: records every text shown and answers from a script. An
// unscripted question gets its cancelling answer and is counted, so a test sees it.
class ScriptedPrompter final : public Prompter {
public:
    struct Shown {
        Icon icon;
        Buttons buttons;
        QString text;
        QStringList captions; // the two buttons of a choice, else empty
    };

    Answer message(Icon icon, Buttons buttons, const QString& text) override;
    // A choice is scripted as a Yes/No question: Yes takes the first button.
    bool choose(Icon icon, const QString& text, const QString& accept,
                const QString& reject) override;
    void beep() override { ++beeps; }
    std::optional<QString> openFile(const OpenFileRequest& request) override;
    std::optional<FontChoice> chooseFont(const FontChoice& current) override;
    std::optional<QColor> chooseColor(const QColor& current) override;
    std::optional<QString> pickFolder(const FolderRequest& request) override;

    QStringList texts() const;

    // Runs while each message or dialog is "on screen", before it is answered.
    std::function<void()> onShow;

    QList<Shown> shown;
    QList<Answer> answers;
    QList<std::optional<QString>> openFileAnswers;
    QList<OpenFileRequest> openFileRequests;
    // Answers of the font, colour and folder dialogs (nothing: Cancel), and what each
    // was shown.
    QList<std::optional<FontChoice>> fontAnswers;
    QList<FontChoice> fontRequests;
    QList<std::optional<QColor>> colorAnswers;
    QList<QColor> colorRequests;
    QList<std::optional<QString>> folderAnswers;
    QList<FolderRequest> folderRequests;
    int beeps = 0;
    int unscripted = 0;
};

// Records every document and address handed to it; while fails is set it answers as a
// desktop without a handler for them does.
class RecordingOpener final : public DesktopOpener {
public:
    bool open(const QString& pathOrUrl) override {
        opened.append(pathOrUrl);
        return !fails;
    }
    QStringList opened;
    bool fails = false;
};
