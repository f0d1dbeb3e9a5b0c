#pragma once

// The child windows of Form1 on Windows, by control ID: what the window and
// the tests that drive it agree on.
namespace orvelin::ui::win32 {

enum ControlId : int {
    kLabel1 = 101,
    kLabel2 = 102,
    kFrame1 = 103,
    kCommand1 = 104,
    kLabel3 = 105,
    kCommand2 = 106,
};

}  // namespace orvelin::ui::win32
