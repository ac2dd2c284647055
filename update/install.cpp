#include "update/install.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include <elf.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"
#include "platform/paths.h"
#include "text/charset.h"

extern char** environ;

namespace update {

namespace {

std::string in_folder(const UpdatePlan& plan, const std::string& name) {
    if (!plan.directory.empty() && plan.directory.back() == '/') return plan.directory + name;
    return plan.directory + '/' + name;
}

// A file descriptor that closes itself.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

  private:
    int fd_;
};

// The identifying start of an ELF file: e_ident, e_type and e_machine, laid out alike in
// both classes.
struct ElfStart {
    unsigned char ident[EI_NIDENT];
    std::uint16_t type;
    std::uint16_t machine;
};

bool read_elf_start(const std::string& path, ElfStart& start) {
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) return false;
    return ::pread(file.get(), &start, sizeof start, 0) == static_cast<ssize_t>(sizeof start);
}

bool write_all(int fd, const char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool copy_file(const std::string& from, const std::string& to, mode_t mode) {
    Descriptor in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) return false;
    Descriptor out(::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode));
    if (out.get() < 0) return false;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(in.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        if (!write_all(out.get(), buffer, static_cast<std::size_t>(n))) return false;
    }
    return ::fchmod(out.get(), mode) == 0 && out.close();
}

std::string shell_quoted(const std::string& value) {
    std::string quoted = "'";
    for (const char c : value) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

// A started program must not hold the old program's open files, nor die with its session.
class SpawnSettings {
  public:
    explicit SpawnSettings(bool silent) {
        posix_spawnattr_init(&attributes_);
        posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSID);
        posix_spawn_file_actions_init(&actions_);
        if (silent) {
            posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0);
            posix_spawn_file_actions_addopen(&actions_, 1, "/dev/null", O_WRONLY, 0);
            posix_spawn_file_actions_addopen(&actions_, 2, "/dev/null", O_WRONLY, 0);
        }
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
        posix_spawn_file_actions_addclosefrom_np(&actions_, 3);
#endif
    }
    ~SpawnSettings() {
        posix_spawn_file_actions_destroy(&actions_);
        posix_spawnattr_destroy(&attributes_);
    }
    SpawnSettings(const SpawnSettings&) = delete;
    SpawnSettings& operator=(const SpawnSettings&) = delete;

    bool spawn(const std::string& program, std::vector<std::string> arguments) {
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        pid_t child = 0;
        // posix_spawn reports a program that cannot be executed as its result.
        return posix_spawn(&child, program.c_str(), &actions_, &attributes_, argv.data(), environ) == 0;
    }

  private:
    posix_spawnattr_t attributes_;
    posix_spawn_file_actions_t actions_;
};

}  // namespace

UpdatePlan plan_update(const UpdateValues& values) {
    UpdatePlan plan;
    plan.update_address = values.update_address;
    plan.directory = platform::run_directory();
    plan.exe_name = text::gbk_to_utf8(values.update_exe_name) + executable_suffix;
    std::error_code error;
    plan.running_program = std::filesystem::read_symlink("/proc/self/exe", error).string();
    return plan;
}

std::string temporary_file(const UpdatePlan& plan) { return in_folder(plan, temporary_file_name); }
std::string installed_file(const UpdatePlan& plan) { return in_folder(plan, plan.exe_name); }
std::string removal_script_file(const UpdatePlan& plan) { return in_folder(plan, removal_script_name); }

bool is_plain_file_name(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

bool is_platform_executable(const std::string& path) {
    ElfStart ours{};
    ElfStart theirs{};
    if (!read_elf_start("/proc/self/exe", ours) || !read_elf_start(path, theirs)) return false;
    if (std::memcmp(theirs.ident, ELFMAG, SELFMAG) != 0) return false;
    // Both headers are read in our byte order; with the same EI_DATA they compare as they are.
    return theirs.ident[EI_CLASS] == ours.ident[EI_CLASS] && theirs.ident[EI_DATA] == ours.ident[EI_DATA] &&
           theirs.machine == ours.machine && (theirs.type == ET_EXEC || theirs.type == ET_DYN);
}

Placed place_file(const std::string& from, const std::string& to) {
    struct stat info {};
    if (::stat(from.c_str(), &info) != 0) return Placed::failed;
    // Executable for whoever may read it.
    const mode_t mode = (info.st_mode & 07777) | ((info.st_mode & 0444) >> 2);
    if (::chmod(from.c_str(), mode) == 0 && ::rename(from.c_str(), to.c_str()) == 0) return Placed::moved;

    const std::string beside = to + ".part";
    if (copy_file(from, beside, mode) && ::rename(beside.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return Placed::copied;
    }
    ::unlink(beside.c_str());
    return Placed::failed;
}

std::string removal_script_text(const std::string& program) {
    // PROGRAM stands for the quoted path. While the old program cannot be removed yet, try
    // again a second later; give up after a minute rather than loop for ever.
    std::string script =
        "#!/bin/sh\n"
        "tries=0\n"
        "while :; do\n"
        "    rm -f -- PROGRAM\n"
        "    [ -e PROGRAM ] || break\n"
        "    tries=$((tries + 1))\n"
        "    [ \"$tries\" -lt 60 ] || break\n"
        "    sleep 1\n"
        "done\n"
        "rm -f -- \"$0\"\n";
    const std::string quoted = shell_quoted(program);
    for (std::size_t at = script.find("PROGRAM"); at != std::string::npos;
         at = script.find("PROGRAM", at + quoted.size()))
        script.replace(at, 7, quoted);
    return script;
}

bool start_program(const std::string& path) { return SpawnSettings(false).spawn(path, {path}); }

bool start_removal_script(const std::string& script, const std::string& program) {
    const std::string body = removal_script_text(program);
    if (!platform::write_whole_file(script, std::vector<unsigned char>(body.begin(), body.end())))
        return false;
    return SpawnSettings(true).spawn("/bin/sh", {"sh", script});
}

}  // namespace update
