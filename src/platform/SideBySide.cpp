#include "platform/SideBySide.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace platform {

void RunSideBySide(int count, const std::function<void(int)>& job) {
    std::vector<std::exception_ptr> failures(static_cast<size_t>(std::max(count, 0)));
    const auto run = [&](int i) {
        try {
            job(i);
        } catch (...) {
            failures[static_cast<size_t>(i)] = std::current_exception();
        }
    };
    std::vector<std::thread> helpers;
    std::vector<int> here{0};
    for (int i = 1; i < count; ++i) {
        try {
            helpers.emplace_back(run, i);
        } catch (const std::system_error&) {
            here.push_back(i);  // no thread to be had: done on this one
        }
    }
    for (const int i : here)
        if (i < count) run(i);
    for (std::thread& helper : helpers) helper.join();
    for (const std::exception_ptr& failure : failures)
        if (failure) std::rethrow_exception(failure);
}

}  // namespace platform
