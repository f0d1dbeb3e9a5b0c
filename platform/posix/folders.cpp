#include "platform/folders.h"

#include "platform/os_error.h"

#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace orvelin::platform {
namespace {

bool IsListedOrdinaryFile(DIR* dir, const dirent& entry)
{
    if (entry.d_name[0] == '.')
        return false;
    if (entry.d_type == DT_REG)
        return true;
    if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK)
        return false;
    struct stat info {};
    return ::fstatat(::dirfd(dir), entry.d_name, &info, 0) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

std::string FirstFileIn(const std::string& folder)
{
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
    if (!dir)
        return {};
    while (const dirent* entry = ::readdir(dir.get())) {
        if (IsListedOrdinaryFile(dir.get(), *entry))
            return entry->d_name;
    }
    return {};
}

void MakeFolder(const std::string& folder)
{
    if (::mkdir(folder.c_str(), 0777) != 0)
        ThrowLastError();
}

std::string ChangeDirectory(const std::string& folder)
{
    if (::chdir(folder.c_str()) != 0)
        ThrowLastError();
    const std::unique_ptr<char, void (*)(void*)> current(::getcwd(nullptr, 0), &::free);
    if (!current)
        ThrowLastError();
    return current.get();
}

}  // namespace orvelin::platform
