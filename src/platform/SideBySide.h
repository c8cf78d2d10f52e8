#pragma once

#include <functional>

// Work on a large file cut into parts, each part on a thread of its own.
namespace platform {

// Runs job(0) ... job(count - 1), each on a thread of its own but job(0), which runs on
// this one, and returns when all have ended. A thread that cannot be started runs its job
// here instead. The first error a job raised is raised again here, after all have ended.
void RunSideBySide(int count, const std::function<void(int)>& job);

}  // namespace platform
