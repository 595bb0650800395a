// Writes the demo's sound files, made by the project's own code, as seeds: seeds_midi <dir>.
#include "DemoSounds.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    int written = 0;
    for (const auto& [path, bytes] : demo::demoSounds()) {
        const std::string name = std::string(argv[1]) + "/" + path.substr(path.rfind('/') + 1);
        std::FILE* file = std::fopen(name.c_str(), "wb");
        if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
            return 1;
        std::fclose(file);
        ++written;
    }
    return written > 0 ? 0 : 1;
}
