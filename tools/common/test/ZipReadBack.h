#pragma once

// Reads archives back with libzip for the tests, strictly: local and central headers must agree
// and every entry's data must match its recorded size and crc.

#include <cstdint>
#include <string>
#include <vector>
#include <zip.h>

namespace sk::test {

struct ReadBackEntry {
    std::string name;
    std::string data;
    uint32_t crc = 0;    // as the central directory records it
    uint16_t method = 0; // ZIP_CM_STORE, ZIP_CM_DEFLATE, ...
};

// Returns an empty string when the archive is well formed, otherwise what is wrong with it.
inline std::string readZip(const std::string& bytes, std::vector<ReadBackEntry>& entries) {
    entries.clear();
    zip_error_t ze;
    zip_error_init(&ze);
    zip_source_t* src = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &ze);
    zip_t* za = src ? zip_open_from_source(src, ZIP_RDONLY | ZIP_CHECKCONS, &ze) : nullptr;
    if (!za) {
        const std::string problem = std::string("cannot open: ") + zip_error_strerror(&ze);
        zip_error_fini(&ze);
        zip_source_free(src);
        return problem;
    }
    zip_error_fini(&ze);

    std::string problem;
    const zip_int64_t count = zip_get_num_entries(za, 0);
    for (zip_uint64_t i = 0; problem.empty() && i < zip_uint64_t(count); ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(za, i, 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME)) {
            problem = "no directory entry " + std::to_string(i);
            break;
        }
        ReadBackEntry e{st.name, {}, st.crc, st.comp_method};
        zip_file_t* f = zip_fopen_index(za, i, 0);
        if (!f) {
            problem = "cannot open " + e.name + ": " + zip_strerror(za);
            break;
        }
        char chunk[1 << 14];
        zip_int64_t n = 0;
        // libzip checks the crc at the end of the data and fails the read if it differs.
        while ((n = zip_fread(f, chunk, sizeof chunk)) > 0)
            e.data.append(chunk, size_t(n));
        if (n < 0)
            problem = "cannot read " + e.name + ": " + zip_file_strerror(f);
        else if (e.data.size() != st.size)
            problem = "size of " + e.name + " differs from its directory entry";
        zip_fclose(f);
        entries.push_back(std::move(e));
    }
    zip_discard(za);
    return problem;
}

} // namespace sk::test
