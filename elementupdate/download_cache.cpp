#include "elementupdate/download_cache.hpp"

#include "text/numbers.hpp"

#include <cstdio>
#include <system_error>

namespace station {

namespace {

// Files named by a hash of the URL; the record repeats the URL, so two URLs of one hash never
// take each other's copy.
std::string fileStem(const std::string& url) {
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a, 64 bits
    for (unsigned char c : url) {
        hash = (hash ^ c) * 1099511628211ull;
    }
    char stem[17];
    std::snprintf(stem, sizeof stem, "%016llx", static_cast<unsigned long long>(hash));
    return stem;
}

}  // namespace

DownloadCache::DownloadCache(const std::filesystem::path& stationDirectory)
    : folder_(stationDirectory / downloadCacheFolder) {}

std::optional<CachedDownload> DownloadCache::find(const std::string& url) const {
    const Files files(folder_);
    const std::string stem = fileStem(url);
    const std::optional<std::string> record = files.readText(stem + ".INF");
    if (!record) {
        return std::nullopt;
    }
    // URL, fetch time, Last-Modified: one a line.
    const std::vector<std::string> lines = splitLines(*record);
    if (lines.size() < 2 || lines[0] != url) {
        return std::nullopt;
    }
    std::optional<std::string> text = files.readText(stem + ".TXT");
    if (!text) {
        return std::nullopt;
    }
    return CachedDownload{url, static_cast<std::int64_t>(leadingNumber(lines[1])),
                          lines.size() > 2 ? lines[2] : "", std::move(*text)};
}

WriteResult DownloadCache::store(const CachedDownload& download) const {
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error) {
        return {error.message()};
    }
    const Files files(folder_);
    const std::string stem = fileStem(download.url);
    if (WriteResult written = files.replace(stem + ".TXT", download.text); !written) {
        return written;
    }
    return files.replace(stem + ".INF", download.url + "\n" + std::to_string(download.fetchedAt) + "\n" +
                                            download.lastModified + "\n");
}

}  // namespace station
