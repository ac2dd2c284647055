#pragma once
// Running the project's own programs from tests: a built tool with its output captured, and
// the offline demo site as a child process on ports of its choosing.

#include <sys/types.h>

#include <cstdio>

#include <string>
#include <utility>
#include <vector>

namespace test_support {

struct ProgramRun {
    int exit_code = -1;  // -1 when the program did not end normally
    std::string out, err;
};

// Runs `command` through the shell, with standard output and error captured in files of
// `scratch_dir` (which must exist). Quote the arguments yourself.
ProgramRun run_program(const std::string& command, const std::string& scratch_dir);

// The demo site (`program`, normally XINGHE_DEMO_SITE) started with `environment` added to
// this process's own; it prints the ports it listens on and is ended when this goes away.
// The ports are 0 when it did not start.
class DemoSiteProcess {
  public:
    explicit DemoSiteProcess(const std::string& program,
                             const std::vector<std::pair<std::string, std::string>>& environment = {});
    ~DemoSiteProcess();
    DemoSiteProcess(const DemoSiteProcess&) = delete;
    DemoSiteProcess& operator=(const DemoSiteProcess&) = delete;

    int http_port() const { return http_port_; }
    int https_port() const { return https_port_; }

  private:
    pid_t child_ = -1;
    std::FILE* output_ = nullptr;
    int http_port_ = 0;
    int https_port_ = 0;
};

}  // namespace test_support
