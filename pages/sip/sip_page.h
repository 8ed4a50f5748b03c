// The input method (Sip) page: the input methods installed on the device, the default one, and
// each method's display name and on/off state. It works on the live device whatever the store:
// what it changes reaches the registry at the next Save.
#pragma once
#include <array>
#include <memory>
#include <string>

#include "framework/page_kit.h"

struct InputMethodEntry {
    std::wstring clsid;      // as the class key is spelled
    std::wstring name;       // display name, at most 63 characters
    std::wstring origName;   // the name before the first rename
    int enabled = 0;
};

class SipPage : public KitPage {
public:
    static constexpr int kMaxMethods = 32;
    static constexpr size_t kNameChars = 63;

    explicit SipPage(PageHost& host);
    BOOL IsKind(DWORD tag) override { return tag == kTagSip; }
    // Reads the live registry; the controls follow unless the store is "SYSTEM" itself. Listing
    // every class of the device takes a while: while the page is not on show, the reading waits
    // until it is first shown or used.
    BOOL Load(Store& store) override;
    // Reads the methods now if a load put it off.
    void EnsureMethods();
    // Writes the live registry, whatever the store; FALSE when a value could not be written.
    // Writes nothing while the methods have not been read since the last Load.
    BOOL Save(Store& store) override;
    // Configurations hold no input methods: the page compares with the device alone.
    bool SavesToDevice() const override { return true; }
    std::optional<std::vector<SettingWords>> Describe(Store* store) override;

    // One class: true when it is an input method to list (enabled, or disabled with a first name).
    static bool ReadMethod(InputMethodEntry& entry, HKEY classes, const std::wstring& clsid);
    static bool WriteMethod(const InputMethodEntry& entry);

    std::array<InputMethodEntry, kMaxMethods> methods;
    int methodCount = 0;
    int defaultIndex = 0;
    int allowChange = 0;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code) override;
    std::optional<LRESULT> OnNotify(const NMHDR& header) override;
    std::optional<BOOL> OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void RefreshControls();
    int SelectedIndex() const;
    void ReadMethods();
    std::vector<SettingWords> DescribeMethods() const;

    bool methodsRead_ = false;
    bool defaultUnlisted_ = false;   // the device's default is none of the listed methods
    std::wstring unlistedDefaultName_;   // and its class's name, where it has one
};

std::unique_ptr<SettingsPage> CreateSipPage(PageHost& host);
