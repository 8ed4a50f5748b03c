// Microsoft cabinets, read and written in memory through the system's cabinet library (FDI and
// FCI of cabinet.dll, loaded at first use so that start-up does not pay for it).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct CabinetMember {
    std::string name;   // as stored: the cabinet keeps single-byte names
    std::vector<uint8_t> bytes;
};

enum class CabinetError {
    None,
    NoLibrary,    // cabinet.dll or one of its calls is missing
    NotCabinet,   // the bytes do not start as a cabinet
    Damaged,      // a cabinet, but cut short, spread over several files or its data unreadable
    TooLarge,     // its members together exceed kMaxCabinetBytes
    WriteFailed,
};

// Members larger than this, together, are not read.
inline constexpr size_t kMaxCabinetBytes = 32u << 20;

// Every member of a cabinet of one part, in the cabinet's order.
CabinetError ReadCabinet(const uint8_t* bytes, size_t size, std::vector<CabinetMember>& members);

// A cabinet of one part and one folder holding the members in the given order, uncompressed,
// every member dated 1 January 2003 with the archive attribute, so the same members give the
// same bytes.
CabinetError WriteCabinet(const std::vector<CabinetMember>& members, std::vector<uint8_t>& out);
