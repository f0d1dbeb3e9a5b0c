#include "ui/win32/form1_window.h"

#include "platform/windows/wide.h"
#include "ui/form/captions.h"
#include "ui/win32/control_ids.h"

#include <commdlg.h>

#include <vector>

namespace orvelin::ui::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"OrvelinForm1";
constexpr int kClientWidth = 594;  // at 96 dots per inch
constexpr int kClientHeight = 117;
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW;


// Where each control stands, designed in twips (15 to a pixel at 96 dots per
// inch), relative to its container; the controls inside Frame1 are the
// window's own children, placed over it.
struct Design {
    ControlId id;
    const wchar_t* windowClass;
    DWORD style;
    std::string_view caption;  // UTF-8
    bool insideFrame;
    int left, top, width, height;
};

constexpr int kFrameLeft = 120;
constexpr int kFrameTop = 840;

const Design kDesign[] = {
    {kLabel1, L"STATIC", SS_LEFT, "", false, 0, 0, 8895, 735},
    {kLabel2, L"STATIC", SS_LEFT, kInstructions, false, 120, 120, 8655, 615},
    {kFrame1, L"BUTTON", BS_GROUPBOX, "", false, kFrameLeft, kFrameTop, 8655, 735},
    {kCommand1, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, "&Generate", true, 240, 240, 1455, 375},
    {kLabel3, L"STATIC", SS_LEFT | SS_NOPREFIX, kCreditLine, true, 3840, 300, 3015, 255},
    {kCommand2, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, "&Cancel", true, 1920, 240, 1455, 375},
};

int Scaled(int twips, UINT dpi)
{
    return MulDiv(twips / 15, static_cast<int>(dpi), 96);
}

// Arial 8.25 pt bold, as Label2 and Label3 were designed.
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

// "Description|pattern|…" as the dialog takes it: NUL-separated, doubly ended.
std::wstring DialogFilter(const std::string& filter)
{
    std::wstring result = platform::Widen(filter);
    for (wchar_t& c : result)
        c = c == L'|' ? L'\0' : c;
    result.push_back(L'\0');
    result.push_back(L'\0');
    return result;
}

void RegisterWindowClass(HINSTANCE instance, WNDPROC procedure)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = static_cast<HICON>(::LoadImageW(instance, L"IDI_ICON1", IMAGE_ICON, 32, 32, 0));
    windowClass.hIconSm = static_cast<HICON>(::LoadImageW(instance, L"IDI_ICON1", IMAGE_ICON, 16, 16, 0));
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    ::RegisterClassExW(&windowClass);
}

}  // namespace

Form1Window::Form1Window(HINSTANCE instance, Form1::FileSystemFactory createFileSystem,
                         platform::FileManagerLauncher& fileManager)
    : instance_(instance), form_(*this, std::move(createFileSystem), fileManager)
{
    RegisterWindowClass(instance_, &Form1Window::WindowProcedure);
    // Sized for the system's DPI first; WM_DPICHANGED follows the monitor.
    dpi_ = ::GetDpiForSystem();
    RECT frame{0, 0, MulDiv(kClientWidth, static_cast<int>(dpi_), 96), MulDiv(kClientHeight, static_cast<int>(dpi_), 96)};
    ::AdjustWindowRectExForDpi(&frame, kWindowStyle, FALSE, 0, dpi_);
    window_ = ::CreateWindowExW(0, kWindowClass, platform::Widen(kWindowCaption).c_str(), kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance_, this);
    form_.Form_Load();
}

Form1Window::~Form1Window()
{
    if (window_)
        ::DestroyWindow(window_);
    ::DeleteObject(designFont_);
    ::DeleteObject(dialogFont_);
}

void Form1Window::Show(int showCommand)
{
    ::ShowWindow(window_, showCommand);
    ::UpdateWindow(window_);
    ::SetFocus(::GetDlgItem(window_, kCommand1));
}

int Form1Window::Run(int showCommand)
{
    Show(showCommand);
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0)
        Dispatch(message);
    return exitStatus_;
}

bool Form1Window::Dispatch(MSG& message)
{
    if (message.message == WM_QUIT)
        return false;
    // A push button that has the focus answers Enter, as on every desktop;
    // neither button is the window's default button.
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN && window_) {
        const HWND focus = ::GetFocus();
        if (focus == ::GetDlgItem(window_, kCommand1) || focus == ::GetDlgItem(window_, kCommand2)) {
            ::PostMessageW(focus, BM_CLICK, 0, 0);
            return true;
        }
    }
    // Tab between the buttons and the access keys Alt+G and Alt+C.
    if (window_ && ::IsDialogMessageW(window_, &message))
        return true;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
    return true;
}

