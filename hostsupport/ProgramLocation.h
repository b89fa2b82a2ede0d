#pragma once

#include <string>
#include <vector>

// Where the painting program is for a host: the install folder's setting
// when there is one, else in the first of the host's candidate folders
// (relative to the host's own folder, as the build tree or an install lays
// them out) that holds it, else the folder this build installs to.
struct ProgramLocation {
    std::string program;
    std::string folder;

    static ProgramLocation find(const std::vector<std::string>& besideHost);
};
