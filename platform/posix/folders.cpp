#include "platform/folders.h"

#include "platform/os_error.h"

#include <dirent.h>
#include <fcntl.h>
#include <algorithm>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace orvelin::platform {
namespace {

// The folders MakeFolder made, by device and inode.
std::vector<std::pair<dev_t, ino_t>> foldersMade;

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
    struct stat info {};
    if (::lstat(folder.c_str(), &info) == 0)
        foldersMade.emplace_back(info.st_dev, info.st_ino);
}

bool MadeByThisProcess(const std::string& folder) noexcept
{
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    return std::find(foldersMade.begin(), foldersMade.end(), std::pair{info.st_dev, info.st_ino}) != foldersMade.end();
}

struct CurrentDirectoryKept::Saved {
    int fd;
};

CurrentDirectoryKept::CurrentDirectoryKept()
    : saved_(std::make_unique<Saved>(Saved{::open(".", O_PATH | O_DIRECTORY | O_CLOEXEC)}))
{
}

CurrentDirectoryKept::~CurrentDirectoryKept()
{
    if (saved_->fd < 0)
        return;
    const int ignored = ::fchdir(saved_->fd);  // nothing is left to tell if the way back is gone
    (void)ignored;
    ::close(saved_->fd);
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
