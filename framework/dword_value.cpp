#include "store/registry.h"
#include "framework/settings_page.h"

void RegistryValue::Reset() {}

void RegistryValue::Bind(const wchar_t* path, const wchar_t* name) {
    Reset();
    rootKey = HKEY_LOCAL_MACHINE;
    lstrcpynW(keyPath, path ? path : L"", 260);     // cut to 259 characters and the NUL
    lstrcpynW(valueName, name ? name : L"", 260);
}

BOOL RegistryValue::Save(const wchar_t*) { return FALSE; }
BOOL RegistryValue::Load(const wchar_t*) { return FALSE; }

void DwordValue::Reset() {}

void DwordValue::Bind(const wchar_t* path, const wchar_t* name) {
    BindRange(path, name, 0, 0xFFFFFFFF, 0);
}

void DwordValue::BindRange(const wchar_t* path, const wchar_t* name, DWORD min, DWORD max, DWORD init) {
    RegistryValue::Bind(path, name);
    minimum = min;
    maximum = max;
    initial = init;
    SetValue(init);
}

void DwordValue::SetValue(DWORD v) {
    if (v < minimum) value = minimum;
    else if (v > maximum) value = maximum;
    else value = v;
}

BOOL DwordValue::Save(const wchar_t* storeKey) {
    return WriteDword(storeKey, keyPath, valueName, value);
}

BOOL DwordValue::Load(const wchar_t* storeKey) {
    SetValue(ReadDword(storeKey, keyPath, valueName));
    return TRUE;
}
