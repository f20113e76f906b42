#pragma once
// Where element sets come from: a URL, downloaded by the curl program, or a file.
#include <filesystem>
#include <string>
#include <string_view>

namespace station {

// The whole content of a source, or why it could not be had.
struct SourceText {
    bool ok = false;
    std::string text;
    std::string error;  // the reason, in one line, when not ok
};

class Downloader {
public:
    virtual ~Downloader() = default;
    virtual SourceText download(const std::string& url) = 0;
};

// Runs curl without a shell (--fail --silent --show-error --location --max-time 60), its
// output going to a temporary file; a failure gives curl's own message.
class CurlDownloader : public Downloader {
public:
    SourceText download(const std::string& url) override;
};

// http://, https:// and ftp:// sources are downloaded; anything else is a file path.
bool isUrl(std::string_view source);

// A file named relative to the directory (or by an absolute path).
SourceText readSourceFile(const std::filesystem::path& directory, const std::string& path);

}  // namespace station
