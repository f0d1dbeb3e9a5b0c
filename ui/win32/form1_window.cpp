#include "ui/win32/form1_window.h"

#include "ui/form/captions.h"
#include "ui/win32/control_ids.h"

namespace orvelin::ui::win32 {
namespace {

// Designed in twips, 15 to a pixel at 96 dots per inch: Generate, Cancel and
// the progress line stand on Frame1 (from 120, 840 twips).
constexpr ControlDesign kControls[] = {
    {kLabel1, L"STATIC", SS_LEFT, "", kOnBand | kBehind, 0, 0, 593, 49},
    {kLabel2, L"STATIC", SS_LEFT, kInstructions, kOnBand | kDesignFont, 8, 8, 577, 41},
    {kFrame1, L"BUTTON", BS_GROUPBOX, "", kBehind, 8, 56, 577, 49},
    {kCommand1, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, "&Generate", kDialogFont, 24, 72, 97, 25},
    {kLabel3, L"STATIC", SS_LEFT | SS_NOPREFIX, kCreditLine, kDesignFont, 264, 76, 201, 17},
    {kCommand2, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, "&Cancel", kDialogFont, 136, 72, 97, 25},
};

// A push button that has the focus answers Enter, as on every desktop;
// neither button is the window's default button.
const WindowDesign kDesign{L"OrvelinForm1", kWindowCaption, 594, 117, kControls, kCommand1, 0, kLabel3};

}  // namespace

Form1Window::Form1Window(HINSTANCE instance, Form1::FileSystemFactory createFileSystem,
                         platform::FileManagerLauncher& fileManager)
    : ToolkitWindow(instance, kDesign), form_(*this, std::move(createFileSystem), fileManager)
{
    Create();
    form_.Form_Load();
}

void Form1Window::OnCommand(int id, int notification)
{
    if (notification == BN_CLICKED && id == kCommand1)
        form_.Command1_Click();
    else if (notification == BN_CLICKED && id == kCommand2)
        form_.Command2_Click();
}

void Form1Window::OnClose()
{
    form_.Form_Unload();
}

void Form1Window::OpenFile(const std::string& file)
{
    form_.OpenFile(file);
}

}  // namespace orvelin::ui::win32
