#include "store/ce_setup.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kMaxField = 0xFFFF;

// A reader that never reads outside its bytes: each read says whether it fitted.
class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Has(size_t at, size_t count) const { return at <= size_ && count <= size_ - at; }
    uint16_t U16(size_t at) const { return static_cast<uint16_t>(data_[at] | data_[at + 1] << 8); }
    uint32_t U32(size_t at) const {
        return static_cast<uint32_t>(data_[at]) | static_cast<uint32_t>(data_[at + 1]) << 8 |
               static_cast<uint32_t>(data_[at + 2]) << 16 | static_cast<uint32_t>(data_[at + 3]) << 24;
    }
    const uint8_t* At(size_t at) const { return data_ + at; }

private:
    const uint8_t* data_;
    size_t size_;
};

// A text of `length` bytes at `at` (the length counts the NUL): up to its first NUL.
CeSetupError ReadText(const Bytes& in, size_t at, size_t length, std::string& out) {
    if (!in.Has(at, length)) return CeSetupError::OutsideFile;
    const auto* start = reinterpret_cast<const char*>(in.At(at));
    const void* nul = length ? std::memchr(start, 0, length) : nullptr;
    if (!nul) return CeSetupError::UnendedString;
    out.assign(start, static_cast<const char*>(nul));
    return CeSetupError::None;
}

// A path of `length` bytes: 16-bit string ids up to the ending 0.
CeSetupError ReadPath(const Bytes& in, size_t at, size_t length, std::vector<uint16_t>& out) {
    if (!in.Has(at, length)) return CeSetupError::OutsideFile;
    if (length % 2) return CeSetupError::BadPath;
    for (size_t i = 0; i < length; i += 2) {
        const uint16_t id = in.U16(at + i);
        if (id == 0) return CeSetupError::None;
        out.push_back(id);
    }
    return CeSetupError::BadPath;
}

// Walks one table: `count` entries from `offset`, each a fixed part of `fixed` bytes whose last
// 16-bit field is the length of what follows it. `entry` reads one and returns its error.
template <typename Entry>
CeSetupError ReadTable(const Bytes& in, uint32_t offset, uint16_t count, size_t fixed, Entry entry) {
    size_t at = offset;
    for (uint16_t i = 0; i < count; ++i) {
        if (!in.Has(at, fixed)) return CeSetupError::OutsideFile;
        const size_t length = in.U16(at + fixed - 2);
        if (!in.Has(at + fixed, length)) return CeSetupError::OutsideFile;
        if (CeSetupError error = entry(at, at + fixed, length); error != CeSetupError::None) return error;
        at += fixed + length;
    }
    return CeSetupError::None;
}

class Writer {
public:
    void U16(uint16_t v) { out_.push_back(static_cast<uint8_t>(v)), out_.push_back(static_cast<uint8_t>(v >> 8)); }
    void U32(uint32_t v) { U16(static_cast<uint16_t>(v)), U16(static_cast<uint16_t>(v >> 16)); }
    void PutU16(size_t at, uint16_t v) { out_[at] = static_cast<uint8_t>(v), out_[at + 1] = static_cast<uint8_t>(v >> 8); }
    void PutU32(size_t at, uint32_t v) { PutU16(at, static_cast<uint16_t>(v)), PutU16(at + 2, static_cast<uint16_t>(v >> 16)); }
    void Text(const std::string& text) {
        out_.insert(out_.end(), text.begin(), text.end());
        out_.push_back(0);
    }
    void Path(const std::vector<uint16_t>& path) {
        for (uint16_t id : path) U16(id);
        U16(0);
    }
    void Raw(const std::vector<uint8_t>& bytes) { out_.insert(out_.end(), bytes.begin(), bytes.end()); }
    size_t Size() const { return out_.size(); }
    std::vector<uint8_t>& Out() { return out_; }

private:
    std::vector<uint8_t> out_;
};

// At most `limit` bytes of a text: a text cut to fit its 16-bit length with the NUL.
std::string Cut(const std::string& text, size_t limit) { return text.size() <= limit ? text : text.substr(0, limit); }

std::vector<uint16_t> CutPath(const std::vector<uint16_t>& path) {
    const size_t most = kMaxField / 2 - 1;
    return path.size() <= most ? path : std::vector<uint16_t>(path.begin(), path.begin() + most);
}

uint16_t Count(size_t n) { return static_cast<uint16_t>(std::min(n, kMaxField)); }

}  // namespace

const std::string* CeSetup::Text(uint16_t id) const {
    for (const String& s : strings)
        if (s.id == id) return &s.text;
    return nullptr;
}

std::optional<std::string> CeSetup::JoinPath(const std::vector<uint16_t>& path) const {
    std::string joined;
    for (size_t i = 0; i < path.size(); ++i) {
        const std::string* part = Text(path[i]);
        if (!part) return std::nullopt;
        if (i) joined += '\\';
        joined += *part;
    }
    return joined;
}

