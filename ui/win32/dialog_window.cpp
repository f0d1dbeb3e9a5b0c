#include "ui/win32/dialog_window.h"

#include "platform/windows/wide.h"
#include "ui/win32/file_dialogs.h"

#include <shellapi.h>

#include <utility>

namespace orvelin::ui::win32 {
namespace {

constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW;
// Posted to the window to open a file handed over once the message loop runs.
constexpr UINT kOpenHandedFile = WM_APP;

int Scaled(int pixels, UINT dpi)
{
    return MulDiv(pixels, static_cast<int>(dpi), 96);
}

// Arial 8.25 pt bold.
HFONT CreateDesignFont(UINT dpi)
{
    LOGFONTW font{};
    font.lfHeight = -MulDiv(825, static_cast<int>(dpi), 7200);
    font.lfWeight = FW_BOLD;
    font.lfCharSet = DEFAULT_CHARSET;
    wcscpy_s(font.lfFaceName, L"Arial");
    return ::CreateFontIndirectW(&font);
}

// The system's dialog font (the message font) at this DPI.
HFONT CreateDialogFont(UINT dpi)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!::SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi))
        return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    return ::CreateFontIndirectW(&metrics.lfMessageFont);
}

void RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = static_cast<HICON>(::LoadImageW(instance, L"IDI_ICON1", IMAGE_ICON, 32, 32, 0));
    windowClass.hIconSm = static_cast<HICON>(::LoadImageW(instance, L"IDI_ICON1", IMAGE_ICON, 16, 16, 0));
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = name;
    ::RegisterClassExW(&windowClass);
}

// The first file dropped (a calendar is split one at a time); the drop is
// done with.
std::optional<std::string> FirstDropped(HDROP drop)
{
    std::wstring file(::DragQueryFileW(drop, 0, nullptr, 0), L'\0');
    const bool dropped = !file.empty() && ::DragQueryFileW(drop, 0, file.data(), static_cast<UINT>(file.size() + 1));
    ::DragFinish(drop);
    return dropped ? std::optional(platform::Narrow(file)) : std::nullopt;
}

bool IsPushButton(HWND control)
{
    return control && (::SendMessageW(control, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON));
}

}  // namespace

DialogWindow::DialogWindow(HINSTANCE instance, const WindowDesign& design) : instance_(instance), design_(design) {}

// Destroyed without the derived window, which is gone already, and without
// ending the thread's message loop.
DialogWindow::~DialogWindow()
{
    if (window_) {
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        ::DestroyWindow(window_);
    }
    ::DeleteObject(designFont_);
    ::DeleteObject(dialogFont_);
}

void DialogWindow::Create()
{
    RegisterWindowClass(instance_, design_.windowClass, &DialogWindow::WindowProcedure);
    // Sized for the system's DPI first; WM_DPICHANGED follows the monitor.
    dpi_ = ::GetDpiForSystem();
    RECT frame{0, 0, Scaled(design_.clientWidth, dpi_), Scaled(design_.clientHeight, dpi_)};
    ::AdjustWindowRectExForDpi(&frame, kWindowStyle, FALSE, 0, dpi_);
    ::CreateWindowExW(0, design_.windowClass, platform::Widen(design_.caption).c_str(), kWindowStyle, CW_USEDEFAULT,
                      CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance_,
                      this);
}

void DialogWindow::Show(int showCommand)
{
    ::ShowWindow(window_, showCommand);
    ::UpdateWindow(window_);
    ::SetFocus(Control(design_.firstFocus));
}

int DialogWindow::Run(int showCommand, const std::string& file)
{
    Show(showCommand);
    if (!file.empty()) {
        handedFile_ = file;
        ::PostMessageW(window_, kOpenHandedFile, 0, 0);
    }
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0)
        Dispatch(message);
    return exitStatus_;
}

