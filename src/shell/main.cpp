#include "shell/Application.h"

int main(int argc, char* argv[]) {
    StartKaltoApplication app(argc, argv);
    return app.run();
}
