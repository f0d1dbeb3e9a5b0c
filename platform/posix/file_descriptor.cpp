#include "platform/posix/file_descriptor.h"

#include <unistd.h>

namespace orvelin::platform {

int FileDescriptor::reset(int fd) noexcept
{
    const int old = std::exchange(fd_, fd);
    return old >= 0 ? ::close(old) : 0;
}

}  // namespace orvelin::platform
