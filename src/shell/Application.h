#pragma once

#include <QApplication>
#include <QStringList>

class CommandLine;
class Prompter;

// The process's arguments, before an application object exists.
QStringList commandLineArguments(int argc, char** argv);
// Prints what --help, --version or a wrong option asks for; the program's exit status.
int printCommandLineOutput(const CommandLine& options);

// The application object. Its notify() is the general error handler: a file that
// could not be written anywhere in an event handler ends up in an error box.
class StartKaltoApplication final : public QApplication {
    Q_OBJECT

public:
    StartKaltoApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Builds the main window (which runs the start-up) and runs the event loop.
    int run();
    // The same in the folder that the command line chose, made when missing.
    int run(const CommandLine& options);

    // Where the general error handler shows what it caught.
    void setErrorPrompter(Prompter* prompter) { m_errorPrompter = prompter; }

private:
    Prompter* m_errorPrompter = nullptr;
};
