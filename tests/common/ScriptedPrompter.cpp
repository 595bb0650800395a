#include "ScriptedPrompter.h"

Prompter::Answer ScriptedPrompter::message(Icon icon, Buttons buttons, const QString& text) {
    shown.append({icon, buttons, text, {}});
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

bool ScriptedPrompter::choose(Icon icon, const QString& text, const QString& accept,
                              const QString& reject) {
    shown.append({icon, Buttons::YesNo, text, {accept, reject}});
    if (onShow)
        onShow();
    if (!answers.isEmpty())
        return answers.takeFirst() == Answer::Yes;
    ++unscripted;
    return false;
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

namespace {

// Takes the next scripted answer; an unscripted dialog is cancelled and counted.
template <typename T> std::optional<T> next(QList<std::optional<T>>& answers, int& unscripted) {
    if (answers.isEmpty()) {
        ++unscripted;
        return std::nullopt;
    }
    return answers.takeFirst();
}

} // namespace

std::optional<Prompter::FontChoice> ScriptedPrompter::chooseFont(const FontChoice& current) {
    fontRequests.append(current);
    if (onShow)
        onShow();
    return next(fontAnswers, unscripted);
}

std::optional<QColor> ScriptedPrompter::chooseColor(const QColor& current) {
    colorRequests.append(current);
    if (onShow)
        onShow();
    return next(colorAnswers, unscripted);
}

std::optional<QString> ScriptedPrompter::pickFolder(const FolderRequest& request) {
    folderRequests.append(request);
    if (onShow)
        onShow();
    return next(folderAnswers, unscripted);
}

QStringList ScriptedPrompter::texts() const {
    QStringList result;
    for (const Shown& s : shown)
        result.append(s.text);
    return result;
}
