#include "shell/dialog_template.h"

#include <cstring>

namespace {

class Reader {
public:
    Reader(const BYTE* data, size_t size) : base_(data), size_(size) {}
    bool ok() const { return ok_; }

    WORD Word() {
        if (!ok_ || size_ - pos_ < 2 || pos_ > size_) return Fail();
        WORD w;
        std::memcpy(&w, base_ + pos_, 2);
        pos_ += 2;
        return w;
    }
    DWORD Dword() {
        DWORD low = Word();
        return low | (static_cast<DWORD>(Word()) << 16);
    }
    short Short() { return static_cast<short>(Word()); }

    TemplateField Field() {
        TemplateField field;
        size_t start = pos_;
        WORD first = Word();
        if (!ok_) return field;
        if (first == 0xFFFF) {
            field.isOrdinal = true;
            field.ordinal = Word();
            return field;
        }
        size_t length = 0;
        for (WORD c = first; c != 0 && ok_; c = Word()) ++length;
        // The characters lie in the template: a view of them, read only through memcpy above.
        if (ok_) field.text = std::wstring_view(reinterpret_cast<const wchar_t*>(base_ + start), length);
        return field;
    }
    void Skip(size_t bytes) {
        if (!ok_ || bytes > size_ - pos_) Fail();
        else pos_ += bytes;
    }
    void AlignDword() {
        size_t aligned = (pos_ + 3) & ~static_cast<size_t>(3);
        if (aligned > size_) Fail();
        else pos_ = aligned;
    }

private:
    WORD Fail() {
        ok_ = false;
        return 0;
    }
    const BYTE* base_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

RECT Rect(Reader& in) {
    RECT r;
    r.left = in.Short();
    r.top = in.Short();
    r.right = r.left + in.Short();
    r.bottom = r.top + in.Short();
    return r;
}

}  // namespace

bool ReadDialogTemplate(const void* data, size_t size, DialogTemplate& out) {
    out = DialogTemplate{};
    if (!data) return false;
    Reader in(static_cast<const BYTE*>(data), size);
    out.style = in.Dword();
    out.exStyle = in.Dword();
    out.itemCount = in.Word();
    out.rect = Rect(in);
    out.menu = in.Field();
    out.windowClass = in.Field();
    out.title = in.Field();
    if (out.style & DS_SETFONT) {
        out.pointSize = in.Word();
        out.face = in.Field().text;
    }
    if (!in.ok()) return false;
    out.items.reserve(out.itemCount);
    for (WORD i = 0; i < out.itemCount; ++i) {
        in.AlignDword();
        TemplateItem item;
        item.style = in.Dword();
        item.exStyle = in.Dword();
        item.rect = Rect(in);
        item.id = in.Word();
        item.windowClass = in.Field();
        item.title = in.Field();
        item.creationDataSize = in.Word();
        // The size counts its own word; a size of 1 cannot be and ends the template as truncated.
        if (item.creationDataSize == 1) return false;
        if (item.creationDataSize > 1) in.Skip(item.creationDataSize - 2u);
        if (!in.ok()) return false;
        out.items.push_back(item);
    }
    return true;
}
