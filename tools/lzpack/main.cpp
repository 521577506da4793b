// orvane-lzpack INPUT OUTPUT: compresses INPUT into the LZ format the system's LZ32 expands, the header
// naming INPUT's last character so that OUTPUT (name ending in "_") expands back to INPUT's name.
// Runs on the build machine; the result is read back before it is written.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "update/Szdd.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: orvane-lzpack INPUT OUTPUT\n";
        return 2;
    }
    const std::string input = argv[1], output = argv[2];
    std::ifstream in(input, std::ios::binary);
    if (!in) {
        std::cerr << input << ": cannot be read\n";
        return 1;
    }
    const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (data.size() > 0xFFFFFFFFu) {
        std::cerr << input << ": too large for the format\n";
        return 1;
    }
    const char missing = input.back();
    const std::string packed = orvane::SzddCompress(data, missing);
    const orvane::TSzddResult check = orvane::SzddDecompress(packed, data.size());
    if (!check.ok() || check.data != data || check.header.missingChar != missing) {
        std::cerr << input << ": the compressed form does not read back\n";
        return 1;
    }
    const std::string temporary = output + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(packed.data(), std::streamsize(packed.size()));
        if (!out.flush()) {
            std::cerr << temporary << ": cannot be written\n";
            return 1;
        }
    }
    if (std::rename(temporary.c_str(), output.c_str()) != 0) {
        std::cerr << output << ": cannot be written\n";
        return 1;
    }
    std::cout << input << ": " << data.size() << " -> " << packed.size() << " bytes, missing character '"
              << missing << "'\n";
    return 0;
}
