// Cabinets in memory. The cabinet library reads and writes through callbacks shaped like the C
// runtime's open, read, write, seek and close; here every "file" is a byte buffer of a Memory
// object that lives for one read or write. FCI hands its callbacks the caller's pointer; FDI does
// not, so the cabinet FDI opens is named after the Memory object that holds it.
#include "platform/cabinet.h"

#include <windows.h>
#include <fcntl.h>
#include <fci.h>
#include <fdi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <list>
#include <map>
#include <memory>

#include "base/handles.h"

namespace {

struct CabinetCalls {
    decltype(&FDICreate) fdiCreate;
    decltype(&FDIIsCabinet) fdiIsCabinet;
    decltype(&FDICopy) fdiCopy;
    decltype(&FDIDestroy) fdiDestroy;
    decltype(&FCICreate) fciCreate;
    decltype(&FCIAddFile) fciAddFile;
    decltype(&FCIFlushCabinet) fciFlushCabinet;
    decltype(&FCIDestroy) fciDestroy;
};

// cabinet.dll, loaded at the first call and kept until the program ends; null when it or one of
// its calls is missing.
const CabinetCalls* Calls() {
    static OwnedModule module(LoadLibraryW(L"cabinet.dll"));
    static const CabinetCalls calls{
        ProcEntry<decltype(&FDICreate)>(module.get(), "FDICreate"),
        ProcEntry<decltype(&FDIIsCabinet)>(module.get(), "FDIIsCabinet"),
        ProcEntry<decltype(&FDICopy)>(module.get(), "FDICopy"),
        ProcEntry<decltype(&FDIDestroy)>(module.get(), "FDIDestroy"),
        ProcEntry<decltype(&FCICreate)>(module.get(), "FCICreate"),
        ProcEntry<decltype(&FCIAddFile)>(module.get(), "FCIAddFile"),
        ProcEntry<decltype(&FCIFlushCabinet)>(module.get(), "FCIFlushCabinet"),
        ProcEntry<decltype(&FCIDestroy)>(module.get(), "FCIDestroy"),
    };
    const bool all = calls.fdiCreate && calls.fdiIsCabinet && calls.fdiCopy && calls.fdiDestroy && calls.fciCreate &&
                     calls.fciAddFile && calls.fciFlushCabinet && calls.fciDestroy;
    return all ? &calls : nullptr;
}

// The buffers of one read or write, by name, and the streams open on them. A handle the library
// holds is a Stream's address; every stream still open goes with the Memory.
struct Memory;
struct Stream {
    Memory* memory;
    std::vector<uint8_t>* data;
    size_t position = 0;
};
struct Memory {
    std::map<std::string, std::vector<uint8_t>> files;
    std::list<Stream> streams;
    int temporaries = 0;
    size_t written = 0;   // bytes written into members being extracted
    bool tooLarge = false;
    std::list<CabinetMember> extracted;   // stable while later members are added
    std::map<Stream*, std::string> extracting;   // streams of members being extracted, with their names

