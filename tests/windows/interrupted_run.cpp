// A run into the folder given second, interrupted half-way through its
// second file by the console event given first ("ctrl-c" or "close"). The
// event comes as Windows delivers it: a new thread of the process starting
// at CtrlRoutine, which calls the registered handlers.

#include "platform/interruption.h"
#include "platform/local_file_system.h"

#include <windows.h>

#include <string>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 1;
    orvelin::platform::EndCleanlyOnInterruption("interrupted-run");
    orvelin::platform::LocalFileSystem files;
    const std::string folder = argv[2];
    auto first = files.CreateTextFile(folder + "1.vcs", true);
    first->Write("whole");
    first->Close();
    auto second = files.CreateTextFile(folder + "2.vcs", true);
    second->Write("half");
    const DWORD event = std::string(argv[1]) == "close" ? CTRL_CLOSE_EVENT : CTRL_C_EVENT;
    const FARPROC deliver = ::GetProcAddress(::GetModuleHandleW(L"kernelbase.dll"), "CtrlRoutine");
    if (deliver == nullptr)
        return 1;
    const HANDLE handler = ::CreateThread(nullptr, 0,
                                          reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void*>(deliver)),
                                          reinterpret_cast<void*>(static_cast<ULONG_PTR>(event)), 0, nullptr);
    ::WaitForSingleObject(handler, INFINITE);
    return 1;
}
