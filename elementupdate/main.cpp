#include "elementupdate/update.hpp"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    station::Files files;
    station::CurlDownloader downloader;
    return station::runElementUpdate(std::vector<std::string>(argv + 1, argv + argc), files, downloader,
                                     std::cout, std::cerr);
}
