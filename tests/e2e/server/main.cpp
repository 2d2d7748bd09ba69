// corvane-scripted-server: the news server and version page the end-to-end tests script.
//   corvane-scripted-server [--port N] [--http-port N] [--log FILE] [--script FILE|-]
// Prints "ports NEWS HTTP" once it listens, then carries out the script's steps as they are read (from
// standard input by default, so a test can write them while it watches the client). After the last step
// it goes on serving until "exit", SIGINT or SIGTERM. Exit code 2 for a line it does not understand.
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <thread>

#include "ScriptedNewsServer.h"
#include "tools/common/Decimal.h"

namespace {

std::atomic<bool> stopRequested{false};

void RequestStop(int) { stopRequested = true; }

void InstallStopHandlers() {
    struct sigaction action{};
    action.sa_handler = RequestStop;  // no SA_RESTART: a blocked read of the script returns
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int Usage() {
    std::fputs("usage: corvane-scripted-server [--port N] [--http-port N] [--log FILE] [--script FILE|-]\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    unsigned port = 0;
    unsigned httpPort = 0;
    std::string logPath;
    std::string scriptPath = "-";
    for (int i = 1; i < argc; ++i) {
        const std::string_view name = argv[i];
        if (i + 1 >= argc) return Usage();
        const std::string_view value = argv[++i];
        if (name == "--port" || name == "--http-port") {
            auto number = ParseDecimal(value, 65535);
            if (!number) return Usage();
            (name == "--port" ? port : httpPort) = *number;
        } else if (name == "--log") {
            logPath = value;
        } else if (name == "--script") {
            scriptPath = value;
        } else {
            return Usage();
        }
    }
    InstallStopHandlers();

    std::FILE* logFile = logPath.empty() ? stdout : std::fopen(logPath.c_str(), "w");
    if (!logFile) {
        std::fprintf(stderr, "corvane-scripted-server: cannot write %s\n", logPath.c_str());
        return 1;
    }
    e2e::EventLog log(logFile);
    int exitCode = 0;
    {
        e2e::ScriptedNewsServer server(static_cast<std::uint16_t>(port), static_cast<std::uint16_t>(httpPort), log);
        if (!server.Listening()) {
            std::fprintf(stderr, "corvane-scripted-server: cannot listen on 127.0.0.1:%u\n", port);
            return 1;
        }
        std::printf("ports %u %u\n", server.NewsPort(), server.HttpPort());
        std::fflush(stdout);

        std::ifstream file;
        if (scriptPath != "-") {
            file.open(scriptPath);
            if (!file) {
                std::fprintf(stderr, "corvane-scripted-server: cannot read %s\n", scriptPath.c_str());
                return 1;
            }
        }
        std::istream& script = scriptPath == "-" ? std::cin : file;
        std::string line;
        bool exitStep = false;
        while (!stopRequested && !exitStep && std::getline(script, line)) {
            e2e::ParsedLine parsed = e2e::ParseScriptLine(line);
            if (!parsed.error.empty()) {
                log.Line("fail script: " + parsed.error);
                std::fprintf(stderr, "corvane-scripted-server: %s\n", parsed.error.c_str());
                exitCode = 2;
                break;
            }
            if (!parsed.step) continue;
            log.Line("step " + line);
            exitStep = std::holds_alternative<e2e::Exit>(*parsed.step);
            server.Run(*parsed.step);
        }
        while (!stopRequested && !exitStep && exitCode == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        log.Line("end");
    }
    if (logFile != stdout) std::fclose(logFile);
    return exitCode;
}
