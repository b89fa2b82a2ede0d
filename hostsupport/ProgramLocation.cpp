#include "ProgramLocation.h"

#include <InstallFolder.h>

#include <climits>
#include <unistd.h>

namespace {

std::string ownFolder()
{
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return std::string();
    const std::string exe(path, std::size_t(n));
    return exe.substr(0, exe.rfind('/'));
}

bool executable(const std::string& path)
{
    return access(path.c_str(), X_OK) == 0;
}

} // namespace

ProgramLocation ProgramLocation::find(const std::vector<std::string>& besideHost)
{
    const InstallFolder::Result install = InstallFolder::find();
    auto at = [](const std::string& folder) {
        return ProgramLocation{folder + "/" + InstallFolder::kProgramName, folder};
    };
    if (install.fromSettings)
        return at(install.folder);
    const std::string here = ownFolder();
    for (const std::string& relative : besideHost) {
        const std::string folder = relative == "." ? here : here + "/" + relative;
        if (executable(folder + "/" + InstallFolder::kProgramName))
            return at(folder);
    }
    return at(install.folder);
}
