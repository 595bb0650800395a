#pragma once

#include "core/Prompter.h"

#include <QPointer>
#include <QWidget>

// The prompts as real dialogs and message boxes.
class QtPrompter final : public Prompter {
public:
    void setParentWidget(QWidget* parent) { m_parent = parent; }

    Answer message(Icon icon, Buttons buttons, const QString& text) override;
    bool choose(Icon icon, const QString& text, const QString& accept,
                const QString& reject) override;
    void beep() override;
    std::optional<QString> openFile(const OpenFileRequest& request) override;
    std::optional<FontChoice> chooseFont(const FontChoice& current) override;
    std::optional<QColor> chooseColor(const QColor& current) override;
    std::optional<QString> pickFolder(const FolderRequest& request) override;

private:
    QPointer<QWidget> m_parent;
};

class QtDesktopOpener final : public DesktopOpener {
public:
    bool open(const QString& pathOrUrl) override;
};
