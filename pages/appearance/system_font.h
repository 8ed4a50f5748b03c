// A system font description as the device keeps it: face, height, italic, weight and character
// set, with an optional parent whose face, height, italic and character set it shares.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "base/handles.h"

class FontSpec {
public:
    static constexpr size_t kFaceChars = 32;

    // The screen's vertical dots per inch, which a height in points is converted with.
    explicit FontSpec(int dpi = 96) : dpi_(dpi) {}
    FontSpec(const FontSpec&) = delete;
    FontSpec& operator=(const FontSpec&) = delete;
    ~FontSpec();

    void SetDpi(int dpi) { dpi_ = dpi; }
    // The parent knows its children: a change of what they share makes their fonts again too.
    void SetParent(FontSpec* parent);
    const FontSpec* parent() const { return parent_; }

    // Face, height, italic and character set are the root's; the weight is the record's own.
    const std::wstring& face() const { return Root().face_; }
    int height() const { return Root().height_; }
    int italic() const { return Root().italic_; }
    int charset() const { return Root().charset_; }
    int weight() const { return weight_; }
    HFONT font() const { return font_.get(); }

    // Each stores the value here and in every parent up the chain, then makes the font again of
    // every record that shares it (the whole family from the root down); the weight stays with
    // this record and makes only its font again.
    void SetFace(const std::wstring& face);
    void SetHeight(int height);
    void SetItalic(int italic);
    void SetCharset(int charset);
    void SetWeight(int weight);
    // All five at once, each font that changes made once: the shared values as the setters
    // above store them, the weight as this record's own.
    void Set(const std::wstring& face, int height, int italic, int weight, int charset);

    // The size shown to the user: a pixel height as it is, hundredths of a point as the pixel
    // size at 96 dpi (900 shows as 12).
    int DisplaySize() const { return DisplaySizeOf(height()); }
    static int DisplaySizeOf(int height);
    // Sets the height from a displayed size, kept in points when the height is in points.
    void SetDisplaySize(int size);

    // Back to nothing: no face, height 0, no font; the parent stays.
    void Reset();

private:
    const FontSpec& Root() const { return parent_ ? parent_->Root() : *this; }
    FontSpec& Root() { return parent_ ? parent_->Root() : *this; }
    void Remake();
    // This record's font and those of its children, down the tree.
    void RemakeFamily();
    template <class Fn>
    void Up(Fn set) {
        for (FontSpec* f = this; f; f = f->parent_) set(*f);
        Root().RemakeFamily();
    }

    int dpi_;
    std::wstring face_;
    int height_ = 0;       // 200 or less: pixels as LOGFONT; above: hundredths of a point
    int italic_ = 0;
    int weight_ = 400;
    int charset_ = 0;
    FontSpec* parent_ = nullptr;
    std::vector<FontSpec*> children_;   // not owned
    OwnedFont font_;
};
