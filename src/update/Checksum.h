#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/FileOperations.h"

namespace orvane {

// The engine's checksum: the reflected CRC-32 table with each step's term added to the running value
// instead of replacing it. Start value 0xFFFFFFFF, final complement. Control files carry this value.
std::uint32_t AdditiveCrc32Update(std::uint32_t state, const unsigned char* data, size_t size);
// The standard CRC-32 over a buffer, for comparison only.
std::uint32_t StandardCrc32(const unsigned char* data, size_t size);

std::int32_t FileCRC32(const std::wstring& path);    // 0 when the file cannot be opened or is empty
std::int32_t FileByteSum(const std::wstring& path);  // -1 when the file cannot be opened or is empty
std::int32_t FileSizeOf(const std::wstring& path);   // low 32 bits of the size; 0 when it cannot be opened

// The same, reading through the engine's file service.
std::int32_t FileCRC32(IFileOperations& files, const std::wstring& path);
std::int32_t FileByteSum(IFileOperations& files, const std::wstring& path);
std::int32_t FileSizeOf(IFileOperations& files, const std::wstring& path);

}  // namespace orvane