    INT_PTR Open(const std::string& name, int flags) {
        auto found = files.find(name);
        if (found == files.end()) {
            if (!(flags & _O_CREAT)) return -1;
            found = files.emplace(name, std::vector<uint8_t>()).first;
        } else if (flags & _O_EXCL) {
            return -1;
        }
        if (flags & _O_TRUNC) found->second.clear();
        return OpenOn(&found->second);
    }
    INT_PTR OpenOn(std::vector<uint8_t>* data) {
        streams.push_back({this, data, 0});
        return reinterpret_cast<INT_PTR>(&streams.back());
    }
    void Close(Stream* stream) {
        streams.remove_if([stream](const Stream& s) { return &s == stream; });
    }
};

Stream* StreamOf(INT_PTR handle) { return reinterpret_cast<Stream*>(handle); }

// The library is C: nothing may leave a callback as an exception. Out of memory there is the
// callback's failure.
template <typename Result, typename Body>
Result Guarded(Result failure, Body body) {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

UINT Read(INT_PTR handle, void* buffer, UINT count) {
    Stream* s = StreamOf(handle);
    const size_t left = s->position < s->data->size() ? s->data->size() - s->position : 0;
    const size_t n = count < left ? count : left;
    if (n) std::memcpy(buffer, s->data->data() + s->position, n);
    s->position += n;
    return static_cast<UINT>(n);
}

UINT Write(INT_PTR handle, const void* buffer, UINT count) {
    return Guarded(static_cast<UINT>(-1), [&]() -> UINT {
    Stream* s = StreamOf(handle);
    if (s->memory->extracting.count(s)) {
        s->memory->written += count;
        if (s->memory->written > kMaxCabinetBytes) {
            s->memory->tooLarge = true;
            return static_cast<UINT>(-1);
        }
    }
    if (s->position + count > s->data->size()) s->data->resize(s->position + count);
    if (count) std::memcpy(s->data->data() + s->position, buffer, count);
    s->position += count;
    return count;
    });
}

long Seek(INT_PTR handle, long distance, int origin) {
    Stream* s = StreamOf(handle);
    const long long base = origin == SEEK_SET ? 0 : origin == SEEK_CUR ? static_cast<long long>(s->position)
                                                                        : static_cast<long long>(s->data->size());
    const long long to = base + distance;
    if (to < 0) return -1;
    s->position = static_cast<size_t>(to);
    return static_cast<long>(to);
}

// ---- FDI: its callbacks get no caller's pointer. The cabinet's name is "*" and the address of
// the Memory holding it, which its open reads back.
FNALLOC(FdiAlloc) { return std::malloc(cb); }
FNFREE(FdiFree) { std::free(pv); }
FNOPEN(FdiOpen) {
    void* address = nullptr;
    if (!pszFile || pszFile[0] != '*' || std::sscanf(pszFile + 1, "%p", &address) != 1 || !address) return -1;
    return Guarded<INT_PTR>(-1, [&] { return static_cast<Memory*>(address)->Open(pszFile, oflag & ~(_O_CREAT | _O_TRUNC)); });
}
FNREAD(FdiRead) { return Read(hf, pv, cb); }
FNWRITE(FdiWrite) { return Write(hf, pv, cb); }
FNCLOSE(FdiClose) {
    StreamOf(hf)->memory->Close(StreamOf(hf));
    return 0;
}
FNSEEK(FdiSeek) { return Seek(hf, dist, seektype); }

FNFDINOTIFY(FdiNotify) {
    return Guarded<INT_PTR>(-1, [&]() -> INT_PTR {
    auto* memory = static_cast<Memory*>(pfdin->pv);
    switch (fdint) {
    case fdintCOPY_FILE: {
        // Each member into its own buffer of the result, in the cabinet's order.
        memory->extracted.push_back({pfdin->psz1 ? pfdin->psz1 : "", {}});
        const INT_PTR handle = memory->OpenOn(&memory->extracted.back().bytes);
        memory->extracting[StreamOf(handle)] = memory->extracted.back().name;
        return handle;
    }
    case fdintCLOSE_FILE_INFO:
        memory->extracting.erase(StreamOf(pfdin->hf));
        memory->Close(StreamOf(pfdin->hf));
        return TRUE;
    case fdintNEXT_CABINET:
        return -1;   // a cabinet of several parts is not one we read
    default:
        return 0;
    }
    });
}

// ---- FCI: every callback gets the Memory.
Memory& Of(void* pv) { return *static_cast<Memory*>(pv); }
FNFCIALLOC(FciAlloc) { return std::malloc(cb); }
FNFCIFREE(FciFree) { std::free(memory); }
FNFCIOPEN(FciOpen) {
    INT_PTR handle = Guarded<INT_PTR>(-1, [&] { return Of(pv).Open(pszFile, oflag); });
    if (handle == -1) *err = ENOENT;
    return handle;
}
FNFCIREAD(FciRead) { return Read(hf, memory, cb); }
FNFCIWRITE(FciWrite) { return Write(hf, memory, cb); }
FNFCICLOSE(FciClose) {
    Of(pv).Close(StreamOf(hf));
    return 0;
}
FNFCISEEK(FciSeek) { return Seek(hf, dist, seektype); }
FNFCIDELETE(FciDelete) {
    Of(pv).files.erase(pszFile);
    return 0;
}
FNFCIGETTEMPFILE(FciTempFile) {
    const int n = std::snprintf(pszTempName, cbTempName, "temporary%d", ++Of(pv).temporaries);
    return n > 0 && n < cbTempName;
}
FNFCIFILEPLACED(FciPlaced) { return 0; }
FNFCIGETNEXTCABINET(FciNextCabinet) { return FALSE; }
FNFCISTATUS(FciStatus) { return 0; }
FNFCIGETOPENINFO(FciOpenInfo) {
    *pdate = static_cast<USHORT>(((2003 - 1980) << 9) | (1 << 5) | 1);
    *ptime = 0;
    *pattribs = _A_ARCH;
    return FciOpen(pszName, _O_RDONLY | _O_BINARY, 0, err, pv);
}

constexpr char kCabinetName[] = "cabinet";

// A decompression or compression context of the library, destroyed with its owner.
template <typename Context, typename Destroy>
class LibraryContext {
public:
    LibraryContext(Context context, Destroy destroy) : context_(context), destroy_(destroy) {}
    ~LibraryContext() { if (context_) destroy_(context_); }
    LibraryContext(const LibraryContext&) = delete;
    LibraryContext& operator=(const LibraryContext&) = delete;
    Context get() const { return context_; }
private:
    Context context_;
    Destroy destroy_;
};

}  // namespace

CabinetError ReadCabinet(const uint8_t* bytes, size_t size, std::vector<CabinetMember>& members) {
    members.clear();
    const CabinetCalls* calls = Calls();
    if (!calls) return CabinetError::NoLibrary;
    Memory memory;
    char name[32];
    std::snprintf(name, sizeof name, "*%p", static_cast<void*>(&memory));
    memory.files[name].assign(bytes, bytes + size);

    ERF erf = {};
    LibraryContext owned(calls->fdiCreate(FdiAlloc, FdiFree, FdiOpen, FdiRead, FdiWrite, FdiClose, FdiSeek, cpuUNKNOWN, &erf),
                         calls->fdiDestroy);
    HFDI fdi = owned.get();
    if (!fdi) return CabinetError::NoLibrary;
    CabinetError result = CabinetError::None;
    FDICABINETINFO info = {};
    const INT_PTR cabinet = memory.Open(name, _O_RDONLY);
    if (!calls->fdiIsCabinet(fdi, cabinet, &info)) {
        result = CabinetError::NotCabinet;
    } else if (info.hasprev || info.hasnext) {
        result = CabinetError::Damaged;
    }
    memory.Close(StreamOf(cabinet));
    char path[] = "";
    if (result == CabinetError::None && !calls->fdiCopy(fdi, name, path, 0, FdiNotify, nullptr, &memory))
        result = memory.tooLarge ? CabinetError::TooLarge : CabinetError::Damaged;
    // A member still being written when the copy stopped was cut short.
    if (result == CabinetError::None && !memory.extracting.empty()) result = CabinetError::Damaged;
    if (result == CabinetError::None)
        for (CabinetMember& member : memory.extracted) members.push_back(std::move(member));
    return result;
}

CabinetError WriteCabinet(const std::vector<CabinetMember>& members, std::vector<uint8_t>& out) {
    out.clear();
    const CabinetCalls* calls = Calls();
    if (!calls) return CabinetError::NoLibrary;
    Memory memory;
    std::vector<std::string> sources;
    for (size_t i = 0; i < members.size(); ++i) {
        sources.push_back("member" + std::to_string(i));
        memory.files[sources.back()] = members[i].bytes;
    }
    CCAB ccab = {};
    ccab.cb = 0x7FFFFFFF;
    ccab.cbFolderThresh = 0x7FFFFFFF;
    ccab.iCab = 1;
    ccab.iDisk = 1;
    ccab.setID = 0;
    std::strcpy(ccab.szCab, kCabinetName);
    ERF erf = {};
    LibraryContext owned(calls->fciCreate(&erf, FciPlaced, FciAlloc, FciFree, FciOpen, FciRead, FciWrite, FciClose,
                                          FciSeek, FciDelete, FciTempFile, &ccab, &memory),
                         calls->fciDestroy);
    HFCI fci = owned.get();
    if (!fci) return CabinetError::WriteFailed;
    bool ok = true;
    for (size_t i = 0; ok && i < members.size(); ++i) {
        std::string name = members[i].name;
        ok = calls->fciAddFile(fci, sources[i].data(), name.data(), FALSE, FciNextCabinet, FciStatus, FciOpenInfo,
                               tcompTYPE_NONE) != FALSE;
    }
    if (ok) ok = calls->fciFlushCabinet(fci, FALSE, FciNextCabinet, FciStatus) != FALSE;
    auto cabinet = memory.files.find(kCabinetName);
    if (!ok || cabinet == memory.files.end()) return CabinetError::WriteFailed;
    out = std::move(cabinet->second);
    return CabinetError::None;
}
