// orvane-lzpack INPUT OUTPUT: compresses INPUT into the LZ format the system's LZ32 expands, the header
// naming INPUT's last character so that OUTPUT (name ending in "_") expands back to INPUT's name.
// Runs on the build machine; the result is read back before it is written.
// orvane-lzpack --from-res RESFILE NAME OUTPUT: finds the RCDATA resource NAME in a compiled resource
// file (what windres makes of an executable) and expands it, for the checks of the built program.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "update/Szdd.h"

namespace {

std::string ReadFile(const std::string& path, bool& ok) {
    std::ifstream in(path, std::ios::binary);
    ok = bool(in);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::uint32_t U32(const std::string& b, size_t at) {
    return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(b[at + 2])) << 16 | std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}
std::uint16_t U16(const std::string& b, size_t at) {
    return std::uint16_t(std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8);
}

// A type or name field of a resource header: 0xFFFF and a number, or a UTF-16 string (ASCII here).
std::string Field(const std::string& b, size_t& at, size_t end) {
    if (at + 4 <= end && U16(b, at) == 0xFFFF) {
        const std::string id = "#" + std::to_string(U16(b, at + 2));
        at += 4;
        return id;
    }
    std::string text;
    while (at + 2 <= end && U16(b, at) != 0) {
        text += char(U16(b, at) & 0x7F);
        at += 2;
    }
    at += 2;
    return text;
}

int FromResources(const std::string& resFile, const std::string& name, const std::string& output) {
    bool ok = false;
    const std::string res = ReadFile(resFile, ok);
    if (!ok) {
        std::cerr << resFile << ": cannot be read\n";
        return 1;
    }
    for (size_t at = 0; at + 8 <= res.size();) {
        const std::uint32_t dataSize = U32(res, at), headerSize = U32(res, at + 4);
        if (headerSize < 8 || at + headerSize + dataSize > res.size()) break;
        size_t field = at + 8;
        const std::string type = Field(res, field, at + headerSize);
        const std::string resourceName = Field(res, field, at + headerSize);
        if (type == "#10" && resourceName == name) {
            const orvane::TSzddResult r =
                orvane::SzddDecompress(std::string_view(res).substr(at + headerSize, dataSize));
            if (!r.ok()) {
                std::cerr << name << ": not whole LZ data\n";
                return 1;
            }
            if (r.header.missingChar != 'e') {
                std::cerr << name << ": the header does not name the missing character 'e'\n";
                return 1;
            }
            std::ofstream out(output, std::ios::binary | std::ios::trunc);
            out.write(r.data.data(), std::streamsize(r.data.size()));
            return out.flush() ? 0 : 1;
        }
        at += (headerSize + dataSize + 3) & ~size_t(3);
    }
    std::cerr << resFile << ": no RCDATA resource " << name << "\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--from-res") return FromResources(argv[2], argv[3], argv[4]);
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
    std::cout << input << ": " << data.size() << " -> " << packed.size() << " bytes, missing character '" << missing
              << "'\n";
    return 0;
}
