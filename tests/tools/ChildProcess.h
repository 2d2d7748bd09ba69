#pragma once
// A program started by a test, with its standard output and error captured. Whatever still runs when
// the object goes is killed, so a failing test leaves nothing behind.
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& command);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }

    // The first output line, from the start, that contains `text`; none when it did not come in time.
    std::optional<std::string> WaitForLine(const std::string& text, std::chrono::milliseconds timeout);

    void Signal(int signal);

    // The exit code once the program ended (128 + N after signal N); none when it did not end in time.
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout);

    const std::string& Output() const { return out_; }
    const std::string& Errors() const { return err_; }

private:
    // Moves what the pipes hold into the texts, waiting up to `wait` for something to arrive.
    void Collect(std::chrono::milliseconds wait);

    pid_t pid_ = -1;
    int outPipe_ = -1;
    int errPipe_ = -1;
    std::string out_;
    std::string err_;
    std::optional<int> exitCode_;
};
