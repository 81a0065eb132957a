// assetgen FOLDER: writes every font and bitmap the plug-ins name into FOLDER.
#include <filesystem>
#include <fstream>
#include <iostream>

#include "tools/assetgen/catalogue.h"

int main(int argc, char **argv) {
    if (argc != 2) {
        std::cerr << "usage: assetgen FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    try {
        std::filesystem::create_directories(folder);
        for (const auto &file : assetgen::build_catalogue()) {
            const auto path = folder / file.name;
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char *>(file.bytes.data()), std::streamsize(file.bytes.size()));
            if (!out.flush()) {
                std::cerr << "assetgen: cannot write " << path.string() << '\n';
                return 1;
            }
        }
    } catch (const std::exception &e) {
        std::cerr << "assetgen: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
