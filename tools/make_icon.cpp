// Draws the program icon and writes it as a Windows .ico file with a 32x32 and a 16x16 image
// (32-bit BGRA with an AND mask, the bitmap form of icon images).
//
// The emblem is a deep blue rounded square with three slider tracks and their knobs. Shapes are
// sampled on an 8x8 grid per pixel in integer arithmetic, so the output is identical on every
// machine and every run.
//
// Usage: make_icon OUTPUT.ico. Returns 0 on success, 1 on a usage or write error.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

// Coordinates are in sixteenths of a pixel; sample (i, j) of pixel (x, y) lies at
// (16x + 2i + 1, 16y + 2j + 1), the centres of an 8x8 grid.
constexpr int kUnit = 16;
constexpr int kSamples = 8;

struct Rgb {
    int r, g, b;
};

// A rectangle with rounded corners, [x0, x1) x [y0, y1) in sixteenths of a pixel, corner
// radius r. A circle is a square whose radius is half its side.
struct RoundRect {
    int x0, y0, x1, y1, r;

    bool Contains(int px, int py) const {
        if (px < x0 || px >= x1 || py < y0 || py >= y1) return false;
        int dx = 0, dy = 0;
        if (px < x0 + r) dx = x0 + r - px;
        else if (px > x1 - r) dx = px - (x1 - r);
        if (py < y0 + r) dy = y0 + r - py;
        else if (py > y1 - r) dy = py - (y1 - r);
        return dx * dx + dy * dy <= r * r;
    }
};

RoundRect Px(double x0, double y0, double x1, double y1, double r) {
    auto u = [](double v) { return static_cast<int>(v * kUnit + (v < 0 ? -0.5 : 0.5)); };
    return {u(x0), u(y0), u(x1), u(y1), u(r)};
}

RoundRect Circle(double cx, double cy, double r) { return Px(cx - r, cy - r, cx + r, cy + r, r); }

// One slider: its track and its knob, with an optional shadow under the knob.
struct Slider {
    RoundRect track;
    RoundRect knob;
    bool hasShadow;
    RoundRect shadow;
};

struct Design {
    int size;
    RoundRect body;    // the rounded square
    RoundRect inner;   // the body inside its border
    std::vector<Slider> sliders;
};

const Rgb kTop{0x3C, 0x7B, 0xD9};      // body gradient, top row
const Rgb kBottom{0x14, 0x41, 0x8F};   // body gradient, bottom row
const Rgb kBorder{0x0C, 0x2D, 0x6B};
const Rgb kTrack{0xA8, 0xC3, 0xEE};
const Rgb kKnob{0xFF, 0xFF, 0xFF};
const Rgb kShadow{0x0A, 0x24, 0x55};

Design Design32() {
    Design d{32, Px(1, 1, 31, 31, 6), Px(2, 2, 30, 30, 5), {}};
    const double rows[] = {10, 16, 22};
    const double knobs[] = {21, 11, 17};
    for (int i = 0; i < 3; ++i) {
        d.sliders.push_back({Px(6, rows[i] - 1, 26, rows[i] + 1, 1), Circle(knobs[i], rows[i], 3), true,
                             Circle(knobs[i], rows[i] + 1, 3)});
    }
    return d;
}

// At 16 pixels the tracks are single rows and the knobs 3x3 squares with soft corners, kept on
// the pixel grid so that they stay crisp.
Design Design16() {
    Design d{16, Px(0, 0, 16, 16, 3), Px(1, 1, 15, 15, 2), {}};
    const int rows[] = {4, 8, 12};
    const int knobs[] = {9, 4, 7};
    for (int i = 0; i < 3; ++i) {
        d.sliders.push_back({Px(3, rows[i], 13, rows[i] + 1, 0.5), Px(knobs[i], rows[i] - 1, knobs[i] + 3, rows[i] + 2, 0.5),
                             false, {}});
    }
    return d;
}

// The colour of the topmost shape at a sample point, or false outside the body.
bool SampleColor(const Design& d, int px, int py, Rgb& out) {
    if (!d.body.Contains(px, py)) return false;
    if (!d.inner.Contains(px, py)) {
        out = kBorder;
    } else {
        // Vertical gradient across the body, by sample row.
        const int span = d.body.y1 - d.body.y0;
        const int t = py - d.body.y0;
        out = {kTop.r + (kBottom.r - kTop.r) * t / span, kTop.g + (kBottom.g - kTop.g) * t / span,
               kTop.b + (kBottom.b - kTop.b) * t / span};
    }
    for (const Slider& s : d.sliders) {
        if (s.track.Contains(px, py)) out = kTrack;
    }
    for (const Slider& s : d.sliders) {
        if (s.hasShadow && s.shadow.Contains(px, py)) out = kShadow;
        if (s.knob.Contains(px, py)) out = kKnob;
    }
    return true;
}

