// A harmless stand-in for Explorer: writes its whole command line (UTF-16)
// to the file named by ORVELIN_RECORDED_COMMAND_LINE, under a temporary name
// first, so that the file appears complete; it does nothing else.

#include <windows.h>

#include <string>

int main()
{
    wchar_t record[MAX_PATH];
    if (::GetEnvironmentVariableW(L"ORVELIN_RECORDED_COMMAND_LINE", record, MAX_PATH) == 0)
        return 1;
    const std::wstring temporary = std::wstring(record) + L".tmp";
    const HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    const wchar_t* line = ::GetCommandLineW();
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, line, static_cast<DWORD>(wcslen(line) * sizeof(wchar_t)), &written, nullptr);
    ::CloseHandle(file);
    return ok && ::MoveFileExW(temporary.c_str(), record, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
