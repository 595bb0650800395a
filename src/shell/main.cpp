#include "shell/Application.h"
#include "shell/CommandLine.h"

int main(int argc, char* argv[]) {
    const CommandLine options = CommandLine::parse(commandLineArguments(argc, argv));
    if (options.action() != CommandLine::Action::Run)
        return printCommandLineOutput(options);
    StartKaltoApplication app(argc, argv);
    return app.run(options);
}
