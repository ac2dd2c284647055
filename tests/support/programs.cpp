#include "tests/support/programs.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace test_support {

namespace {

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

ProgramRun run_program(const std::string& command, const std::string& scratch_dir) {
    const std::string out = scratch_dir + "/stdout";
    const std::string err = scratch_dir + "/stderr";
    const std::string line = command + " >'" + out + "' 2>'" + err + "'";
    const int status = std::system(line.c_str());
    ProgramRun run;
    run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = read_file(out);
    run.err = read_file(err);
    return run;
}

DemoSiteProcess::DemoSiteProcess(const std::string& program,
                                 const std::vector<std::pair<std::string, std::string>>& environment) {
    int out[2];
    if (pipe(out) != 0) return;
    child_ = fork();
    if (child_ == 0) {
        for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    if (child_ < 0) {
        close(out[0]);
        return;
    }
    // The site names its plain port first and its TLS port last, once both listen. The pipe
    // stays open while the site runs, so a later line of its own never meets a closed pipe.
    FILE* lines = fdopen(out[0], "r");
    output_ = lines;
    char line[128];
    while (fgets(line, sizeof line, lines) != nullptr) {
        int port = 0;
        if (std::sscanf(line, "http 127.0.0.1:%d", &port) == 1) http_port_ = port;
        if (std::sscanf(line, "https 127.0.0.1:%d", &port) == 1) {
            https_port_ = port;
            break;
        }
    }
}

DemoSiteProcess::~DemoSiteProcess() {
    if (child_ > 0) {
        kill(child_, SIGTERM);
        waitpid(child_, nullptr, 0);
    }
    if (output_ != nullptr) fclose(output_);
}

}  // namespace test_support
