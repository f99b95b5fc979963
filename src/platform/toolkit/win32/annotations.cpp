#include "annotations.h"

#include "textcodec.h"

#include <initguid.h> // the GUIDs oleacc.h declares are defined here

#include <oleacc.h>

#include <iterator>

namespace comsend {

namespace {

// What a description can name, in the order Note takes the texts.
const MSAAPROPID kNoted[] = {PROPID_ACC_NAME, PROPID_ACC_DESCRIPTION};

} // namespace

bool AccessibleNotes::Started()
{
    if (services_ != nullptr || comStarted_)
        return services_ != nullptr;
    // The window thread is a single-threaded apartment, as its window loop
    // serves it; a thread already in another keeps it and is not balanced.
    comStarted_ = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    void *services = nullptr;
    if (SUCCEEDED(::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IAccPropServices, &services)))
        services_ = static_cast<IAccPropServices *>(services);
    return services_ != nullptr;
}

void AccessibleNotes::Note(HWND Control, const char *Name, const char *Description)
{
    if ((Name == nullptr && Description == nullptr) || !Started())
        return;
    const char *const texts[] = {Name, Description};
    for (std::size_t i = 0; i < std::size(kNoted); ++i)
        if (texts[i] != nullptr)
            services_->SetHwndPropStr(Control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kNoted[i],
                                      WideFromUtf8(texts[i]).c_str());
    noted_.push_back(Control);
}

AccessibleNotes::~AccessibleNotes()
{
    if (services_ != nullptr) {
        for (HWND control : noted_)
            services_->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kNoted,
                                      static_cast<int>(std::size(kNoted)));
        services_->Release();
    }
    if (comStarted_)
        ::CoUninitialize();
}

} // namespace comsend
