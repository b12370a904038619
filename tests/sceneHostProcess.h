#pragma once
// The scenehost program run as a child process, as a user runs it: how it ended and what it
// printed, optionally under a limit on the size of the files it writes.
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <string>
#include <vector>

namespace sceneTesting {

struct HostRun {
    int exitCode = -1;  // -1 when it did not exit (a signal ended it)
    int signal = 0;     // the signal that ended it, or 0
    std::string out, err;
};

namespace detail {

// Reads both pipes until each is closed, together, so that a child filling one of them is never
// left waiting while the other is read.
inline void drain(int outPipe, int errPipe, HostRun& run) {
    pollfd pipes[2] = {{outPipe, POLLIN, 0}, {errPipe, POLLIN, 0}};
    std::string* texts[2] = {&run.out, &run.err};
    for (int open = 2; open > 0;) {
        if (poll(pipes, 2, -1) < 0) {
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
}

}  // namespace detail

// Runs `program` (the scenehost) with `arguments` and waits for it to end. With a
// `fileSizeLimit`, no file it writes may grow past that many bytes (RLIMIT_FSIZE; its output
// goes through pipes, which the limit does not touch), and the signal that a write past the limit
// raises has its default action, ending the program, unless the program itself changes that.
inline HostRun runSceneHost(const std::string& program, const std::vector<std::string>& arguments,
                            rlim_t fileSizeLimit = RLIM_INFINITY) {
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    HostRun run;
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0) return run;
    if (pipe2(err, O_CLOEXEC) != 0) {
        close(out[0]);
        close(out[1]);
        return run;
    }
    const pid_t child = fork();
    if (child == 0) {
        // Only calls that are safe between fork and exec in a process with threads.
        const rlimit limit{fileSizeLimit, fileSizeLimit};
        std::signal(SIGXFSZ, SIG_DFL);
        if (dup2(out[1], STDOUT_FILENO) < 0 || dup2(err[1], STDERR_FILENO) < 0) _exit(127);
        if (fileSizeLimit != RLIM_INFINITY && setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(127);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    if (child < 0) {
        close(out[0]);
        close(err[0]);
        return run;
    }
    detail::drain(out[0], err[0], run);
    int status = 0;
    pid_t waited;
    while ((waited = waitpid(child, &status, 0)) < 0 && errno == EINTR) {
    }
    if (waited != child) return run;
    if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
    return run;
}

}  // namespace sceneTesting
