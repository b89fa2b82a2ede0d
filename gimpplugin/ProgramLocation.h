#pragma once

#include <string>

// Where the painting program is for this plug-in: the install folder's
// setting when there is one, else beside the plug-in as the build tree or
// an install lays them out, else the folder this build installs to.
struct ProgramLocation {
    std::string program;
    std::string folder;

    static ProgramLocation find();
};