void Form1Window::CreateControls()
{
    designFont_ = CreateDesignFont(dpi_);
    dialogFont_ = CreateDialogFont(dpi_);
    for (const Design& control : kDesign) {
        const HWND child = ::CreateWindowExW(0, control.windowClass, platform::Widen(control.caption).c_str(),
                                             WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | control.style, 0, 0, 0, 0,
                                             window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
                                             instance_, nullptr);
        const bool designFont = control.id == kLabel2 || control.id == kLabel3;
        ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(designFont ? designFont_ : dialogFont_), FALSE);
    }
    // Children are stacked in the order made, the first on top: the band and
    // the frame go under what stands on them.
    for (const int below : {kFrame1, kLabel1})
        ::SetWindowPos(::GetDlgItem(window_, below), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    PlaceControls();
}

void Form1Window::PlaceControls()
{
    for (const Design& control : kDesign) {
        const int left = control.insideFrame ? kFrameLeft + control.left : control.left;
        const int top = control.insideFrame ? kFrameTop + control.top : control.top;
        ::SetWindowPos(::GetDlgItem(window_, control.id), nullptr, Scaled(left, dpi_), Scaled(top, dpi_),
                       Scaled(control.width, dpi_), Scaled(control.height, dpi_), SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

LRESULT CALLBACK Form1Window::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Form1Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Form1Window*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    return self ? self->Handle(message, wParam, lParam) : ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT Form1Window::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        CreateControls();
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == kCommand1)
            form_.Command1_Click();
        else if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == kCommand2)
            form_.Command2_Click();
        return 0;
    case WM_CTLCOLORSTATIC: {
        // The white band with the instructions on it. The window colour and
        // its text colour are a matched pair: white and black in the standard
        // schemes, readable in every other (the caption-text colour the band
        // was first drawn in is black in today's schemes, as its text is).
        const int id = ::GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        if (id != kLabel1 && id != kLabel2)
            break;
        const HDC context = reinterpret_cast<HDC>(wParam);
        ::SetBkColor(context, ::GetSysColor(COLOR_WINDOW));
        ::SetTextColor(context, ::GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
    }
    case WM_DPICHANGED: {
        dpi_ = HIWORD(wParam);
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        ::DeleteObject(designFont_);
        ::DeleteObject(dialogFont_);
        designFont_ = CreateDesignFont(dpi_);
        dialogFont_ = CreateDialogFont(dpi_);
        for (const Design& control : kDesign) {
            const bool designFont = control.id == kLabel2 || control.id == kLabel3;
            ::SendMessageW(::GetDlgItem(window_, control.id), WM_SETFONT,
                           reinterpret_cast<WPARAM>(designFont ? designFont_ : dialogFont_), TRUE);
        }
        ::SetWindowPos(window_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        PlaceControls();
        return 0;
    }
    case WM_ACTIVATE:
        // The focused button keeps the focus across a dialog or another
        // program's window, as in a dialog box.
        if (LOWORD(wParam) == WA_INACTIVE && ::IsChild(window_, ::GetFocus()))
            focus_ = ::GetFocus();
        return 0;
    case WM_SETFOCUS:
        ::SetFocus(focus_ && ::IsWindow(focus_) ? focus_ : ::GetDlgItem(window_, kCommand1));
        return 0;
    case WM_CLOSE:
        form_.Form_Unload();
        return 0;
    case WM_DESTROY:
        window_ = nullptr;
        ::PostQuitMessage(exitStatus_);
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

std::optional<std::string> Form1Window::ShowOpenDialog(const DialogSettings& settings, const std::string& initialFile)
{
    const std::wstring filter = DialogFilter(settings.filter);
    const std::wstring title = platform::Widen(settings.title);
    std::vector<wchar_t> file(32768, L'\0');
    const std::wstring initial = platform::Widen(initialFile);
    std::copy(initial.begin(), initial.end(), file.begin());
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window_;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = title.c_str();
    dialog.Flags = static_cast<DWORD>(settings.flags) | OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!::GetOpenFileNameW(&dialog))
        return std::nullopt;
    return platform::Narrow(file.data());
}

void Form1Window::ShowBox(std::string_view text, std::string_view title, BoxIcon icon)
{
    const UINT style = MB_OK | (icon == BoxIcon::Critical ? MB_ICONERROR : MB_ICONINFORMATION);
    ::MessageBoxW(window_, platform::Widen(text).c_str(), platform::Widen(title).c_str(), style);
}

void Form1Window::SetProgressVisible(bool visible)
{
    ::ShowWindow(::GetDlgItem(window_, kLabel3), visible ? SW_SHOW : SW_HIDE);
}

void Form1Window::SetProgressCaption(std::string_view caption)
{
    ::SetWindowTextW(::GetDlgItem(window_, kLabel3), platform::Widen(caption).c_str());
}

void Form1Window::ProcessPendingEvents()
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

void Form1Window::EndProgram(int exitStatus)
{
    exitStatus_ = exitStatus;
    if (window_)
        ::DestroyWindow(window_);
}

}  // namespace orvelin::ui::win32
