// Stand-in for the Kalto emulator: answers the command lines the front-end sends it, so the
// front-end can be tested and demonstrated without the real program.

#include "DemoCatalog.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kProgram = "kalto-sim";

struct Invocation {
    std::string emuDir;
    bool listInfo = false;
    bool noGui = false;
    std::optional<std::string> game;
};

void warn(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
}

std::string envValue(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

bool envFlag(const char* name) {
    const std::string v = envValue(name);
    return !v.empty() && v != "0";
}

// The emulator finds its files next to the path it was started by; symlinks are deliberately
// not followed, so a linked kalto.exe serves the directory it is linked into.
std::string emulatorDir(const char* argv0) {
    const std::string path = argv0 ? argv0 : "";
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

void appendRunLog(const std::vector<std::string>& args) {
    const std::string logPath = envValue("KALTO_SIM_LOG");
    if (logPath.empty())
        return;
    std::string line;
    for (size_t i = 0; i < args.size(); ++i)
        line += (i ? " " : "") + args[i];
    line += '\n';
    // One write on an O_APPEND descriptor keeps lines whole when runs overlap.
    const int fd = ::open(logPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
        warn("cannot append to " + logPath + ": " + std::strerror(errno));
    if (fd >= 0)
        ::close(fd);
}

void sleepIfAsked() {
    const std::string value = envValue("KALTO_SIM_SLEEP_MS");
    if (value.empty())
        return;
    char* end = nullptr;
    const long ms = std::strtol(value.c_str(), &end, 10);
    if (*end != '\0' || ms < 0) {
        warn("ignoring KALTO_SIM_SLEEP_MS=" + value);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool finishStdout() {
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        warn(std::string("cannot write standard output: ") + std::strerror(errno));
        return false;
    }
    return true;
}

// A run that goes wrong the way real programs do, for the tests of the front-end:
// KALTO_SIM_LISTINFO_FAULT=exit prints half the list, complains and exits with 3;
// =crash prints half the list and dies by a signal (one that leaves no core file);
// =silent prints nothing and exits with 0.
int faultyListInfo(const std::string& fault) {
    const std::string text = sk::listInfoText(sk::demoCatalog());
    if (fault == "silent")
        return 0;
    std::fwrite(text.data(), 1, text.size() / 2, stdout);
    std::fflush(stdout);
    if (fault == "crash")
        std::raise(SIGKILL);
    warn("reading roms.dat: unexpected end of file");
    warn("cannot list the supported games");
    return 3;
}

int listInfo() {
    const std::string fault = envValue("KALTO_SIM_LISTINFO_FAULT");
    if (!fault.empty())
        return faultyListInfo(fault);
    const std::string catalogPath = envValue("KALTO_SIM_CATALOG");
    if (catalogPath.empty()) {
        const std::string text = sk::listInfoText(sk::demoCatalog());
        std::fwrite(text.data(), 1, text.size(), stdout);
        return finishStdout() ? 0 : 1;
    }

    // Benchmark catalogs are large: copy them through a fixed buffer.
    std::FILE* in = std::fopen(catalogPath.c_str(), "rb");
    if (!in) {
        warn("cannot open " + catalogPath + ": " + std::strerror(errno));
        return 1;
    }
    std::vector<char> buffer(1 << 16);
    size_t n = 0;
    bool ok = true;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0) {
        if (std::fwrite(buffer.data(), 1, n, stdout) != n) {
            ok = false;
            break;
        }
    }
    if (std::ferror(in)) {
        warn("cannot read " + catalogPath + ": " + std::strerror(errno));
        ok = false;
    }
    std::fclose(in);
    return finishStdout() && ok ? 0 : 1;
}

bool writeWholeFile(const fs::path& path, const std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && written;
}

// First run: create Config/Kalto.cfg with the defaults. A configuration that exists, even as
// a dangling link, belongs to the user and is left alone.
int writeDefaultConfig(const std::string& emuDir) {
    if (envFlag("KALTO_SIM_NO_CONFIG"))
        return 0;

    const fs::path dir = fs::path(emuDir) / "Config";
    const fs::path cfg = dir / "Kalto.cfg";
    std::error_code ec;
    if (fs::exists(fs::symlink_status(cfg, ec)))
        return 0;
    fs::create_directories(dir, ec);
    if (ec) {
        warn("cannot create " + dir.string() + ": " + ec.message());
        return 1;
    }

    const fs::path temp = dir / ("Kalto.cfg.tmp" + std::to_string(::getpid()));
    if (!writeWholeFile(temp, sk::defaultKaltoCfg())) {
        warn("cannot write " + temp.string() + ": " + std::strerror(errno));
        fs::remove(temp, ec);
        return 1;
    }
    // link() refuses to replace a file that another run created meanwhile; rename() would not.
    int result = 0;
    if (::link(temp.c_str(), cfg.c_str()) != 0 && errno != EEXIST) {
        const int linkErrno = errno;
        // Some file systems have no hard links; fall back to a rename.
        if ((linkErrno != EPERM && linkErrno != ENOTSUP && linkErrno != EOPNOTSUPP) ||
            fs::exists(fs::symlink_status(cfg, ec)) || ::rename(temp.c_str(), cfg.c_str()) != 0) {
            warn("cannot create " + cfg.string() + ": " + std::strerror(linkErrno));
            result = 1;
        }
    }
    fs::remove(temp, ec);
    return result;
}

int runGame(const std::string& zip) {
    warn("starting " + zip);
    return 0;
}

// Reads the command line; returns false on a usage error.
bool parseArguments(const std::vector<std::string>& args, Invocation& inv) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-listinfo") {
            inv.listInfo = true;
        } else if (arg == "-nogui") {
            inv.noGui = true;
        } else if (arg == "-game") {
            if (i + 1 >= args.size()) {
                warn("-game needs a set name");
                return false;
            }
            inv.game = args[++i];
        } else {
            warn("ignoring unknown option " + arg);
        }
    }
    return true;
}

int perform(const Invocation& inv) {
    if (inv.listInfo)
        return listInfo();
    if (inv.game)
        return runGame(*inv.game);
    if (inv.noGui)
        return writeDefaultConfig(inv.emuDir);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    appendRunLog(args);

    Invocation inv;
    inv.emuDir = emulatorDir(argc > 0 ? argv[0] : nullptr);
    const int status = parseArguments(args, inv) ? perform(inv) : 1;

    sleepIfAsked();
    return status;
}
