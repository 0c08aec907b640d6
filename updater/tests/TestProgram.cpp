// Stands in for the main program in the updater's tests.
//
// With VEXAR_TEST_ARGV_FILE set it records its arguments there, one a line
// (written to a side file and renamed, so a reader never sees half of it).
// With VEXAR_TEST_HOLD set it prints "ready", waits for a line on standard
// input and then prints the size of the file it is running from, so a test
// can replace that file meanwhile and see that the running process still
// has its own.
//
// The main program's tests install it as a tool it starts (a boot loader,
// "hhwriter", "hc08flash", "java"): with VEXAR_TEST_RECORD_FILE set it
// writes there, whole, the lines "arg <text>" for each argument after its
// name, "cwd <folder>", "com <VEXAR_COM_DIR or nothing>" and "fd <n>" for
// each descriptor it holds open, then waits until "<file>.end" exists (at
// most a minute) before it ends.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

void Record(const char* file, int argc, char** argv)
{
    const std::string part = std::string(file) + ".part";
    FILE* out = std::fopen(part.c_str(), "w");
    if (!out)
        return;
    for (int i = 1; i < argc; ++i)
        std::fprintf(out, "arg %s\n", argv[i]);
    char cwd[4096] = {};
    std::fprintf(out, "cwd %s\n", ::getcwd(cwd, sizeof cwd) ? cwd : "");
    const char* com = std::getenv("VEXAR_COM_DIR");
    std::fprintf(out, "com %s\n", com ? com : "");
    if (DIR* fds = ::opendir("/proc/self/fd")) {
        const int own = ::dirfd(fds);
        const int written = ::fileno(out);
        while (const dirent* entry = ::readdir(fds)) {
            if (entry->d_name[0] == '.')
                continue;
            const int fd = std::atoi(entry->d_name);
            if (fd != own && fd != written)
                std::fprintf(out, "fd %d\n", fd);
        }
        ::closedir(fds);
    }
    std::fclose(out);
    std::rename(part.c_str(), file);
    const std::string end = std::string(file) + ".end";
    struct stat seen {};
    for (int i = 0; i < 6000 && ::stat(end.c_str(), &seen) != 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

}  // namespace

int main(int argc, char** argv)
{
    if (const char* file = std::getenv("VEXAR_TEST_RECORD_FILE")) {
        Record(file, argc, argv);
        return 0;
    }
    if (const char* file = std::getenv("VEXAR_TEST_ARGV_FILE")) {
        const std::string part = std::string(file) + ".part";
        if (FILE* out = std::fopen(part.c_str(), "w")) {
            for (int i = 0; i < argc; ++i)
                std::fprintf(out, "%s\n", argv[i]);
            std::fclose(out);
            std::rename(part.c_str(), file);
        }
    }
    if (std::getenv("VEXAR_TEST_HOLD")) {
        std::printf("ready\n");
        std::fflush(stdout);
        char line[16];
        if (!std::fgets(line, sizeof line, stdin))
            return 2;
        struct stat self {};
        if (::stat("/proc/self/exe", &self) != 0)
            return 3;
        std::printf("%lld\n", static_cast<long long>(self.st_size));
    }
    return 0;
}
