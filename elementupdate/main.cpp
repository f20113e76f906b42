#include "elementupdate/update.hpp"

#include <ctime>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    station::Files files;
    station::CurlDownloader downloader;
    return station::runElementUpdate(std::vector<std::string>(argv + 1, argv + argc), files, downloader,
                                     std::time(nullptr), std::cout, std::cerr);
}
