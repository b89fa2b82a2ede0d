#include "InstallFolder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace {

std::string trimmed(const std::string& s)
{
    const auto begin = s.find_first_not_of(" \t\r");
    if (begin == std::string::npos)
        return std::string();
    return s.substr(begin, s.find_last_not_of(" \t\r") - begin + 1);
}

// The value of InstallPath in the file's general section; false when the
// file or the key is missing.
bool readInstallPath(const std::string& file, std::string* value)
{
    std::ifstream in(file);
    if (!in)
        return false;
    std::string line, section = "General";
    while (std::getline(in, line)) {
        line = trimmed(line);
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            continue;
        }
        const auto eq = line.find('=');
        if (section != "General" || eq == std::string::npos || trimmed(line.substr(0, eq)) != "InstallPath")
            continue;
        std::string v = trimmed(line.substr(eq + 1));
        if (v.size() >= 2 && v.front() == '"' && v.back() == '"')
            v = v.substr(1, v.size() - 2);
        *value = v;
        return true;
    }
    return false;
}

} // namespace

namespace InstallFolder {

Result find()
{
    Result result;
    result.folder = STROVANE_DEFAULT_INSTALL_DIR;
    const char* dirs = std::getenv("XDG_CONFIG_DIRS");
    std::string list = dirs && *dirs ? dirs : "/etc/xdg";
    std::size_t from = 0;
    while (from <= list.size()) {
        const std::size_t colon = std::min(list.find(':', from), list.size());
        const std::string dir = list.substr(from, colon - from);
        from = colon + 1;
        std::string value;
        if (dir.empty() || !readInstallPath(dir + "/Velmora Labs/Velmora Strovane 2.conf", &value))
            continue;
        while (value.size() > 1 && value.back() == '/')
            value.pop_back();
        if (value.empty()) {
            result.problem = "the InstallPath setting is empty";
        } else if (value.size() + 1 + std::strlen(kProgramName) + 1 > kPathBuffer) {
            result.problem = "the InstallPath setting is too long for the path buffers";
        } else {
            result.folder = value;
            result.fromSettings = true;
        }
        break;
    }
    return result;
}

} // namespace InstallFolder
