#include "platform/folders.h"

#include "platform/os_error.h"

#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace orvelin::platform {
namespace {

// The folders MakeFolder made, each held open: while it is, its inode
// cannot be given to a folder made later by someone else.
std::vector<int> foldersMade;

bool SameFolder(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

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

bool IsFolder(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void MakeOneFolder(const std::string& folder)
{
    if (::mkdir(folder.c_str(), 0777) != 0)
        ThrowLastError();
    if (const int fd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC); fd >= 0)
        foldersMade.push_back(fd);
}

// A folder made here that was removed since is forgotten.
bool MadeByThisProcess(const std::string& folder) noexcept
{
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    bool made = false;
    std::erase_if(foldersMade, [&](int fd) {
        struct stat madeInfo {};
        if (::fstat(fd, &madeInfo) == 0 && madeInfo.st_nlink > 0) {
            made |= SameFolder(madeInfo, info);
            return false;
        }
        ::close(fd);
        return true;
    });
    return made;
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
