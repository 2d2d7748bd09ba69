#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

ChildProcess::ChildProcess(const std::vector<std::string>& command) {
    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0) return;
    if (pipe2(err, O_CLOEXEC) != 0) {
        close(out[0]);
        close(out[1]);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    std::vector<char*> argv;
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    outPipe_ = out[0];
    errPipe_ = err[0];
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0 && !exitCode_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (outPipe_ >= 0) close(outPipe_);
    if (errPipe_ >= 0) close(errPipe_);
}

void ChildProcess::Collect(std::chrono::milliseconds wait) {
    pollfd entries[2] = {{outPipe_, POLLIN, 0}, {errPipe_, POLLIN, 0}};
    if (poll(entries, 2, static_cast<int>(wait.count())) <= 0) return;
    char chunk[4096];
    for (pollfd& entry : entries) {
        if (entry.fd < 0 || !(entry.revents & (POLLIN | POLLHUP))) continue;
        ssize_t got = read(entry.fd, chunk, sizeof chunk);
        if (got > 0) (entry.fd == outPipe_ ? out_ : err_).append(chunk, static_cast<std::size_t>(got));
        if (got == 0) {  // the writing end is gone: nothing more will come
            close(entry.fd);
            (entry.fd == outPipe_ ? outPipe_ : errPipe_) = -1;
        }
    }
}

std::optional<std::string> ChildProcess::WaitForLine(const std::string& text, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        for (std::size_t start = 0, end; (end = out_.find('\n', start)) != std::string::npos; start = end + 1) {
            std::string line = out_.substr(start, end - start);
            if (line.find(text) != std::string::npos) return line;
        }
        if (std::chrono::steady_clock::now() >= deadline || (outPipe_ < 0 && errPipe_ < 0)) return std::nullopt;
        Collect(std::chrono::milliseconds(50));
    }
}

void ChildProcess::Signal(int signal) {
    if (pid_ > 0 && !exitCode_) kill(pid_, signal);
}

std::optional<int> ChildProcess::WaitForExit(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (pid_ > 0 && !exitCode_) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        Collect(std::chrono::milliseconds(20));
    }
    while (outPipe_ >= 0 || errPipe_ >= 0) Collect(std::chrono::milliseconds(1000));  // what it wrote last
    return exitCode_;
}
