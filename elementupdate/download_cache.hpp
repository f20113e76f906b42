#pragma once
// The last copy of each downloaded source, kept in the station directory so that a source is
// fetched again only when it may have changed: when it was fetched and the Last-Modified the
// server gave it travel with the copy.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "console/files.hpp"

namespace station {

inline constexpr std::string_view downloadCacheFolder = "ELEMENTS.CACHE";

struct CachedDownload {
    std::string url;
    std::int64_t fetchedAt = 0;  // seconds since 1970, UTC
    std::string lastModified;    // as the server sent it; empty when it sent none
    std::string text;
};

class DownloadCache {
public:
    // The cache folder of a station directory.
    explicit DownloadCache(const std::filesystem::path& stationDirectory);

    std::optional<CachedDownload> find(const std::string& url) const;
    // Replaces the copy and its record, each atomically; the copy first, so a record never
    // describes an older copy.
    WriteResult store(const CachedDownload& download) const;

private:
    std::filesystem::path folder_;
};

}  // namespace station
