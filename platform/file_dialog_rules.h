// What the file dialogs decide without a window: the caller's type filter, the name a Save
// accepts and the path it makes of it, and the order of the Open list. Nothing here touches the
// file system or the window system.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

// One type of the caller's filter: its label and its patterns ("*.ov;*.txt").
struct FileType {
    std::wstring label;
    std::vector<std::wstring> patterns;
};

// The caller's filter: pairs of NUL-terminated label and patterns (";" between patterns, spaces
// around them dropped), ended by an empty string. A label without patterns ends the list, a type
// with no pattern is left out, at most 64 types are read; no type at all gives one "*.*".
std::vector<FileType> ReadFileTypes(const wchar_t* filter);
// A file name against one pattern with "*" and "?", letter case ignored; "*.*" takes any name.
bool MatchesPattern(std::wstring_view name, std::wstring_view pattern);
bool MatchesType(std::wstring_view name, const FileType& type);
// The extension a Save adds for a type, from its first pattern: ".ov" for "*.ov"; none for "*.*"
// or a pattern with more wildcards.
std::wstring TypeExtension(const FileType& type);

// ---- The name typed into Save ------------------------------------------------------------------
enum class NameProblem { kNone, kEmpty, kBadCharacters, kDeviceName };
// The typed name as the file system would keep it: leading spaces and trailing dots and spaces
// dropped.
std::wstring TrimTypedName(std::wstring_view typed);
// What is wrong with a trimmed name: nothing, empty, a character no file name may hold
// (\ / : * ? " < > | and control characters), or the name of a device (CON, NUL.ov, ...), which
// takes what is written to it and keeps nothing.
NameProblem CheckFileName(std::wstring_view name);
// The name with the type's extension added unless it ends with it already; a type without one
// adds the caller's default extension (no dot, may be null) to a name without a dot.
std::wstring NameWithExtension(std::wstring name, const std::wstring& typeExtension, const wchar_t* defaultExtension);

// ---- The Open list -----------------------------------------------------------------------------
enum FileColumn { kNameColumn, kFolderColumn, kDateColumn, kSizeColumn, kColumnCount };

struct FileEntry {
    std::wstring name;
    std::wstring folder;   // the list's Folder column
    std::wstring path;
    FILETIME written;
    ULONGLONG size;
};

// The list's order: by a column, ties by name (letter case ignored), ascending or descending.
// A tap on the sorting column turns the order round; a tap on another sorts by it ascending.
struct SortOrder {
    int column = kNameColumn;
    bool down = false;
    void Tap(int tapped);
};
void SortEntries(std::vector<FileEntry>& entries, SortOrder order);