// Straight (not premultiplied) BGRA pixels, top row first.
std::vector<uint8_t> Render(const Design& d) {
    std::vector<uint8_t> pixels(static_cast<size_t>(d.size) * d.size * 4, 0);
    const int total = kSamples * kSamples;
    for (int y = 0; y < d.size; ++y) {
        for (int x = 0; x < d.size; ++x) {
            int inside = 0, r = 0, g = 0, b = 0;
            for (int j = 0; j < kSamples; ++j) {
                for (int i = 0; i < kSamples; ++i) {
                    Rgb c;
                    if (SampleColor(d, x * kUnit + 2 * i + 1, y * kUnit + 2 * j + 1, c)) {
                        ++inside;
                        r += c.r;
                        g += c.g;
                        b += c.b;
                    }
                }
            }
            uint8_t* p = &pixels[(static_cast<size_t>(y) * d.size + x) * 4];
            if (inside == 0) continue;   // fully transparent: colour stays 0
            p[0] = static_cast<uint8_t>((b + inside / 2) / inside);
            p[1] = static_cast<uint8_t>((g + inside / 2) / inside);
            p[2] = static_cast<uint8_t>((r + inside / 2) / inside);
            p[3] = static_cast<uint8_t>((inside * 255 + total / 2) / total);
        }
    }
    return pixels;
}

void Put16(std::vector<uint8_t>& out, unsigned v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// One icon image: BITMAPINFOHEADER (height doubled for colour and mask), the colour rows
// bottom-up, then the 1-bit AND mask rows bottom-up, each padded to 32 bits. A mask bit is set
// only where the pixel is fully transparent, so systems that ignore alpha see no XOR fringes.
std::vector<uint8_t> EncodeImage(int size, const std::vector<uint8_t>& bgra) {
    const uint32_t maskStride = ((static_cast<uint32_t>(size) + 31) / 32) * 4;
    const uint32_t colorBytes = static_cast<uint32_t>(size) * size * 4;
    const uint32_t maskBytes = maskStride * size;
    std::vector<uint8_t> out;
    Put32(out, 40);                 // biSize
    Put32(out, size);               // biWidth
    Put32(out, size * 2);           // biHeight: colour plus mask
    Put16(out, 1);                  // biPlanes
    Put16(out, 32);                 // biBitCount
    Put32(out, 0);                  // biCompression: BI_RGB
    Put32(out, colorBytes + maskBytes);
    Put32(out, 0);                  // biXPelsPerMeter
    Put32(out, 0);                  // biYPelsPerMeter
    Put32(out, 0);                  // biClrUsed
    Put32(out, 0);                  // biClrImportant
    for (int y = size - 1; y >= 0; --y) {
        const uint8_t* row = &bgra[static_cast<size_t>(y) * size * 4];
        out.insert(out.end(), row, row + size * 4);
    }
    for (int y = size - 1; y >= 0; --y) {
        std::vector<uint8_t> row(maskStride, 0);
        for (int x = 0; x < size; ++x) {
            if (bgra[(static_cast<size_t>(y) * size + x) * 4 + 3] == 0) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

std::vector<uint8_t> EncodeIcon(const std::vector<Design>& designs) {
    std::vector<std::vector<uint8_t>> images;
    for (const Design& d : designs) images.push_back(EncodeImage(d.size, Render(d)));

    std::vector<uint8_t> out;
    Put16(out, 0);   // reserved
    Put16(out, 1);   // type: icon
    Put16(out, static_cast<unsigned>(designs.size()));
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(designs.size());
    for (size_t i = 0; i < designs.size(); ++i) {
        out.push_back(static_cast<uint8_t>(designs[i].size));   // width (0 would mean 256)
        out.push_back(static_cast<uint8_t>(designs[i].size));   // height
        out.push_back(0);                                       // palette size: none
        out.push_back(0);                                       // reserved
        Put16(out, 1);                                          // planes
        Put16(out, 32);                                         // bits per pixel
        Put32(out, static_cast<uint32_t>(images[i].size()));
        Put32(out, offset);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const auto& image : images) out.insert(out.end(), image.begin(), image.end());
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icon OUTPUT.ico\n");
        return 1;
    }
    const std::vector<uint8_t> icon = EncodeIcon({Design32(), Design16()});
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    if (!file) {
        std::fprintf(stderr, "make_icon: cannot create %s\n", argv[1]);
        return 1;
    }
    file.write(reinterpret_cast<const char*>(icon.data()), static_cast<std::streamsize>(icon.size()));
    file.close();
    if (!file) {
        std::fprintf(stderr, "make_icon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
