#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace platform {

// Starts the system's write-back of a file's data on a thread of its own, a stretch at a
// time, while the writer goes on. The system would otherwise do all of it when a file it
// has just emptied is closed, on the writer's thread: a third of a second for a few hundred
// megabytes. Only starts the write-back, never waits for the disk; a failure of the
// writing itself still shows in the writer's own write and close calls.
class WriteBehind {
  public:
    explicit WriteBehind(int fileDescriptor);
    // Waits for the thread; call before the file is closed.
    ~WriteBehind();
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    // The file now holds `bytes` bytes written from its start.
    void Written(int64_t bytes);
    // Ends the thread once it has started the write-back asked for so far.
    void Finish();

  private:
    void run();

    int fd_;
    int64_t reported_ = 0;  // the writer's side: what was told to the thread
    bool noThread_ = false;
    std::mutex mutex_;
    std::condition_variable wake_;
    int64_t wanted_ = 0;  // up to here the write-back is wanted
    bool finishing_ = false;
    std::thread thread_;
};

}  // namespace platform