bool DialogWindow::Dispatch(MSG& message)
{
    if (message.message == WM_QUIT)
        return false;
    if (window_ && message.message == WM_KEYDOWN && message.wParam == VK_RETURN && PressFocusedButton())
        return true;
    // Tab, the access keys, Esc, and Enter elsewhere for the default button
    // (DM_GETDEFID), as in a dialog box.
    if (!window_ || !::IsDialogMessageW(window_, &message)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    ShowDefaultButton();
    return true;
}

bool DialogWindow::PressFocusedButton()
{
    const HWND focus = ::GetFocus();
    if (!IsPushButton(focus) || !::IsChild(window_, focus))
        return false;
    ::PostMessageW(focus, BM_CLICK, 0, 0);
    return true;
}

void DialogWindow::ShowDefaultButton()
{
    const HWND focus = ::GetFocus();
    if (!design_.defaultButton || focus == lastFocus_ || !::IsChild(window_, focus))
        return;
    lastFocus_ = focus;
    const HWND shown = IsPushButton(focus) ? focus : Control(design_.defaultButton);
    for (const ControlDesign& control : design_.controls) {
        const HWND button = Control(control.id);
        if (IsPushButton(button))
            ::SendMessageW(button, BM_SETSTYLE, button == shown ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    }
}

void DialogWindow::PumpMessages()
{
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (!Dispatch(message)) {
            // The program is ending: leave the quit for the main loop.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
    }
}

void DialogWindow::End(int exitStatus)
{
    exitStatus_ = exitStatus;
    if (window_)
        ::DestroyWindow(window_);
}

void DialogWindow::CreateControls()
{
    for (const ControlDesign& control : design_.controls) {
        // Fields are sunken, as in a dialog box.
        const DWORD extended = wcscmp(control.windowClass, L"EDIT") == 0 ? WS_EX_CLIENTEDGE : 0;
        ::CreateWindowExW(extended, control.windowClass, platform::Widen(control.caption).c_str(),
                          WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | control.style, 0, 0, 0, 0, window_,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance_, nullptr);
    }
    // Children are stacked in the order made, the first on top, which is also
    // the Tab order: what others stand on goes under them.
    for (const ControlDesign& control : design_.controls) {
        if (control.traits & kBehind)
            ::SetWindowPos(Control(control.id), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    SetFonts();
    PlaceControls();
    ::DragAcceptFiles(window_, TRUE);
}

void DialogWindow::SetFonts()
{
    ::DeleteObject(designFont_);
    ::DeleteObject(dialogFont_);
    designFont_ = CreateDesignFont(dpi_);
    dialogFont_ = CreateDialogFont(dpi_);
    for (const ControlDesign& control : design_.controls) {
        const HFONT font = (control.traits & kDesignFont) ? designFont_ : dialogFont_;
        ::SendMessageW(Control(control.id), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
}

void DialogWindow::PlaceControls()
{
    for (const ControlDesign& control : design_.controls) {
        ::SetWindowPos(Control(control.id), nullptr, Scaled(control.left, dpi_), Scaled(control.top, dpi_),
                       Scaled(control.width, dpi_), Scaled(control.height, dpi_), SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

const ControlDesign* DialogWindow::DesignOf(HWND control) const
{
    const int id = ::GetDlgCtrlID(control);
    for (const ControlDesign& design : design_.controls) {
        if (design.id == id)
            return &design;
    }
    return nullptr;
}

LRESULT CALLBACK DialogWindow::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<DialogWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<DialogWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    return self ? self->Handle(message, wParam, lParam) : ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT DialogWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: CreateControls(); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_NEXTDLGCTL: {
        // Where the dialog manager moves the focus: to a control, or on in Tab order.
        const HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                         : ::GetNextDlgTabItem(window_, ::GetFocus(), wParam != 0);
        if (next)
            ::SetFocus(next);
        return 0;
    }
    case DM_GETDEFID: return design_.defaultButton ? MAKELRESULT(design_.defaultButton, DC_HASDEFID) : 0;
    case WM_CTLCOLORSTATIC: {
        // The band with the instructions on it. The window colour and its
        // text colour are a matched pair: white and black in the standard
        // schemes, readable in every other.
        const ControlDesign* control = DesignOf(reinterpret_cast<HWND>(lParam));
        if (!control || !(control->traits & kOnBand))
            break;
        const HDC context = reinterpret_cast<HDC>(wParam);
        ::SetBkColor(context, ::GetSysColor(COLOR_WINDOW));
        ::SetTextColor(context, ::GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
    }
    case WM_DPICHANGED: {
        dpi_ = HIWORD(wParam);
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        SetFonts();
        ::SetWindowPos(window_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        PlaceControls();
        return 0;
    }
    case WM_ACTIVATE:
        // The focused control keeps the focus across a dialog or another
        // program's window, as in a dialog box.
        if (LOWORD(wParam) == WA_INACTIVE && ::IsChild(window_, ::GetFocus()))
            focus_ = ::GetFocus();
        return 0;
    case WM_SETFOCUS: ::SetFocus(focus_ && ::IsWindow(focus_) ? focus_ : Control(design_.firstFocus)); return 0;
    case WM_DROPFILES:
        if (const std::optional<std::string> file = FirstDropped(reinterpret_cast<HDROP>(wParam)))
            OpenFile(*file);
        return 0;
    case kOpenHandedFile: OpenFile(std::exchange(handedFile_, {})); return 0;
    case WM_CLOSE: OnClose(); return 0;
    case WM_DESTROY:
        window_ = nullptr;
        ::PostQuitMessage(exitStatus_);
        return 0;
    default: break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

void DialogWindow::SetText(int id, std::string_view text) const
{
    ::SetWindowTextW(Control(id), platform::Widen(text).c_str());
}

std::string DialogWindow::Text(int id) const
{
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(Control(id))), L'\0');
    text.resize(
        static_cast<std::size_t>(::GetWindowTextW(Control(id), text.data(), static_cast<int>(text.size() + 1))));
    return platform::Narrow(text);
}

std::optional<std::string> DialogWindow::OpenDialog(const DialogSettings& settings,
                                                    const std::string& initialFile) const
{
    return ChooseFile(window_, settings, initialFile);
}

void DialogWindow::Box(std::string_view text, std::string_view title, MessageIcon icon) const
{
    const UINT style = MB_OK | (icon == MessageIcon::Critical ? MB_ICONERROR : MB_ICONINFORMATION);
    ::MessageBoxW(window_, platform::Widen(text).c_str(), platform::Widen(title).c_str(), style);
}

bool DialogWindow::Ask(std::string_view text, std::string_view title) const
{
    return ::MessageBoxW(window_, platform::Widen(text).c_str(), platform::Widen(title).c_str(),
                         MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1) == IDYES;
}

void DialogWindow::ShowProgressLine(bool visible) const
{
    ::ShowWindow(Control(design_.progressLine), visible ? SW_SHOW : SW_HIDE);
}

void DialogWindow::SetProgressLine(std::string_view caption) const
{
    SetText(design_.progressLine, caption);
}

}  // namespace orvelin::ui::win32
