#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/CodePage.h"

namespace orvane {

// One member as the cabinet's file table lists it.
struct TCabinetMember {
    std::string name;  // raw bytes: UTF-8 when attribs has 0x80, else the 8-bit code page
    std::uint32_t size = 0;
    std::uint32_t folderOffset = 0;
    std::uint16_t folderIndex = 0;
    std::uint16_t date = 0, time = 0, attribs = 0;
};

struct TCabinetCheck {
    bool ok = false;
    std::wstring reason;  // why the cabinet is refused; empty when ok
    std::uint16_t flags = 0;
    std::uint16_t folderCount = 0;
    std::vector<TCabinetMember> members;
};

// Reads SIZE bytes at OFFSET into OUT; false when they are not all there.
using CabinetReader = std::function<bool(std::uint64_t offset, void* out, size_t size)>;

// Checks the header, the folder table, each folder's data blocks and the file table before the
// system's extractor is given the file, which trusts them and can crash on lies.
TCabinetCheck CheckCabinet(const CabinetReader& read, std::uint64_t fileSize);
TCabinetCheck CheckCabinetBytes(std::string_view bytes);
TCabinetCheck CheckCabinetFile(const std::wstring& path);

// A member name that stays inside the target folder as a plain file: no "..", ".", empty parts,
// roots, drives, UNC or device-namespace prefixes, device names, streams, trailing dots or blanks,
// characters a file name cannot hold.
bool IsSafeMemberName(std::wstring_view name);
std::wstring MemberNameText(const TCabinetMember& member, const IAnsiCodePage& ansi);
// Where a member goes: the folder to create and the file to write. The target ends with "\"
// (empty means the current folder); "/" in a name is a separator too. nullopt for an unsafe name.
struct TCabinetDestination {
    std::wstring folder;
    std::wstring file;
};
std::optional<TCabinetDestination> CabinetDestination(const std::wstring& target, std::wstring_view memberName);

// The first member whose name is unsafe, or nullptr.
const TCabinetMember* FirstUnsafeMember(const TCabinetCheck& cabinet, const IAnsiCodePage& ansi);

}  // namespace orvane
