// SPDX-License-Identifier: GPL-3.0-or-later

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

// Seconds from starting the program to its first painted main window.
double timeToFirstPaint(const char* program) {
    int out[2];
    if (pipe(out) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);

    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        if (std::string(*e).rfind("QT_QPA_PLATFORM=", 0) != 0)
            env.emplace_back(*e);
    }
    env.emplace_back("QT_QPA_PLATFORM=offscreen");
    std::vector<char*> envp;
    for (auto& s : env)
        envp.push_back(s.data());
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(program), nullptr};

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program, &actions, nullptr, argv, envp.data()) != 0)
        throw std::runtime_error(std::string("cannot start ") + program);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    char byte = 0;
    const ssize_t got = read(out[0], &byte, 1);
    const auto painted = std::chrono::steady_clock::now();
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (got != 1)
        throw std::runtime_error(std::string(program) + " never painted");
    return std::chrono::duration<double>(painted - start).count();
}

void runProbe(benchmark::State& state, const char* program) {
    for (auto _ : state)
        state.SetIterationTime(timeToFirstPaint(program));
}

void BM_MinimalQtWindow(benchmark::State& state) {
    runProbe(state, MINIMAL_PROBE);
}
void BM_QuorvinMainWindow(benchmark::State& state) {
    runProbe(state, QUORVIN_PROBE);
}

// Interleaved in one run so that both see the same machine load.
BENCHMARK(BM_MinimalQtWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_QuorvinMainWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_MinimalQtWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_QuorvinMainWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

}  // namespace
