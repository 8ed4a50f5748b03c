#include "pages/appearance/system_font.h"

#include <cstdlib>

namespace {
constexpr int kPointHeights = 200;   // a height above this is in hundredths of a point
}

FontSpec::~FontSpec() {
    SetParent(nullptr);
    for (FontSpec* child : children_) child->parent_ = nullptr;
}

void FontSpec::SetParent(FontSpec* parent) {
    if (parent_) std::erase(parent_->children_, this);
    parent_ = parent;
    if (parent_) parent_->children_.push_back(this);
}

void FontSpec::SetFace(const std::wstring& face) {
    std::wstring cut = face.substr(0, kFaceChars);
    Up([&](FontSpec& f) { f.face_ = cut; });
}
void FontSpec::SetHeight(int height) { Up([&](FontSpec& f) { f.height_ = height; }); }
void FontSpec::SetItalic(int italic) { Up([&](FontSpec& f) { f.italic_ = italic; }); }
void FontSpec::SetCharset(int charset) { Up([&](FontSpec& f) { f.charset_ = charset; }); }

void FontSpec::SetWeight(int weight) {
    weight_ = weight;
    Remake();
}

void FontSpec::Set(const std::wstring& face, int height, int italic, int weight, int charset) {
    const std::wstring cut = face.substr(0, kFaceChars);
    const FontSpec& root = Root();
    const bool shared = root.face_ != cut || root.height_ != height || root.italic_ != italic || root.charset_ != charset;
    weight_ = weight;
    if (!shared) {
        Remake();   // only the weight is this record's own
        return;
    }
    Up([&](FontSpec& f) {
        f.face_ = cut;
        f.height_ = height;
        f.italic_ = italic;
        f.charset_ = charset;
    });
}

void FontSpec::RemakeFamily() {
    Remake();
    for (FontSpec* child : children_) child->RemakeFamily();
}

void FontSpec::Reset() {
    font_.reset();
    face_.clear();
    height_ = italic_ = charset_ = 0;
    weight_ = 400;
}

int FontSpec::DisplaySizeOf(int height) {
    int v = std::abs(height);
    if (v <= kPointHeights) return v;
    return ((v / 100) * 96 + 36) / 72;
}

void FontSpec::SetDisplaySize(int size) {
    int a = std::abs(size);
    if (height() < 0) a = -a;
    if (height() > kPointHeights) a = ((a * 72) / 96) * 100;
    SetHeight(a);
}

void FontSpec::Remake() {
    font_.reset();
    LOGFONTW lf = {};
    int h = height();
    lf.lfHeight = h > 100 ? -(((h / 100) * dpi_ + 36) / 72) : h;
    lf.lfWeight = weight_;
    lf.lfItalic = static_cast<BYTE>(italic() & 0xFF);
    std::wstring name = face().substr(0, LF_FACESIZE - 1);
    name.copy(lf.lfFaceName, name.size());
    font_.reset(CreateFontIndirectW(&lf));
}
