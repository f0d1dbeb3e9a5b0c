#pragma once

// The child windows of the Win32 windows, by control ID: what the windows and
// the tests that drive them agree on.
namespace orvelin::ui::win32 {

// The plain window.
enum ControlId : int {
    kLabel1 = 101,
    kLabel2 = 102,
    kFrame1 = 103,
    kCommand1 = 104,
    kLabel3 = 105,
    kCommand2 = 106,
};

// The standalone window, in the order of its layout; the choices run from
// kFilesGroup to kBrowse.
enum StandaloneControlId : int {
    kBand = 201,
    kInstructionsLabel,
    kFilesGroup,
    kOneEntry,
    kEntries,
    kEntryCount,
    kEntriesPerFile,
    kOneMegabyte,
    kSize,
    kSizeText,
    kSizePerFile,
    kByYear,
    kByMonth,
    kToICalendar,
    kNamesGroup,
    kByNumber,
    kByDate,
    kByUid,
    kOutputGroup,
    kBeside,
    kOwnFolder,
    kFolder,
    kBrowse,
    kGenerate,
    kCancel,
    kProgress,
    kEntriesLine,
    kProgressLine,
};

}  // namespace orvelin::ui::win32