const CeSetup::Dir* CeSetup::FindDir(uint16_t id) const {
    for (const Dir& d : dirs)
        if (d.id == id) return &d;
    return nullptr;
}

const CeSetup::Hive* CeSetup::FindHive(uint16_t id) const {
    for (const Hive& h : hives)
        if (h.id == id) return &h;
    return nullptr;
}

uint16_t CeSetup::AddString(const std::string& text) {
    uint16_t highest = 0;
    for (const String& s : strings) {
        if (s.text == text) return s.id;
        highest = std::max(highest, s.id);
    }
    strings.push_back({static_cast<uint16_t>(highest + 1), text});
    return static_cast<uint16_t>(highest + 1);
}

CeSetupRead ReadCeSetup(const uint8_t* bytes, size_t size) {
    CeSetupRead result;
    auto fail = [&](CeSetupError error) {
        result.error = error;
        result.setup = CeSetup{};
        return result;
    };
    if (!bytes || size < kCeHeaderBytes) return fail(CeSetupError::TooShort);
    const Bytes in(bytes, size);
    if (std::memcmp(bytes, "MSCE", 4) != 0) return fail(CeSetupError::NoSignature);
    if (in.U32(8) > size) return fail(CeSetupError::TooShort);

    CeSetup& s = result.setup;
    s.unknown4 = in.U32(4);
    s.unknown12 = in.U32(12);
    s.unknown16 = in.U32(16);
    s.processor = in.U32(20);
    s.minVersionMajor = in.U32(24);
    s.minVersionMinor = in.U32(28);
    s.maxVersionMajor = in.U32(32);
    s.maxVersionMinor = in.U32(36);
    s.minBuild = in.U32(40);
    s.maxBuild = in.U32(44);
    s.unknown96 = in.U16(96);
    s.unknown98 = in.U16(98);

    CeSetupError error = ReadText(in, in.U16(84), in.U16(86), s.appName);
    if (error == CeSetupError::None) error = ReadText(in, in.U16(88), in.U16(90), s.provider);
    if (error != CeSetupError::None) return fail(error);
    if (const size_t length = in.U16(94)) {
        // Platform names one after another, ended by an empty one.
        size_t at = in.U16(92);
        const size_t end = at + length;
        if (!in.Has(at, length)) return fail(CeSetupError::OutsideFile);
        for (;;) {
            std::string name;
            if (ReadText(in, at, end - at, name) != CeSetupError::None) return fail(CeSetupError::UnendedString);
            at += name.size() + 1;
            if (name.empty()) break;
            s.unsupported.push_back(std::move(name));
        }
    }

    auto count = [&](int index) { return in.U16(48 + 2 * index); };
    auto offset = [&](int index) { return in.U32(60 + 4 * index); };
    error = ReadTable(in, offset(0), count(0), 4, [&](size_t at, size_t rest, size_t length) {
        CeSetup::String entry{in.U16(at), {}};
        CeSetupError e = ReadText(in, rest, length, entry.text);
        s.strings.push_back(std::move(entry));
        return e;
    });
    if (error == CeSetupError::None)
        error = ReadTable(in, offset(1), count(1), 4, [&](size_t at, size_t rest, size_t length) {
            CeSetup::Dir entry{in.U16(at), {}};
            CeSetupError e = ReadPath(in, rest, length, entry.path);
            s.dirs.push_back(std::move(entry));
            return e;
        });
    if (error == CeSetupError::None)
        error = ReadTable(in, offset(2), count(2), 12, [&](size_t at, size_t rest, size_t length) {
            CeSetup::File entry{in.U16(at), in.U16(at + 2), in.U16(at + 4), in.U32(at + 6), {}};
            CeSetupError e = ReadText(in, rest, length, entry.name);
            s.files.push_back(std::move(entry));
            return e;
        });
    if (error == CeSetupError::None)
        error = ReadTable(in, offset(3), count(3), 8, [&](size_t at, size_t rest, size_t length) {
            CeSetup::Hive entry{in.U16(at), in.U16(at + 2), in.U16(at + 4), {}};
            CeSetupError e = ReadPath(in, rest, length, entry.path);
            s.hives.push_back(std::move(entry));
            return e;
        });
    if (error == CeSetupError::None)
        error = ReadTable(in, offset(4), count(4), 12, [&](size_t at, size_t rest, size_t length) {
            CeSetup::RegValue entry{in.U16(at), in.U16(at + 2), in.U16(at + 4), in.U32(at + 6), {}, {}};
            // The value's name with its NUL, then its data.
            CeSetupError e = ReadText(in, rest, length, entry.name);
            if (e == CeSetupError::None)
                entry.data.assign(in.At(rest) + entry.name.size() + 1, in.At(rest) + length);
            s.values.push_back(std::move(entry));
            return e;
        });
    if (error == CeSetupError::None)
        error = ReadTable(in, offset(5), count(5), 12, [&](size_t at, size_t rest, size_t length) {
            CeSetup::Link entry{in.U16(at), in.U16(at + 2), in.U16(at + 4), in.U16(at + 6), in.U16(at + 8), {}};
            CeSetupError e = ReadPath(in, rest, length, entry.path);
            s.links.push_back(std::move(entry));
            return e;
        });
    if (error != CeSetupError::None) return fail(error);
    return result;
}

