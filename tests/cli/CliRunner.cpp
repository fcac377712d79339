#include "cli/CliRunner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "metadata/PhotoFixture.h"

namespace geotal::test {
namespace {

// This process's environment with the given variables set; built before the fork, because
// the child may only make async-signal-safe calls.
std::vector<std::string> ChildEnvironment(const Environment& overrides) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        bool replaced = false;
        for (const auto& [name, value] : overrides) {
            replaced = replaced || text.rfind(name + "=", 0) == 0;
        }
        if (!replaced) {
            entries.push_back(text);
        }
    }
    for (const auto& [name, value] : overrides) {
        entries.push_back(name + "=" + value);
    }
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

pid_t Spawn(std::vector<std::string> args, const std::string& outPath, const std::string& errPath,
            const Environment& environment = {}) {
    std::vector<char*> argv = Pointers(args);
    std::vector<std::string> variables = ChildEnvironment(environment);
    std::vector<char*> envp = Pointers(variables);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    return pid;
}

}  // namespace

CliRun RunGeotalCli(const std::string& scratchFolder, const std::vector<std::string>& args,
                    const Environment& environment) {
    std::vector<std::string> argv = args;
    argv.insert(argv.begin(), GEOTAL_CLI_PATH);
    return RunProgram(scratchFolder, argv, environment);
}

CliRun RunGeotalCliAs(unsigned uid, const std::string& scratchFolder,
                      const std::vector<std::string>& args) {
    const std::string id = std::to_string(uid);
    std::vector<std::string> argv = {kSetpriv, "--reuid=" + id, "--regid=" + id, "--clear-groups",
                                     GEOTAL_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProgram(scratchFolder, argv);
}

CliRun RunProgram(const std::string& scratchFolder, const std::vector<std::string>& args,
                  const Environment& environment) {
    const std::string outPath = scratchFolder + "/cli.out";
    const std::string errPath = scratchFolder + "/cli.err";
    const pid_t pid = Spawn(args, outPath, errPath, environment);
    CliRun run;
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        run.status = WEXITSTATUS(status);
    }
    run.out = ReadBytes(outPath);
    run.err = ReadBytes(errPath);
    return run;
}

std::vector<std::string> OnFatLikeFileSystem(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {"/usr/bin/env", "LD_PRELOAD=" GEOTAL_FAT_SHIM_PATH,
                                     GEOTAL_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
}

int StartGeotalCli(const std::vector<std::string>& args) {
    std::vector<std::string> argv = args;
    argv.insert(argv.begin(), GEOTAL_CLI_PATH);
    return StartProgram(argv);
}

int StartProgram(const std::vector<std::string>& argv) {
    return Spawn(argv, "/dev/null", "/dev/null");
}

}  // namespace geotal::test
