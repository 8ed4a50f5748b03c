// The instruction file of a Windows CE installation cabinet (member 000, "MSCE"): what the
// device's installer copies where, which registry values it sets and which shortcuts it makes.
// Read from bytes and written to bytes, free of any window-system or file call, so that a fuzzer
// drives the reader. The cabinet around it is the platform layer's (platform/cabinet.h).
//
// The layout: a 100-byte header of little-endian counts and offsets, then the application name,
// the provider, the unsupported platforms, and the tables of strings, folders, files, registry
// hives, registry values and shortcuts, wherever the header says. Folder, hive and shortcut paths
// are lists of string ids, joined with backslashes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Registry roots of a hive.
enum CeRoot : uint16_t { kCeRootClasses = 1, kCeRootCurrentUser = 2, kCeRootLocalMachine = 3, kCeRootUsers = 4 };

// Value types and flags of a registry entry.
inline constexpr uint32_t kCeTypeMask = 0x00010001;
inline constexpr uint32_t kCeDword = 0x00010001;
inline constexpr uint32_t kCeString = 0x00000000;
inline constexpr uint32_t kCeMultiString = 0x00010000;
inline constexpr uint32_t kCeBinary = 0x00000001;
inline constexpr uint32_t kCeNoClobber = 0x00000002;

// File flags.
inline constexpr uint32_t kCeFileShared = 0x80000000;
inline constexpr uint32_t kCeFileOverwrite = 0x40000000;

inline constexpr size_t kCeHeaderBytes = 100;

struct CeSetup {
    // Header fields, kept as read so that a file written again keeps them.
    uint32_t unknown4 = 0;
    uint32_t unknown12 = 0;
    uint32_t unknown16 = 1;
    uint32_t processor = 0;   // 0: any
    uint32_t minVersionMajor = 0, minVersionMinor = 0, maxVersionMajor = 0, maxVersionMinor = 0;
    uint32_t minBuild = 0, maxBuild = 0;
    uint16_t unknown96 = 0, unknown98 = 0;

    std::string appName;
    std::string provider;
    std::vector<std::string> unsupported;   // platform names

    struct String { uint16_t id; std::string text; bool operator==(const String&) const = default; };
    struct Dir { uint16_t id; std::vector<uint16_t> path; bool operator==(const Dir&) const = default; };
    struct File {
        uint16_t fileId;   // the cabinet member with this number
        uint16_t dirId;
        uint16_t unknown;  // usually the file id
        uint32_t flags;
        std::string name;  // the installed name
        bool operator==(const File&) const = default;
    };
    struct Hive {
        uint16_t id; uint16_t root; uint16_t unknown; std::vector<uint16_t> path;
        bool operator==(const Hive&) const = default;
    };
    struct RegValue {
        uint16_t id;
        uint16_t hiveId;
        uint16_t substitute;   // 1: %InstallDir% and %CEn% are replaced in the data
        uint32_t typeFlags;
        std::string name;      // empty: the key's default value
        std::vector<uint8_t> data;   // after the name: 4 bytes, a string with its NUL, strings ended by an empty one, or bytes
        bool operator==(const RegValue&) const = default;
    };
    struct Link { uint16_t id; uint16_t unknown; uint16_t baseDir; uint16_t targetId; uint16_t targetKind;
                  std::vector<uint16_t> path; bool operator==(const Link&) const = default; };

    std::vector<String> strings;
    std::vector<Dir> dirs;
    std::vector<File> files;
    std::vector<Hive> hives;
    std::vector<RegValue> values;
    std::vector<Link> links;

    // The text of a string id, or null.
    const std::string* Text(uint16_t id) const;
    // A path's strings joined with backslashes; nullopt when one of its ids names no string.
    std::optional<std::string> JoinPath(const std::vector<uint16_t>& path) const;
    const Dir* FindDir(uint16_t id) const;
    const Hive* FindHive(uint16_t id) const;
    // The id of a string with this exact text, added when there is none.
    uint16_t AddString(const std::string& text);

    bool operator==(const CeSetup&) const = default;
};

// Why bytes are no instruction file.
enum class CeSetupError {
    None,
    TooShort,         // fewer bytes than the header, or than the header's length field
    NoSignature,      // no "MSCE" at the start
    OutsideFile,      // a count or offset puts a table, an entry or a text outside the file
    UnendedString,    // a text without its NUL inside its length
    BadPath,          // a path whose length is odd or that holds no ending 0
};

struct CeSetupRead {
    CeSetupError error = CeSetupError::None;
    CeSetup setup;
};

// Reads an instruction file. Every field read lies inside bytes[0, size); a text ends at its first
// NUL, which must lie inside its given length; a path is its ids up to its ending 0.
CeSetupRead ReadCeSetup(const uint8_t* bytes, size_t size);

// Writes an instruction file: the header, then the texts and tables in the documented order with
// no padding between entries, the header's length the whole file's. Texts longer than 65534
// bytes, and tables of more than 65535 entries, are cut.
std::vector<uint8_t> WriteCeSetup(const CeSetup& setup);
