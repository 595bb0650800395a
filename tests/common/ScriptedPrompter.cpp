#include "ScriptedPrompter.h"

Prompter::Answer ScriptedPrompter::message(Icon icon, Buttons buttons, const QString& text) {
    shown.append({icon, buttons, text});
    if (onShow)
        onShow();
    if (!answers.isEmpty())
        return answers.takeFirst();
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::Cancel:
        return Answer::Cancel;
    case Buttons::YesNo:
        ++unscripted;
        return Answer::No;
    case Buttons::YesNoCancel:
        ++unscripted;
        return Answer::Cancel;
    }
    return Answer::Cancel;
}

std::optional<QString> ScriptedPrompter::openFile(const OpenFileRequest& request) {
    openFileRequests.append(request);
    if (onShow)
        onShow();
    if (openFileAnswers.isEmpty()) {
        ++unscripted;
        return std::nullopt;
    }
    return openFileAnswers.takeFirst();
}

QStringList ScriptedPrompter::texts() const {
    QStringList result;
    for (const Shown& s : shown)
        result.append(s.text);
    return result;
}
