#include "InstallFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Configuration folders of the test's own, as $XDG_CONFIG_DIRS lists them.
class InstallFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/strovane-xdgXXXXXX";
        root = mkdtemp(pattern);
    }
    void TearDown() override { std::system(("rm -rf '" + root + "'").c_str()); }
    std::string write(const std::string& dir, const std::string& text)
    {
        const std::string folder = root + "/" + dir + "/Velmora Labs";
        std::system(("mkdir -p '" + folder + "'").c_str());
        std::ofstream(folder + "/Velmora Strovane 2.conf") << text;
        return root + "/" + dir;
    }
    std::string root;
};

} // namespace

TEST_F(InstallFolderTest, TheFirstFolderWithTheSettingWins)
{
    const std::string empty = root + "/none";
    const std::string first = write("a", "[General]\nInstallPath=/opt/first/\n");
    const std::string second = write("b", "[General]\nInstallPath=/opt/second\n");
    setenv("XDG_CONFIG_DIRS", (empty + ":" + first + ":" + second).c_str(), 1);
    const InstallFolder::Result r = InstallFolder::find();
    EXPECT_EQ(r.folder, "/opt/first");
    EXPECT_TRUE(r.fromSettings);
}

TEST_F(InstallFolderTest, WithoutUsableSettingsTheDefaultFolderIsUsed)
{
    struct Case {
        const char* what;
        std::string text;
        const char* problem;
    } cases[] = {
        {"no key", "[General]\nOther=1\n", ""},
        {"another section", "[Paths]\nInstallPath=/opt/x\n", ""},
        {"an empty value", "[General]\nInstallPath=\n", "empty"},
        {"a path longer than the buffers", "[General]\nInstallPath=/" + std::string(250, 'x') + "\n", "too long"},
    };
    for (const Case& c : cases) {
        setenv("XDG_CONFIG_DIRS", write(c.what, c.text).c_str(), 1);
        const InstallFolder::Result r = InstallFolder::find();
        EXPECT_EQ(r.folder, "/opt/strovane-default") << c.what;
        EXPECT_FALSE(r.fromSettings) << c.what;
        EXPECT_NE(r.problem.find(c.problem), std::string::npos) << c.what << ": " << r.problem;
    }
    setenv("XDG_CONFIG_DIRS", (root + "/nowhere").c_str(), 1);
    EXPECT_EQ(InstallFolder::find().folder, "/opt/strovane-default");
}

TEST_F(InstallFolderTest, APathThatJustFitsIsUsed)
{
    // Folder, slash, program name and terminator: 256 bytes.
    const std::string folder = "/" + std::string(256 - 1 - 11 - 1 - 1, 'y');
    setenv("XDG_CONFIG_DIRS", write("fits", "[General]\nInstallPath=" + folder + "\n").c_str(), 1);
    EXPECT_EQ(InstallFolder::find().folder, folder);
}
