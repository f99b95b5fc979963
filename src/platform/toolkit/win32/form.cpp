// A form's window and controls, built from its description: one child
// window per control at the description's pixels, scaled from the
// resolution the form was drawn at to the screen's, as the program declares
// itself aware of the system's resolution (app/comsend.manifest).
#include "controlwindows.h"
#include "fonts.h"
#include "formwindow.h"
#include "native.h"
#include "textcodec.h"

#include "platform/exception.h"

#include <algorithm>
#include <string>

namespace comsend {

namespace {

std::string LastErrorText()
{
    return std::to_string(::GetLastError());
}

// The font a control draws with: its own, made once for all the controls
// that share its description, or the form's.
HFONT FontFor(const TControlDescription &d, const TFormDescription &description, NativeForm &form)
{
    if (d.Font == nullptr)
        return form.font.get();
    const auto made =
        std::find_if(form.controlFonts.begin(), form.controlFonts.end(),
                     [&](const NativeForm::ControlFont &font) { return font.description == d.Font; });
    if (made != form.controlFonts.end())
        return made->handle.get();
    form.controlFonts.push_back(
        {d.Font, CreateDescribedFont(*d.Font, form.Scaled(d.Font->Height), description.Font.Name)});
    return form.controlFonts.back().handle.get();
}

// The order the controls stand in, front to back, which is the order Tab
// visits them in: the tab stops by TabOrder, each directly after the label
// that names it (which screen readers take as its name), then the rest.
std::vector<std::size_t> StackingOrder(const TFormDescription &description)
{
    const auto &controls = description.Controls;
    std::vector<std::size_t> order;
    for (const std::size_t stop : description.TabStops()) {
        for (std::size_t i = 0; i < controls.size(); ++i) {
            const char *target = controls[i].FocusControl;
            if (controls[i].TabOrder < 0 && target != nullptr
                && std::string_view(target) == controls[stop].Name)
                order.push_back(i);
        }
        order.push_back(stop);
    }
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (std::find(order.begin(), order.end(), i) == order.end())
            order.push_back(i);
    }
    return order;
}

void Stack(const NativeForm &form, const std::vector<std::size_t> &order)
{
    HWND above = HWND_TOP;
    for (const std::size_t i : order) {
        ::SetWindowPos(form.controls[i], above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        above = form.controls[i];
    }
}

} // namespace

TForm::TForm(TComponent *Owner, const TFormDescription &Description,
             std::initializer_list<comsend::PublishedMethod> Methods)
    : TComponent(Owner), description_(Description), methods_(Methods), native_(std::make_unique<NativeForm>())
{
    NativeForm &form = *native_;
    form.dpi = ScreenDpi();
    form.designPpi = Description.PixelsPerInch > 0 ? Description.PixelsPerInch : 96;
    form.font = CreateDescribedFont(Description.Font, form.Scaled(Description.Font.Height), nullptr);
    const std::wstring windowClass = RegisterFormClass(Description);
    // The description's size is the outer one, frame and caption included,
    // as CreateWindowEx takes it. The position is the screen's own.
    HWND window =
        ::CreateWindowExW(WS_EX_CONTROLPARENT, windowClass.c_str(), WideFromUtf8(Description.Caption).c_str(),
                          WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, Description.Left, Description.Top,
                          form.Scaled(Description.Width), form.Scaled(Description.Height), nullptr, nullptr,
                          ::GetModuleHandleW(nullptr), this);
    if (window == nullptr)
        throw Exception(AnsiString("The window could not be created (error " + LastErrorText() + ")"));
    form.window.reset(window);
    ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(form.font.get()), FALSE);
    for (std::size_t i = 0; i < Description.Controls.size(); ++i) {
        const TControlDescription &d = Description.Controls[i];
        HWND control = CreateControlWindow(d, static_cast<int>(i), form, FontFor(d, Description, form));
        if (control == nullptr)
            throw Exception(AnsiString("The control " + std::string(d.Name) + " could not be created (error "
                                       + LastErrorText() + ")"));
        form.controls.push_back(control);
    }
    form.buttons.assign(form.controls.size(), nullptr);
    Stack(form, StackingOrder(Description));
    // The first control in the tab order starts with the focus.
    form.focus = ::GetNextDlgTabItem(window, nullptr, FALSE);
}

TForm::~TForm() = default;

void TForm::Show()
{
    HWND window = native_->window.get();
    ::SetWindowPos(window, nullptr, description_.Left, description_.Top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(window, SW_SHOWNORMAL);
    ::UpdateWindow(window);
    ::SetForegroundWindow(window);
    if (::GetActiveWindow() == window)
        RestoreFocus(*native_);
}

} // namespace comsend
