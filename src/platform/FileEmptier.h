#pragma once

#include <atomic>
#include <thread>

namespace platform {

// Empties a file just opened for writing on a thread of its own. Freeing a large file's
// blocks can keep the caller waiting for tens of milliseconds (a disk mounted with
// discard trims each freed stretch before the call returns), time a writer can spend
// preparing what it will write. A file holding nothing, or not a regular file, is left
// as it is. Nothing may be written to the file until Wait has returned.
class FileEmptier {
  public:
    explicit FileEmptier(int fileDescriptor);
    // Waits for the thread.
    ~FileEmptier();
    FileEmptier(const FileEmptier&) = delete;
    FileEmptier& operator=(const FileEmptier&) = delete;

    // Whether the file is empty by now (or failed to be emptied).
    bool Done() const { return done_.load(std::memory_order_acquire); }
    // Waits until the file is emptied; the system's error number when that failed, else 0.
    int Wait();

  private:
    void empty();

    int fd_;
    int error_ = 0;
    std::atomic<bool> done_{false};
    std::thread thread_;
};

}  // namespace platform
