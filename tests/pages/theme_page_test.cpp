// The theme page on the real sheet: its items and colour buttons, where its colours are read and
// written, the colour chooser, and the Today picture's pixels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <vector>

#include "base/handles.h"
#include "pages/theme/theme_page.h"
#include "platform/pocketpc.h"
#include "resources/resource.h"
#include "store/registry.h"
#include "store/store.h"
#include "support/app_fixture.h"
#include "support/gdi.h"
#include "support/modal.h"

namespace {

constexpr wchar_t kConfig[] = L"Orvanel\\ThemeTest";
constexpr wchar_t kColorKey[] = L"SOFTWARE\\Microsoft\\Color";
constexpr int kNumbers[] = {4, 5, 6, 7, 8, 9, 13, 14, 25, 26};
constexpr int kTop = 5;   // the picture's top on the page

// Every pixel of a client area or bitmap, row by row.
struct Pixels {
    int width = 0, height = 0;
    std::vector<COLORREF> at;
    COLORREF operator()(int x, int y) const { return at[y * width + x]; }
};

Pixels Capture(int width, int height, const std::function<void(HDC)>& draw) {
    Pixels p{width, height, std::vector<COLORREF>(width * height)};
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
    void* bits = nullptr;
    OwnedBitmap dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    MemoryDc dc(CreateCompatibleDC(nullptr));
    {
        DcSelection select(dc.get(), dib.get());
        draw(dc.get());
        GdiFlush();
    }
    for (int i = 0; i < width * height; ++i) {
        DWORD bgr = static_cast<const DWORD*>(bits)[i];
        p.at[i] = RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
    }
    return p;
}

Pixels PrintedClient(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    return Capture(client.right, client.bottom, [&](HDC dc) {
        SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    });
}

// A 1-bit resource: black where its bits are 0.
Pixels MaskPixels(WORD id) {
    OwnedBitmap mask(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0)));
    return Capture(240, 167, [&](HDC dc) {
        MemoryDc source(CreateCompatibleDC(dc));
        DcSelection select(source.get(), mask.get());
        BitBlt(dc, 0, 0, 240, 167, source.get(), 0, 0, SRCCOPY);
    });
}

// A 1 x 1 GIF whose one pixel is red, as the second watermark the page looks for.
constexpr wchar_t kWatermark[] = L"\\Windows\\stWater.gif";
constexpr unsigned char kRedDot[] = {
    'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0, 0, 0, 0, 0,
    ',', 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0, ';',
};

bool Near(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= 2 && std::abs(GetGValue(a) - GetGValue(b)) <= 2 &&
           std::abs(GetBValue(a) - GetBValue(b)) <= 2;
}

class ThemeTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        for (int n : kNumbers) device.push_back(ReadDword(L"", kColorKey, Name(n).c_str()));
        Start();
    }
    void TearDown() override {
        DeleteFileW(kWatermark);
        for (size_t i = 0; i < device.size(); ++i) {
            if (device[i] == 0xFFFFFFFF) RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kColorKey, Name(kNumbers[i]).c_str());
            else WriteDword(L"", kColorKey, Name(kNumbers[i]).c_str(), device[i]);
        }
        AppTest::TearDown();
    }
    void Start() {
        StartProgram();
        page = FindPageAnswering<ThemePage>(session());
        ASSERT_NE(page, nullptr);
        dialog = PageWindow(5);
        session().marks.Set(0, 0);
    }
    static std::wstring Name(int number) { return std::to_wstring(number); }
    void Choose(const wchar_t* label) {
        LRESULT line = SendDlgItemMessageW(dialog, IDC_THEME_ITEM, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(label));
        ASSERT_NE(line, CB_ERR);
        SendDlgItemMessageW(dialog, IDC_THEME_ITEM, CB_SETCURSEL, line, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_THEME_ITEM, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_THEME_ITEM)));
    }
    void Click(int id) {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }
    // Taps a colour button and picks a swatch in the chooser.
    void PickSwatch(int button, int swatch) {
        ModalScript script;
        script.Then([swatch](HWND chooser) {
            SendMessageW(chooser, WM_COMMAND, MAKEWPARAM(swatch, BN_CLICKED), 0);
            PostMessageW(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
        Click(button);
        EXPECT_EQ(script.unused(), 0u);
    }
    bool Shown(int id) { return (GetWindowLongPtrW(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0; }
    RECT Rect(int id) {
        RECT r{};
        GetWindowRect(GetDlgItem(dialog, id), &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    std::vector<DWORD> device;
    ThemePage* page = nullptr;
    HWND dialog = nullptr;
};

TEST_F(ThemeTest, ItemsShowTheirButtonsAndFlashInPortrait) {
    ASSERT_EQ(SendDlgItemMessageW(dialog, IDC_THEME_ITEM, CB_GETCOUNT, 0, 0), 7);
    EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_THEME_ITEM, CB_GETCURSEL, 0, 0), 0);
    EXPECT_FALSE(Shown(IDC_THEME_SECOND_COLOR)) << "\"Status bar\" has one colour";
    const struct { const wchar_t* label; bool two; } items[] = {
        {L"Title colors", true}, {L"Tooltip", true}, {L"\"Today\" text color", false},
        {L"Critical tooltip", true}, {L"Color separators in \"Today\"", false}, {L"Title text", false},
        {L"Status bar", false},
    };
    for (const auto& item : items) {
        Choose(item.label);
        EXPECT_EQ(Shown(IDC_THEME_SECOND_COLOR), item.two) << testing::PrintToString(std::wstring(item.label));
        EXPECT_TRUE(Shown(IDC_THEME_FIRST_COLOR));
    }
    EXPECT_EQ(page->InversionsShown(), 4 * 7) << "each choice flashes its area four times";
    EXPECT_EQ(session().marks.changes(), 0) << "choosing an item changes nothing";
}

TEST_F(ThemeTest, ColoursComeFromTheirKeyAndTheLiveDeviceIsTheRealOne) {
    // A configuration keeps them below its own key; "none" and a missing value are the default.
    for (int n : kNumbers) WriteDword(kConfig, kColorKey, Name(n).c_str(), 0x010203 * n);
    WriteDword(kConfig, kColorKey, L"7", 0xFFFFFFFF);
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"Orvanel\\ThemeTest\\SOFTWARE\\Microsoft\\Color", L"4");
    EXPECT_TRUE(page->LoadFrom(kConfig));
    EXPECT_EQ(page->ColorValue(7), 0xC6C3C6u);
    EXPECT_EQ(page->ColorValue(4), 0x9C2400u);
    EXPECT_EQ(page->ColorValue(26), 0x010203u * 26);
    EXPECT_EQ(page->ColorValue(10), 0xFFFFFFFFu) << "no colour 10";

    // Applied to the device: the ten values at HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Color.
    EXPECT_TRUE(page->SaveTo(kSystemStoreKey));
    for (int n : kNumbers) EXPECT_EQ(ReadDword(L"", kColorKey, Name(n).c_str()), page->ColorValue(n)) << n;
    EXPECT_FALSE(KeyExists(L"SYSTEM\\SOFTWARE\\Microsoft\\Color", nullptr)) << "nothing below SYSTEM";
    EXPECT_TRUE(page->LoadFrom(L"system"));
    EXPECT_EQ(page->ColorValue(26), 0x010203u * 26) << "read back from the device, the name in any case";

    // A configuration file takes them as records of the same subkey and reads them back.
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    const std::wstring path = std::wstring(dir) + L"orvanel_theme_test.ov";
    CloseHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    {
        auto file = OpenFileStoreForWriting(L"@" + path, nullptr);
        page->Save(*file);
    }
    WriteDword(L"", kColorKey, L"26", 0x123456);
    page->LoadFrom(kSystemStoreKey);
    EXPECT_TRUE(page->LoadFrom(L"@" + path));
    DeleteFileW(path.c_str());
    EXPECT_EQ(page->ColorValue(26), 0x010203u * 26);
    EXPECT_EQ(page->ColorValue(7), 0xC6C3C6u);
}

TEST_F(ThemeTest, TheChooserChangesAColourOnlyWhenAColourIsChosen) {
    Choose(L"Title colors");
    const size_t before = TitleText().size();
    {
        ModalScript script;
        script.Press(IDCANCEL);
        Click(IDC_THEME_SECOND_COLOR);
        EXPECT_EQ(script.unused(), 0u);
    }
    EXPECT_EQ(page->ColorValue(8), 0x9C2400u);
    EXPECT_EQ(session().marks.changes(), 0);
    EXPECT_EQ(TitleText().size(), before) << "no change mark";

    PickSwatch(IDC_THEME_SECOND_COLOR, IDC_CHOOSER_SWATCH_FIRST + 5);   // green
    EXPECT_EQ(page->ColorValue(8), 0x00FF00u);
    EXPECT_EQ(page->ColorValue(5), 0xE76D08u) << "the first colour stays";
    EXPECT_EQ(session().marks.changes(), 1);
}

TEST_F(ThemeTest, ThePictureAndTheBarShowTheColoursOnceAndKeepTheirObjects) {
    const RECT bar = Rect(IDC_THEME_BAR);
    const int middle = (bar.top + bar.bottom) / 2;
    // Without "tdywater.gif" the watermark is "stWater.gif", at the top left of the Today area.
    {
        FileHandle file(CreateFileW(kWatermark, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(file.get(), kRedDot, sizeof kRedDot, &written, nullptr));
    }
    page->LoadFrom(kSystemStoreKey);
    // "Status bar": a flat bar; the picture is composed once, whatever the number of paints.
    Pixels page1 = PrintedClient(dialog);
    EXPECT_EQ(page1(0, kTop + 26), 0x0000FFu) << "the watermark's one pixel";
    EXPECT_EQ(page1(1, kTop + 26), 0xFFFFFFu) << "white beyond it";
    const int composed = page->Compositions();
    for (int x = bar.left; x < bar.right; ++x) ASSERT_EQ(page1(x, middle), 0xC6C3C6u) << x;
    PrintedClient(dialog);
    EXPECT_EQ(page->Compositions(), composed);

    // "Title colors": from colour 5 at the left to colour 8 at the right.
    Choose(L"Title colors");
    Pixels title = PrintedClient(dialog);
    // The bar is narrower than the gradient: its ends show the columns next to the ends.
    EXPECT_TRUE(Near(title(bar.left, middle), 0xE76D08)) << std::hex << title(bar.left, middle);
    EXPECT_TRUE(Near(title(bar.right - 1, middle), 0x9C2400)) << std::hex << title(bar.right - 1, middle);
    EXPECT_EQ(page->Compositions(), composed + 1);

    // "Tooltip": its bubble's title runs from colour 13 at column 11 over 218 columns.
    Choose(L"Tooltip");
    Pixels tip = PrintedClient(dialog);
    EXPECT_EQ(tip(11, kTop + 62), 0x9C2400u);
    EXPECT_TRUE(Near(tip(228, kTop + 62), 0xF79A4A)) << std::hex << tip(228, kTop + 62);
    EXPECT_NE(tip(10, kTop + 62), 0x9C2400u) << "the bubble's frame";
    EXPECT_NE(tip(229, kTop + 62), tip(228, kTop + 62));
    Choose(L"Status bar");
    Pixels none = PrintedClient(dialog);
    for (int x = 0; x < 240; ++x)
        for (int y = kTop; y < kTop + 167; ++y) ASSERT_EQ(none(x, y), page1(x, y)) << "the bubble is gone at " << x << "," << y;

    // A new status bar colour changes exactly the pixels of its mask.
    const Pixels mask = MaskPixels(IDB_TODAY_STATUS);
    PickSwatch(IDC_THEME_FIRST_COLOR, IDC_CHOOSER_SWATCH_FIRST + 3);   // red
    Pixels red = PrintedClient(dialog);
    int painted = 0;
    for (int x = 0; x < 240; ++x)
        for (int y = 0; y < 167; ++y) {
            const bool mine = mask(x, y) == 0;
            painted += mine;
            ASSERT_EQ(red(x, kTop + y), mine ? 0x0000FFu : page1(x, kTop + y)) << x << "," << y;
        }
    EXPECT_GT(painted, 240 * 20) << "the command bar";

    // Repeated refreshes keep their GDI objects, the bubble's and the watermark's included.
    Choose(L"Critical tooltip");
    const size_t free = FreeGdiSlots();
    for (int i = 0; i < 50; ++i) {
        page->LoadFrom(kSystemStoreKey);
        PrintedPixel(dialog, 0, 0);
    }
    EXPECT_EQ(FreeGdiSlots(), free);
}

TEST_F(ThemeTest, LandscapeShowsTheNoteAndTheBarWithoutFlashing) {
    StopProgram();
    SetDeviceScreenForTests(320, 240, 96);
    Start();
    Choose(L"Title colors");
    EXPECT_EQ(page->InversionsShown(), 0);
    Pixels shown = PrintedClient(dialog);
    const RECT note = Rect(IDC_THEME_LANDSCAPE_NOTE);
    int text = 0;
    for (int x = note.left; x < note.right; ++x)
        for (int y = note.top; y < note.bottom; ++y) text += shown(x, y) == GetSysColor(COLOR_WINDOWTEXT);
    EXPECT_GT(text, 100) << "the note's text";
    const RECT bar = Rect(IDC_THEME_BAR);
    EXPECT_EQ(shown(bar.left, (bar.top + bar.bottom) / 2), 0xE76D08u) << "the bar";
    EXPECT_NE(shown(30, kTop + 10), 0xE76D08u) << "no picture";
}

}  // namespace
