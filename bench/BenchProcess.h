#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QString>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchClock.h"

// User and system time in a resource usage, in ms: steadier than wall time on a busy
// machine.
inline double cpuMs(const rusage& u) {
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// What a child process took.
struct ChildRun {
    double ms = 0;
    double cpuMs = 0;
    long peakKb = 0;  // its own, not this process's
    int status = -1;  // exit code, 128 + the signal when killed
};

// Waits for a child started at t0.
inline ChildRun waitChild(pid_t pid, Clock::time_point t0) {
    ChildRun r;
    int status = 0;
    rusage u{};
    wait4(pid, &status, 0, &u);
    r.ms = msSince(t0);
    r.cpuMs = cpuMs(u);
    r.peakKb = u.ru_maxrss;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return r;
}

// In a forked child: becomes the program, stdout to `output` and stderr to `errors`
// when given; exit code 127 when that fails.
[[noreturn]] inline void execProgram(const std::vector<std::string>& argv, const QString& output = QString(),
                                     const QString& errors = QString()) {
    if (!output.isEmpty() && std::freopen(output.toLocal8Bit().constData(), "w", stdout) == nullptr)
        _exit(127);
    if (!errors.isEmpty() && std::freopen(errors.toLocal8Bit().constData(), "w", stderr) == nullptr)
        _exit(127);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

// Runs a program and waits for it.
inline ChildRun runProgram(const std::vector<std::string>& argv, const QString& output = QString(),
                           const QString& errors = QString()) {
    std::fflush(stdout);
    const auto t0 = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) execProgram(argv, output, errors);
    return waitChild(pid, t0);
}
