// The TrueType font files of the device: those of the ROM file table and those found anywhere in
// the file system, which of them the system loads, and their full names.
#pragma once
#include <windows.h>

#include <array>

// One font file: a file of the ROM file table, or a file of the file system.
class FontFileEntry {
public:
    static constexpr int kPathChars = MAX_PATH;
    static constexpr int kFullNameChars = 64;

    FontFileEntry();
    ~FontFileEntry();
    // A copy never shares the file's bytes: the copy's content is null.
    FontFileEntry(const FontFileEntry& other);
    FontFileEntry& operator=(const FontFileEntry& other);

    // Clears everything but the full name.
    void Reset();
    // From a file-system path, which must fit `path` whole: 0 or a Win32 error code.
    DWORD InitFromPath(const wchar_t* filePath);
    // From the index-th file of the ROM file table: 0 or a Win32 error code.
    DWORD InitFromRomIndex(DWORD index);

    // The name under which the file can be opened, copied, moved or deleted.
    const wchar_t* RealPath() const;
    const wchar_t* FileName() const { return path + nameOffset; }
    // "ttf" or "ttc", without regard to case.
    bool HasFontExtension() const;

    // The whole file, read once into memory; null when it cannot be read (or is empty).
    const BYTE* LoadContent();
    void ReleaseContent();
    // The full font name, read at the first call: " " when the file has none that can be read.
    const wchar_t* FullName();

    wchar_t path[kPathChars];   // display path: a file-system path, or "rom://" and a name or path
    int romIndex = 0;           // index in the ROM file table; -1 for a file of the file system
    DWORD size = 0;
    int extOffset = 0;          // index in `path` just after the last "."; 0 when none
    int nameOffset = 0;         // index in `path` of the file name
    BYTE* content = nullptr;    // owned, while the file is being read
    bool overridesRom = false;  // a file in \Windows named like a ROM font file
    bool sameSizeTwin = false;  // another catalogued file has exactly this size (not yet the same bytes)
    bool inRom = false;         // a file-system file that lies in ROM
    bool active = false;        // the system loads it
    wchar_t fullName[kFullNameChars];
};

// Every font file of the device, ROM files first in table order, then the file system's in the
// order of a depth-first scan. At most kMaxFiles; the rest are dropped.
class FontCatalogue {
public:
    static constexpr int kMaxFiles = 128;
    static constexpr DWORD kMaxRomFiles = 2048;

    void Clear();
    // Copies the entry in; an active file-system entry named exactly like a ROM font overrides it.
    void Add(const FontFileEntry& entry);
    // Adds every font file below the folder ("" for the root), at any depth. A path too long for
    // an entry is skipped, never cut.
    void ScanDirectory(const wchar_t* directory);
    // The whole catalogue anew. On 4.21 and later, files the file system reports as lying in ROM
    // are left to the ROM file table.
    void Rebuild(bool isVersion421);
    // Whether another catalogued file holds the same bytes as the entry, a copy that stands for
    // its backup. Only files of its size (`sameSizeTwin`) are read, and only until one differs.
    bool HasCopyOf(FontFileEntry& entry);

    int count = 0;
    std::array<FontFileEntry, kMaxFiles> entries;

private:
    bool skipInRomFiles_ = false;
};
