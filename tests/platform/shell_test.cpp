// The shell calls: dialog initialisation, the Done button, the input panel, setting changes
// and image loading.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/pocketpc.h"

namespace {

class PlatformShell : public ::testing::Test {
protected:
    void SetUp() override { SetDeviceScreenForTests(240, 320, 96); }
    void TearDown() override {
        for (HWND wnd : windows_) DestroyWindow(wnd);
        SetDeviceScreenForTests(0, 0, 0);
    }
    HWND Popup() {
        HWND wnd = CreateWindowExW(0, L"Static", L"", WS_POPUP, 5, 7, 50, 60, nullptr, nullptr, nullptr, nullptr);
        windows_.push_back(wnd);
        return wnd;
    }
    static HWND Child(HWND parent, int id) {
        return CreateWindowExW(0, L"Button", L"", WS_CHILD | WS_VISIBLE, 1, 2, 30, 20, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }
    static bool Visible(HWND wnd) { return (GetWindowLongPtrW(wnd, GWL_STYLE) & WS_VISIBLE) != 0; }
    std::vector<HWND> windows_;
};

TEST_F(PlatformShell, InitDialogSizesTopLevelWindowsAndLowersThePanel) {
    HWND top = Popup();
    SipShowIM(SIPF_ON);
    SHINITDLGINFO keep{SHIDIM_FLAGS, top, SHIDIF_SIZEDLGFULLSCREEN};
    EXPECT_TRUE(SHInitDialog(&keep));
    EXPECT_TRUE(IsInputPanelUp());
    RECT r;
    GetWindowRect(top, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 26);
    EXPECT_EQ(r.right, 240);
    EXPECT_EQ(r.bottom, 294);

    // A property page is a child window: its sheet places it.
    HWND child = Child(top, 100);
    SHINITDLGINFO page{SHIDIM_FLAGS, child, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN};
    EXPECT_TRUE(SHInitDialog(&page));
    EXPECT_FALSE(IsInputPanelUp());
    GetWindowRect(child, &r);
    EXPECT_EQ(r.top, 26 + 2);
    EXPECT_EQ(r.right - r.left, 30);
}

TEST_F(PlatformShell, DoneButtonHidesAndShowsOnlyOk) {
    HWND top = Popup();
    HWND ok = Child(top, IDOK);
    HWND cancel = Child(top, IDCANCEL);
    EXPECT_TRUE(SHDoneButton(top, SHDB_HIDE));
    EXPECT_FALSE(Visible(ok));
    EXPECT_TRUE(Visible(cancel));   // an ordinary dialog keeps its other buttons
    EXPECT_TRUE(SHDoneButton(top, SHDB_SHOW));
    EXPECT_TRUE(Visible(ok));
}

// A GIF of width x height with a two-colour table (0 red, 1 white). The image data repeats
// "clear, pixel, pixel" so that every code stays three bits wide.
std::string Gif(uint16_t width, uint16_t height, const std::vector<int>& pixels) {
    std::string gif = "GIF89a";
    auto word = [&gif](uint16_t v) { gif += static_cast<char>(v & 0xFF); gif += static_cast<char>(v >> 8); };
    word(width);
    word(height);
    gif.append("\x80\0\0", 3);                       // a global table of 2 colours
    gif.append("\xFF\x00\x00", 3);
    gif.append("\xFF\xFF\xFF", 3);
    gif += ',';
    word(0); word(0); word(width); word(height);
    gif += '\0';
    gif += '\x02';                                      // minimum code size
    std::vector<int> codes;
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (i % 2 == 0) codes.push_back(4);             // clear
        codes.push_back(pixels[i]);
    }
    codes.push_back(5);                                 // end of information
    std::string data;
    uint32_t bits = 0;
    int count = 0;
    for (int code : codes) {
        bits |= static_cast<uint32_t>(code) << count;
        count += 3;
        while (count >= 8) { data += static_cast<char>(bits & 0xFF); bits >>= 8; count -= 8; }
    }
    if (count > 0) data += static_cast<char>(bits & 0xFF);
    gif += static_cast<char>(data.size());
    gif += data;
    gif += '\0';
    gif += ';';
    return gif;
}

std::wstring TempFile(const wchar_t* name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + std::to_wstring(GetCurrentProcessId()) + L"_" + name;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return written == bytes.size();
}

TEST_F(PlatformShell, LoadsGifIntoTopDownBitmap) {
    std::wstring path = TempFile(L"tiny.gif");
    ASSERT_TRUE(WriteBytes(path, Gif(3, 2, {0, 1, 0, 1, 0, 1})));

    HBITMAP bitmap = SHLoadImageFile(path.c_str());
    DeleteFileW(path.c_str());
    ASSERT_TRUE(bitmap);
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectW(bitmap, sizeof(dib), &dib), static_cast<int>(sizeof(dib)));
    EXPECT_EQ(dib.dsBm.bmWidth, 3);
    EXPECT_EQ(dib.dsBm.bmHeight, 2);
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 32);
    auto* pixels = static_cast<const uint32_t*>(dib.dsBm.bmBits);
    ASSERT_TRUE(pixels);
    EXPECT_EQ(pixels[0] & 0xFFFFFF, 0xFF0000u);   // first row, first pixel: red
    EXPECT_EQ(pixels[1] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(pixels[3] & 0xFFFFFF, 0xFFFFFFu);   // second row starts white
    DeleteObject(bitmap);
}

TEST_F(PlatformShell, ImageLoadFailsForMissingOrBrokenFiles) {
    EXPECT_EQ(SHLoadImageFile(TempFile(L"missing.gif").c_str()), nullptr);
    std::wstring path = TempFile(L"broken.gif");
    ASSERT_TRUE(WriteBytes(path, "GIF89a\x03"));
    EXPECT_EQ(SHLoadImageFile(path.c_str()), nullptr);
    DeleteFileW(path.c_str());
}

}  // namespace
