// Installation pieces: which downloads count as a program, putting a file in place (over a
// running program too), and the removal script with awkward paths.

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "tests/update/update_fixture.h"
#include "update/install.h"

extern char** environ;

namespace {

using namespace update_test;

std::string patched(std::string bytes, std::size_t offset, unsigned char value) {
    bytes.at(offset) = static_cast<char>(value);
    return bytes;
}

TEST(PlatformExecutable, OnlyAnExecutableForThisMachineCounts) {
    ProgramFolder folder;
    const std::string program = new_program();
    const struct {
        const char* name;
        std::string contents;
        bool executable;
    } cases[] = {
        {"the new program", program, true},
        {"padded with zeros", new_program(1048576), true},
        {"empty file", "", false},
        {"error page", "<html><body>404 Not Found</body></html>", false},
        {"magic only",
         "\x7f"
         "ELF",
         false},
        {"shell script", "#!/bin/sh\necho new\n", false},
        {"object file, not a program", patched(program, 16, 1), false},                     // e_type ET_REL
        {"other machine", patched(program, 18, program[18] == 0x28 ? 0x3e : 0x28), false},  // e_machine
        {"other class", patched(program, 4, program[4] == 1 ? 2 : 1), false},               // EI_CLASS
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write_file(folder / "download", c.contents);
        EXPECT_EQ(update::is_platform_executable((folder / "download").string()), c.executable);
    }
    EXPECT_FALSE(update::is_platform_executable((folder / "missing").string()));
}

TEST(PlaceFile, MovesTheFileInAndMakesItExecutable) {
    ProgramFolder folder;
    write_file(folder / "gx.tmp", "new");
    ::chmod((folder / "gx.tmp").c_str(), 0644);
    write_file(folder / "target", "old contents, longer than the new");

    EXPECT_EQ(update::place_file((folder / "gx.tmp").string(), (folder / "target").string()),
              update::Placed::moved);
    EXPECT_EQ(read_file(folder / "target"), "new");
    EXPECT_TRUE(is_executable(folder / "target"));
    EXPECT_FALSE(fs::exists(folder / "gx.tmp"));
}

TEST(PlaceFile, ReplacesARunningProgramWhichGoesOnRunning) {
    ProgramFolder folder;
    fs::copy_file("/bin/sleep", folder / "running");
    const std::string running = (folder / "running").string();
    char* argv[] = {const_cast<char*>(running.c_str()), const_cast<char*>("30"), nullptr};
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, running.c_str(), nullptr, nullptr, argv, environ), 0);
    write_file(folder / "gx.tmp", new_program());

    EXPECT_EQ(update::place_file((folder / "gx.tmp").string(), running), update::Placed::moved);
    EXPECT_EQ(read_file(folder / "running"), new_program());
    int status = 0;
    EXPECT_EQ(::waitpid(child, &status, WNOHANG), 0) << "the running program ended";
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
}

TEST(PlaceFile, CopiesAcrossFileSystems) {
    ProgramFolder folder;
    const fs::path elsewhere = fs::path("/dev/shm") / ("xinghe-update-" + std::to_string(::getpid()));
    write_file(elsewhere, "new");
    struct stat a {
    }, b{};
    if (::stat(elsewhere.c_str(), &a) != 0 || ::stat(folder.path().c_str(), &b) != 0 ||
        a.st_dev == b.st_dev) {
        fs::remove(elsewhere);
        GTEST_SKIP() << "/dev/shm is on the same file system here";
    }
    write_file(folder / "target", "old");

    EXPECT_EQ(update::place_file(elsewhere.string(), (folder / "target").string()), update::Placed::copied);
    EXPECT_EQ(read_file(folder / "target"), "new");
    EXPECT_TRUE(is_executable(folder / "target"));
    EXPECT_FALSE(fs::exists(elsewhere));
    EXPECT_FALSE(fs::exists(folder / "target.part"));
}

TEST(PlaceFile, FailsWithoutTouchingEitherSideWhenTheTargetCannotBeReplaced) {
    ProgramFolder folder;
    write_file(folder / "gx.tmp", "new");
    fs::create_directory(folder / "target");
    write_file(folder / "target" / "inside", "kept");

    EXPECT_EQ(update::place_file((folder / "gx.tmp").string(), (folder / "target").string()),
              update::Placed::failed);
    EXPECT_EQ(read_file(folder / "gx.tmp"), "new");
    EXPECT_EQ(read_file(folder / "target" / "inside"), "kept");
    EXPECT_FALSE(fs::exists(folder / "target.part"));
}

TEST(RemovalScript, RemovesTheOldProgramAndItselfWhateverThePathHolds) {
    ProgramFolder folder;  // its name has spaces
    // Unquoted, this name would delete "it" and run the command inside it.
    const fs::path old_program = folder / "it's $(touch pwned) old;";
    write_file(old_program, "old program");
    write_file(folder / "it", "a neighbour");
    const fs::path script = folder / update::removal_script_name;

    ASSERT_TRUE(update::start_removal_script(script.string(), old_program.string()));
    EXPECT_TRUE(eventually([&] { return !fs::exists(old_program) && !fs::exists(script); }));
    EXPECT_EQ(read_file(folder / "it"), "a neighbour");
    EXPECT_FALSE(fs::exists(folder / "pwned"));
    EXPECT_FALSE(fs::exists(fs::current_path() / "pwned"));
}

}  // namespace
