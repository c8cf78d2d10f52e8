#include "platform/WriteBehind.h"

#include <fcntl.h>

#include <system_error>

namespace platform {

namespace {

// Stretches of this size keep the thread's calls few and the file's dirty pages bounded.
constexpr int64_t kStretch = int64_t{8} << 20;

}  // namespace

WriteBehind::WriteBehind(int fileDescriptor) : fd_(fileDescriptor) {}

WriteBehind::~WriteBehind() {
    Finish();
}

void WriteBehind::Written(int64_t bytes) {
    if (bytes - reported_ < kStretch || noThread_) return;
    // A small file never starts the thread.
    if (!thread_.joinable()) {
        try {
            thread_ = std::thread([this] { run(); });
        } catch (const std::system_error&) {
            // Without a thread the system does the write-back at close, as it would anyway.
            noThread_ = true;
            return;
        }
    }
    reported_ = bytes - bytes % kStretch;
    {
        std::lock_guard lock(mutex_);
        wanted_ = reported_;
    }
    wake_.notify_one();
}

void WriteBehind::Finish() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        finishing_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void WriteBehind::run() {
    int64_t started = 0;
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return finishing_ || wanted_ > started; });
        if (wanted_ <= started) return;
        const int64_t from = started;
        const int64_t to = wanted_;
        lock.unlock();
        // Errors are left to the writer's own calls, which report them with the file's name.
        sync_file_range(fd_, from, to - from, SYNC_FILE_RANGE_WRITE);
        lock.lock();
        started = to;
    }
}

}  // namespace platform
