#pragma once

#include <string>

// Where the program is installed: the InstallPath key of
// "Velmora Labs/Velmora Strovane 2.conf" in the first folder of
// $XDG_CONFIG_DIRS (default /etc/xdg) that has one, else the folder this
// build installs to. A path that does not fit the launch's path buffers
// (256 bytes with the program's name) is not used.
namespace InstallFolder {

constexpr const char* kProgramName = "vmstrovane2";
constexpr std::size_t kPathBuffer = 256;

struct Result {
    std::string folder;   // without a trailing slash
    bool fromSettings = false;
    std::string problem;  // why the settings were not used, when they exist
};

Result find();

} // namespace InstallFolder
