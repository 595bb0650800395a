#include "StoredZip.h"

#include "FileUtil.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <unistd.h>
#include <zip.h>

namespace sk {

namespace {

// 1980-01-01 00:00, the earliest DOS date: a fixed timestamp keeps archives byte-identical
// between runs, so regenerated demo and test data do not look modified.
constexpr zip_uint16_t kDosTime = 0;
constexpr zip_uint16_t kDosDate = (0 << 9) | (1 << 5) | 1;

// libzip removes an archive that ends up with no entries instead of writing it; an empty
// archive is its end record alone.
const std::string kEmptyArchive = std::string("PK\x05\x06", 4) + std::string(18, '\0');

struct ZipDiscard {
    void operator()(zip_t* za) const { zip_discard(za); }
};
struct SourceFree {
    void operator()(zip_source_t* src) const { zip_source_free(src); }
};
using ZipPtr = std::unique_ptr<zip_t, ZipDiscard>;
using SourcePtr = std::unique_ptr<zip_source_t, SourceFree>;

bool fail(std::string* error, const std::string& message) {
    if (error)
        *error = message;
    return false;
}

std::string errorText(zip_error_t* ze) {
    return zip_error_strerror(ze);
}

bool checkNames(const std::vector<ZipEntry>& entries, std::string* error) {
    std::set<std::string> seen;
    for (const ZipEntry& e : entries) {
        if (e.name.empty() || e.name.size() > 0xFFFF)
            return fail(error, "zip entry name is empty or too long");
        if (e.name.front() == '/' || e.name.find('\\') != std::string::npos)
            return fail(error, "zip entry name must be relative and '/' separated: " + e.name);
        if (!seen.insert(e.name).second)
            return fail(error, "duplicate zip entry: " + e.name);
    }
    return true;
}

// Adds the entries, stored and with the fixed timestamp. libzip reads the data only inside
// zip_close, so `entries` must outlive that call.
bool addEntries(zip_t* za, const std::vector<ZipEntry>& entries, std::string* error) {
    for (const ZipEntry& e : entries) {
        zip_source_t* src = zip_source_buffer(za, e.data.data(), e.data.size(), 0);
        if (!src)
            return fail(error, "cannot add " + e.name + ": " + zip_strerror(za));
        const zip_int64_t index = zip_file_add(za, e.name.c_str(), src, ZIP_FL_ENC_GUESS);
        if (index < 0) {
            zip_source_free(src);
            return fail(error, "cannot add " + e.name + ": " + zip_strerror(za));
        }
        const auto i = static_cast<zip_uint64_t>(index);
        if (zip_set_file_compression(za, i, ZIP_CM_STORE, 0) != 0 ||
            zip_file_set_dostime(za, i, kDosTime, kDosDate, 0) != 0)
            return fail(error, "cannot add " + e.name + ": " + zip_strerror(za));
    }
    return true;
}

// Closes an archive opened for writing; on failure the archive is discarded.
bool closeArchive(ZipPtr& za, const std::string& what, std::string* error) {
    if (zip_close(za.get()) != 0)
        return fail(error, "cannot write " + what + ": " + zip_strerror(za.get()));
    za.release(); // zip_close freed it
    return true;
}

} // namespace

bool writeStoredZip(const std::string& path, const std::vector<ZipEntry>& entries,
                    std::string* error) {
    if (!checkNames(entries, error))
        return false;
    if (entries.empty())
        return writeFileAtomically(path, kEmptyArchive, error);

    const std::string temp = path + ".tmp" + std::to_string(::getpid());
    int code = 0;
    ZipPtr za(zip_open(temp.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code));
    if (!za) {
        zip_error_t ze;
        zip_error_init_with_code(&ze, code);
        const std::string message = "cannot create " + temp + ": " + errorText(&ze);
        zip_error_fini(&ze);
        return fail(error, message);
    }
    if (!addEntries(za.get(), entries, error) || !closeArchive(za, temp, error)) {
        za.reset();
        std::remove(temp.c_str());
        return false;
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        std::remove(temp.c_str());
        return fail(error, "cannot replace " + path + ": " + std::strerror(err));
    }
    return true;
}

bool buildStoredZip(const std::vector<ZipEntry>& entries, std::string& out, std::string* error) {
    out.clear();
    if (!checkNames(entries, error))
        return false;
    if (entries.empty()) {
        out = kEmptyArchive;
        return true;
    }

    zip_error_t ze;
    zip_error_init(&ze);
    SourcePtr buffer(zip_source_buffer_create(nullptr, 0, 0, &ze));
    ZipPtr za(buffer ? zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &ze) : nullptr);
    if (!za) {
        const std::string message = "cannot make an archive in memory: " + errorText(&ze);
        zip_error_fini(&ze);
        return fail(error, message);
    }
    zip_error_fini(&ze);
    // The archive takes over one reference to the buffer; this one keeps it for reading back.
    zip_source_keep(buffer.get());
    if (!addEntries(za.get(), entries, error) || !closeArchive(za, "the archive", error))
        return false;

    if (zip_source_open(buffer.get()) != 0)
        return fail(error, std::string("cannot read the archive back: ") +
                               errorText(zip_source_error(buffer.get())));
    char chunk[1 << 14];
    zip_int64_t n = 0;
    while ((n = zip_source_read(buffer.get(), chunk, sizeof chunk)) > 0)
        out.append(chunk, static_cast<size_t>(n));
    zip_source_close(buffer.get());
    if (n < 0) {
        out.clear();
        return fail(error, std::string("cannot read the archive back: ") +
                               errorText(zip_source_error(buffer.get())));
    }
    return true;
}

} // namespace sk
