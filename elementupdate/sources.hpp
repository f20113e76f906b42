#pragma once
// Where element sets come from: a URL, downloaded by the curl program, or a file.
#include <filesystem>
#include <string>
#include <string_view>

namespace station {

// The whole content of a source, or why it could not be had. A download that got an answer is
// ok whatever its HTTP status; the caller judges the status.
struct SourceText {
    bool ok = false;
    std::string text;
    std::string error;         // the reason, in one line, when not ok
    int status = 0;            // the HTTP status of a download; 0 for files and other protocols
    std::string lastModified;  // the Last-Modified header of a download, as the server sent it

    static SourceText read(std::string text, int status = 0, std::string lastModified = {}) {
        return {true, std::move(text), {}, status, std::move(lastModified)};
    }
    static SourceText failed(std::string error) { return {false, {}, std::move(error), 0, {}}; }
};

class Downloader {
public:
    virtual ~Downloader() = default;
    // A conditional request (If-Modified-Since) when `ifModifiedSince` is not empty.
    virtual SourceText download(const std::string& url, const std::string& ifModifiedSince) = 0;
};

// Runs curl without a shell (--silent --show-error --location --max-time 60), the body going to
// a temporary file and the headers to another, from which the status and Last-Modified of the
// last answer are read; a failure without an answer gives curl's own message.
class CurlDownloader : public Downloader {
public:
    SourceText download(const std::string& url, const std::string& ifModifiedSince) override;
};

// The HTTP status and Last-Modified of the last answer in a header dump (redirections come
// first); status 0 when there is none.
void readResponseHeaders(std::string_view headers, SourceText& result);

// http://, https:// and ftp:// sources are downloaded; anything else is a file path.
bool isUrl(std::string_view source);

// A file named relative to the directory (or by an absolute path).
SourceText readSourceFile(const std::filesystem::path& directory, const std::string& path);

}  // namespace station
