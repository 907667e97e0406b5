// Takes the runtime's place in the launcher's tests: prints its arguments and environment to
// standard output, one per line, and a line to standard error.
#include <cstdio>
#include <unistd.h>

extern char** environ;

int main(int argc, char** argv) {
    for (int index = 0; index < argc; ++index)
        std::printf("argument: %s\n", argv[index]);
    for (char** entry = environ; *entry; ++entry)
        std::printf("environment: %s\n", *entry);
    std::printf("terminal: %d\n", ::isatty(1));
    std::fputs("probe error line\n", stderr);
    return 0;
}
