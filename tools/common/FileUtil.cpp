#include "FileUtil.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
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

} // namespace sk
