// Stands in for the main program in the updater's tests.
//
// With VEXAR_TEST_ARGV_FILE set it records its arguments there, one a line
// (written to a side file and renamed, so a reader never sees half of it).
// With VEXAR_TEST_HOLD set it prints "ready", waits for a line on standard
// input and then prints the size of the file it is running from, so a test
// can replace that file meanwhile and see that the running process still
// has its own.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

int main(int argc, char** argv)
{
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
