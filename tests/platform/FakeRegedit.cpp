// Stands in for regedit.exe in the Windows tests: writes the command line it
// was started with, and its one argument, to the file its argument names
// plus ".seen", and exits 0 (3 when the argument does not exist).
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string seen = std::string(argv[1]) + ".seen";
    FILE* out = std::fopen(seen.c_str(), "wb");
    if (!out) return 3;
    std::fprintf(out, "%s\n%s\n", GetCommandLineA(), argv[1]);
    std::fclose(out);
    return 0;
}
