#include "FileUtil.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace sk {

namespace {

void setError(std::string* error, const std::string& what, int err) {
    if (error)
        *error = what + ": " + std::strerror(err);
}

// Writes the temporary file beside `path`; returns its name, or an empty name on failure.
std::string writeTemporary(const std::string& path, const std::string& data, std::string* error) {
    const std::string temp = path + ".tmp" + std::to_string(::getpid());
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) {
        setError(error, "cannot create " + temp, errno);
        return {};
    }
    int err = 0;
    if (std::fwrite(data.data(), 1, data.size(), f) != data.size())
        err = errno ? errno : EIO;
    if (std::fclose(f) != 0 && err == 0)
        err = errno ? errno : EIO;
    if (err != 0) {
        std::remove(temp.c_str());
        setError(error, "cannot write " + temp, err);
        return {};
    }
    return temp;
}

} // namespace

bool writeFileAtomically(const std::string& path, const std::string& data, std::string* error) {
    const std::string temp = writeTemporary(path, data, error);
    if (temp.empty())
        return false;
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        std::remove(temp.c_str());
        setError(error, "cannot replace " + path, err);
        return false;
    }
    return true;
}

CreateResult createFileExclusively(const std::string& path, const std::string& data,
                                   std::string* error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(path, ec)))
        return CreateResult::Exists;
    const std::string temp = writeTemporary(path, data, error);
    if (temp.empty())
        return CreateResult::Failed;

    // link() refuses to replace a file that another writer created meanwhile; rename() would not.
    CreateResult result = CreateResult::Created;
    if (::link(temp.c_str(), path.c_str()) != 0) {
        const int linkErrno = errno;
        if (linkErrno == EEXIST) {
            result = CreateResult::Exists;
        } else if (linkErrno != EPERM && linkErrno != ENOTSUP && linkErrno != EOPNOTSUPP) {
            setError(error, "cannot create " + path, linkErrno);
            result = CreateResult::Failed;
        } else if (fs::exists(fs::symlink_status(path, ec))) {
            // A file system without hard links: rename, after a last look for the name.
            result = CreateResult::Exists;
        } else if (::rename(temp.c_str(), path.c_str()) != 0) {
            setError(error, "cannot create " + path, errno);
            result = CreateResult::Failed;
        }
    }
    std::remove(temp.c_str());
    return result;
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
