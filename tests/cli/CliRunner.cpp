#include "cli/CliRunner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "photo/PhotoFixture.h"

namespace geotal::test {
namespace {

pid_t Spawn(std::vector<std::string> args, const std::string& outPath, const std::string& errPath) {
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

}  // namespace

CliRun RunGeotalCli(const std::string& scratchFolder, const std::vector<std::string>& args) {
    std::vector<std::string> argv = args;
    argv.insert(argv.begin(), GEOTAL_CLI_PATH);
    return RunProgram(scratchFolder, argv);
}

CliRun RunGeotalCliAs(unsigned uid, const std::string& scratchFolder,
                      const std::vector<std::string>& args) {
    const std::string id = std::to_string(uid);
    std::vector<std::string> argv = {kSetpriv, "--reuid=" + id, "--regid=" + id, "--clear-groups",
                                     GEOTAL_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProgram(scratchFolder, argv);
}

CliRun RunProgram(const std::string& scratchFolder, const std::vector<std::string>& args) {
    const std::string outPath = scratchFolder + "/cli.out";
    const std::string errPath = scratchFolder + "/cli.err";
    const pid_t pid = Spawn(args, outPath, errPath);
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
