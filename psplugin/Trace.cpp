#include "Trace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace {

bool isDirectory(const std::string& path)
{
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// $XDG_DOCUMENTS_DIR, else ~/Documents, else the home folder; empty when
// none is known.
std::string tracePath()
{
    if (!std::getenv("VMTRACE"))
        return std::string();
    std::string folder;
    if (const char* docs = std::getenv("XDG_DOCUMENTS_DIR"); docs && isDirectory(docs))
        folder = docs;
    else if (const char* home = std::getenv("HOME"); home && *home)
        folder = isDirectory(std::string(home) + "/Documents") ? std::string(home) + "/Documents" : home;
    return folder.empty() ? folder : folder + "/vmtrace.txt";
}

// Processor numbers as the trace has always given them.
unsigned architectureCode(const char* machine)
{
    if (!std::strcmp(machine, "x86_64"))
        return 9;
    if (!std::strcmp(machine, "aarch64"))
        return 12;
    if (machine[0] == 'i' && std::strstr(machine, "86"))
        return 0;
    return 0xFFFF;
}

// The CPU's family and model from the kernel's table.
void cpuFamilyAndModel(unsigned* family, unsigned* revision)
{
    *family = 0;
    *revision = 0;
    FILE* f = std::fopen("/proc/cpuinfo", "r");
    if (!f)
        return;
    char buffer[256];
    unsigned model = 0, stepping = 0;
    while (std::fgets(buffer, sizeof buffer, f)) {
        std::sscanf(buffer, "cpu family : %u", family);
        std::sscanf(buffer, "model : %u", &model);
        if (std::sscanf(buffer, "stepping : %u", &stepping) == 1)
            break; // the first processor is enough
    }
    std::fclose(f);
    *revision = model << 8 | stepping;
}

void append(const char* label, const char* value)
{
    const std::string path = tracePath();
    if (path.empty())
        return;
    if (FILE* f = std::fopen(path.c_str(), "a")) {
        std::fprintf(f, "%s - %s\n", label, value);
        std::fclose(f);
    }
}

} // namespace

namespace Trace {

void start(const char* label)
{
    const std::string path = tracePath();
    if (path.empty())
        return;
    FILE* f = std::fopen(path.c_str(), "w");
    if (!f)
        return;
    struct utsname system {};
    uname(&system);
    unsigned family, revision;
    cpuFamilyAndModel(&family, &revision);
    unsigned major = 0, minor = 0;
    std::sscanf(system.release, "%u.%u", &major, &minor);
    std::fprintf(f, "%s new session\n", label);
    std::fprintf(f, "System Information:\n===================\n");
    std::fprintf(f, "OEM ID: %u\n", 0u);
    std::fprintf(f, "Processor Architecture: %u\n", architectureCode(system.machine));
    std::fprintf(f, "CPU Level: %u\n", family);
    std::fprintf(f, "CPU Revision: %u\n", revision);
    std::fprintf(f, "Number of CPUs: %u\n", unsigned(sysconf(_SC_NPROCESSORS_ONLN)));
    std::fprintf(f, "Min Address: %08X\n", unsigned(0x10000));
    std::fprintf(f, "Max Address: %08X\n", unsigned(sizeof(void*) == 8 ? 0xFFFFFFFFu : 0xBFFFFFFFu));
    std::fprintf(f, "Page size: %u\n", unsigned(sysconf(_SC_PAGESIZE)));
    std::fprintf(f, "Linux Version: %u.%u\n", major, minor);
    std::fprintf(f, "===================\n");
    std::fclose(f);
}

void line(const char* label, const char* text)
{
    append(label, text ? text : "");
}

void line(const char* label, long long number)
{
    append(label, std::to_string(number).c_str());
}

void line(const char* label, const void* pointer)
{
    char text[32];
    std::snprintf(text, sizeof text, "%p", pointer);
    append(label, text);
}

} // namespace Trace
