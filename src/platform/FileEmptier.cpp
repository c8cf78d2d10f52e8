#include "platform/FileEmptier.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace platform {

FileEmptier::FileEmptier(int fileDescriptor) : fd_(fileDescriptor) {
    struct stat status {};
    if (::fstat(fd_, &status) != 0) {
        error_ = errno;
        done_ = true;
        return;
    }
    // A pipe or a device has nothing to empty; an empty file needs no thread.
    if (!S_ISREG(status.st_mode) || status.st_size == 0) {
        done_ = true;
        return;
    }
    try {
        thread_ = std::thread([this] { empty(); });
    } catch (const std::system_error&) {
        empty();  // no thread to be had: the caller waits, as opening with truncation would
    }
}

FileEmptier::~FileEmptier() {
    Wait();
}

void FileEmptier::empty() {
    if (::ftruncate(fd_, 0) != 0) error_ = errno;
    done_.store(true, std::memory_order_release);
}

int FileEmptier::Wait() {
    if (thread_.joinable()) thread_.join();
    return error_;
}

}  // namespace platform
