#pragma once
// Child processes of a test, each bounded in time: the scenehost program run as a user runs it,
// or a part of the test run apart, so that a hang fails the test with a message instead of
// holding up the whole run.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <string>
#include <vector>

namespace sceneTesting {

struct ChildRun {
    int exitCode = -1;  // -1 when it did not exit (a signal ended it)
    int signal = 0;     // the signal that ended it, or 0
    bool timedOut = false;
    std::string out, err;
};

// How long a child may run before it is killed as hung.
constexpr int kChildSeconds = 120;

namespace detail {

using Clock = std::chrono::steady_clock;

// Reads both pipes until each is closed, together, so that a child filling one of them is never
// left waiting while the other is read. False when the deadline came first.
inline bool drain(int outPipe, int errPipe, ChildRun& run, Clock::time_point deadline) {
    pollfd pipes[2] = {{outPipe, POLLIN, 0}, {errPipe, POLLIN, 0}};
    std::string* texts[2] = {&run.out, &run.err};
    bool inTime = true;
    for (int open = 2; open > 0;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            inTime = false;
            break;
        }
        if (poll(pipes, 2, static_cast<int>(left)) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (pipes[i].fd < 0 || pipes[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t got = read(pipes[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                texts[i]->append(buffer, static_cast<size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                close(pipes[i].fd);
                pipes[i].fd = -1;
                --open;
            }
        }
    }
    for (const pollfd& pipe : pipes)
        if (pipe.fd >= 0) close(pipe.fd);
    return inTime;
}

inline pid_t waitFor(pid_t child, int& status) {
    pid_t waited;
    while ((waited = waitpid(child, &status, 0)) < 0 && errno == EINTR) {
    }
    return waited;
}

}  // namespace detail

// Runs `inChild` in a forked child whose standard output and error become the result's texts,
// and waits for the child to end, at most `seconds`: past that it is killed (SIGKILL) and reaped,
// and the test fails with a message that names `what`. `inChild` ends the child by exec or
// _exit; if it returns, the child exits with 127. Between fork and exec only async-signal-safe
// calls are sure to work in a process with threads; a test that runs more in the child relies on
// its other threads holding no lock then (the deadline still bounds it if one does).
template <typename InChild>
ChildRun runInChild(const std::string& what, InChild inChild, int seconds = kChildSeconds) {
    ChildRun run;
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0) return run;
    if (pipe2(err, O_CLOEXEC) != 0) {
        close(out[0]);
        close(out[1]);
        return run;
    }
    const auto deadline = detail::Clock::now() + std::chrono::seconds(seconds);
    const pid_t child = fork();
    if (child == 0) {
        if (dup2(out[1], STDOUT_FILENO) < 0 || dup2(err[1], STDERR_FILENO) < 0) _exit(127);
        inChild();
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    if (child < 0) {
        close(out[0]);
        close(err[0]);
        return run;
    }
    if (!detail::drain(out[0], err[0], run, deadline)) {
        kill(child, SIGKILL);
        run.timedOut = true;
        ADD_FAILURE() << what << " ran past " << seconds << " s and was killed";
    }
    int status = 0;
    if (detail::waitFor(child, status) != child) return run;
    if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
    return run;
}

// Runs `program` (the scenehost) with `arguments` in the folder `folder` (or the test's own) and
// waits for it to end, within kChildSeconds. With a `fileSizeLimit`, no file it writes may grow
// past that many bytes (RLIMIT_FSIZE; its output goes through pipes, which the limit does not
// touch), and the signal that a write past the limit raises has its default action, ending the
// program, unless the program itself changes that.
inline ChildRun runSceneHost(const std::string& program, const std::vector<std::string>& arguments,
                             rlim_t fileSizeLimit = RLIM_INFINITY, const std::string& folder = "") {
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const rlimit limit{fileSizeLimit, fileSizeLimit};
    return runInChild(program, [&] {
        std::signal(SIGXFSZ, SIG_DFL);
        if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(127);
        if (fileSizeLimit != RLIM_INFINITY && setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(127);
        execv(argv[0], argv.data());
    });
}

}  // namespace sceneTesting
