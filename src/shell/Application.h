#pragma once

#include <QApplication>

class Prompter;

// The application object. Its notify() is the general error handler: a file that
// could not be written anywhere in an event handler ends up in an error box.
class StartKaltoApplication final : public QApplication {
    Q_OBJECT

public:
    StartKaltoApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Builds the main window (which runs the start-up) and runs the event loop.
    int run();

    // Where the general error handler shows what it caught.
    void setErrorPrompter(Prompter* prompter) { m_errorPrompter = prompter; }

private:
    Prompter* m_errorPrompter = nullptr;
};