std::vector<uint8_t> WriteCeSetup(const CeSetup& s) {
    Writer w;
    w.Out().assign(kCeHeaderBytes, 0);
    std::memcpy(w.Out().data(), "MSCE", 4);
    w.PutU32(4, s.unknown4);
    w.PutU32(12, s.unknown12);
    w.PutU32(16, s.unknown16);
    w.PutU32(20, s.processor);
    w.PutU32(24, s.minVersionMajor);
    w.PutU32(28, s.minVersionMinor);
    w.PutU32(32, s.maxVersionMajor);
    w.PutU32(36, s.maxVersionMinor);
    w.PutU32(40, s.minBuild);
    w.PutU32(44, s.maxBuild);
    w.PutU16(96, s.unknown96);
    w.PutU16(98, s.unknown98);

    // The header's texts have 16-bit offsets: each is cut to end below 64 KiB.
    auto headerText = [&](size_t field, const std::string& text) {
        const size_t room = kMaxField - w.Size();
        const std::string cut = Cut(text, room > 0 ? room - 1 : 0);
        w.PutU16(field, static_cast<uint16_t>(w.Size()));
        w.PutU16(field + 2, static_cast<uint16_t>(cut.size() + 1));
        w.Text(cut);
    };
    headerText(84, s.appName);
    headerText(88, s.provider);
    if (!s.unsupported.empty()) {
        const size_t start = w.Size();
        for (const std::string& name : s.unsupported) {
            if (name.empty() || w.Size() + name.size() + 2 > kMaxField) break;   // the list's end must fit too
            w.Text(name);
        }
        w.Text({});
        w.PutU16(92, static_cast<uint16_t>(start));
        w.PutU16(94, static_cast<uint16_t>(w.Size() - start));
    }

    auto table = [&](int index, size_t n) {
        w.PutU16(48 + 2 * index, Count(n));
        w.PutU32(60 + 4 * index, static_cast<uint32_t>(w.Size()));
    };
    table(0, s.strings.size());
    for (size_t i = 0; i < Count(s.strings.size()); ++i) {
        const std::string text = Cut(s.strings[i].text, kMaxField - 1);
        w.U16(s.strings[i].id);
        w.U16(static_cast<uint16_t>(text.size() + 1));
        w.Text(text);
    }
    table(1, s.dirs.size());
    for (size_t i = 0; i < Count(s.dirs.size()); ++i) {
        const auto path = CutPath(s.dirs[i].path);
        w.U16(s.dirs[i].id);
        w.U16(static_cast<uint16_t>(2 * (path.size() + 1)));
        w.Path(path);
    }
    table(2, s.files.size());
    for (size_t i = 0; i < Count(s.files.size()); ++i) {
        const CeSetup::File& f = s.files[i];
        const std::string name = Cut(f.name, kMaxField - 1);
        w.U16(f.fileId);
        w.U16(f.dirId);
        w.U16(f.unknown);
        w.U32(f.flags);
        w.U16(static_cast<uint16_t>(name.size() + 1));
        w.Text(name);
    }
    table(3, s.hives.size());
    for (size_t i = 0; i < Count(s.hives.size()); ++i) {
        const CeSetup::Hive& h = s.hives[i];
        const auto path = CutPath(h.path);
        w.U16(h.id);
        w.U16(h.root);
        w.U16(h.unknown);
        w.U16(static_cast<uint16_t>(2 * (path.size() + 1)));
        w.Path(path);
    }
    table(4, s.values.size());
    for (size_t i = 0; i < Count(s.values.size()); ++i) {
        const CeSetup::RegValue& v = s.values[i];
        const std::string name = Cut(v.name, kMaxField - 1);
        std::vector<uint8_t> data = v.data;
        if (data.size() > kMaxField - name.size() - 1) data.resize(kMaxField - name.size() - 1);
        w.U16(v.id);
        w.U16(v.hiveId);
        w.U16(v.substitute);
        w.U32(v.typeFlags);
        w.U16(static_cast<uint16_t>(name.size() + 1 + data.size()));
        w.Text(name);
        w.Raw(data);
    }
    table(5, s.links.size());
    for (size_t i = 0; i < Count(s.links.size()); ++i) {
        const CeSetup::Link& l = s.links[i];
        const auto path = CutPath(l.path);
        w.U16(l.id);
        w.U16(l.unknown);
        w.U16(l.baseDir);
        w.U16(l.targetId);
        w.U16(l.targetKind);
        w.U16(static_cast<uint16_t>(2 * (path.size() + 1)));
        w.Path(path);
    }
    w.PutU32(8, static_cast<uint32_t>(w.Size()));
    return std::move(w.Out());
}
