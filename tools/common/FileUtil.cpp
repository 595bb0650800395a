#include "FileUtil.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace sk {

bool writeFileAtomically(const std::string& path, const std::string& data, std::string* error) {
    auto fail = [&](const std::string& what, int err) {
        if (error)
            *error = what + ": " + std::strerror(err);
        return false;
    };

    const std::string temp = path + ".tmp" + std::to_string(::getpid());
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f)
        return fail("cannot create " + temp, errno);
    int err = 0;
    if (std::fwrite(data.data(), 1, data.size(), f) != data.size())
        err = errno ? errno : EIO;
    if (std::fclose(f) != 0 && err == 0)
        err = errno ? errno : EIO;
    if (err != 0) {
        std::remove(temp.c_str());
        return fail("cannot write " + temp, err);
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        err = errno;
        std::remove(temp.c_str());
        return fail("cannot replace " + path, err);
    }
    return true;
}

bool installExecutable(const std::string& source, const std::string& target, std::string* error) {
    namespace fs = std::filesystem;
    const std::string temp = target + ".new";
    std::error_code ec;
    fs::copy_file(source, temp, fs::copy_options::overwrite_existing, ec);
    if (!ec)
        fs::permissions(temp, fs::perms(0755), ec);
    if (!ec)
        fs::rename(temp, target, ec);
    if (ec) {
        if (error)
            *error = "cannot install " + source + " as " + target + ": " + ec.message();
        std::error_code ignored;
        fs::remove(temp, ignored);
        return false;
    }
    return true;
}

} // namespace sk
