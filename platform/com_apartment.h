// COM on this thread for a holder's lifetime, for the parts of the device layer that load COM at
// first use (the image codecs, the XML parser); the calls are theirs, from the ole32 they loaded.
//
// The apartment is the multithreaded one: the device's COM has no other (its CoInitialize is not
// supported; CoInitializeEx with COINIT_MULTITHREADED is the call it documents), and the classes
// used here take either. A single-threaded apartment would also cost a hidden window made and
// destroyed at every use (4-10 ms under Wine). On a thread already in another apartment the call
// fails, nothing is undone, and that apartment serves.
#pragma once
#include <windows.h>
#include <objbase.h>

class ComApartment {
public:
    ComApartment(decltype(&CoInitializeEx) initialize, decltype(&CoUninitialize) uninitialize)
        : uninitialize_(SUCCEEDED(initialize(nullptr, COINIT_MULTITHREADED)) ? uninitialize : nullptr) {}
    ~ComApartment() { if (uninitialize_) uninitialize_(); }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
private:
    decltype(&CoUninitialize) uninitialize_;
};
