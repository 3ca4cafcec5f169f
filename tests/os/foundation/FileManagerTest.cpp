#include "os/foundation/FileManager.h"
#include "os/foundation/Sandbox.h"

#include "tests/support/Environment.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <fstream>

using namespace ns;

namespace {

class FileManagerTest : public vx::test::SandboxTest {
protected:
    std::string at(const std::string& relative) const { return sandboxPath() + "/" + relative; }
    void write(const std::string& relative, const std::string& bytes) {
        std::filesystem::create_directories(std::filesystem::path(at(relative)).parent_path());
        std::ofstream(at(relative), std::ios::binary) << bytes;
    }
    static unsigned mode(const std::string& path) {
        struct stat st {};
        ::stat(path.c_str(), &st);
        return st.st_mode & 0777;
    }
    FileManager& fm = FileManager::defaultManager();
};

} // namespace

TEST_F(FileManagerTest, SubpathsAreSortedWithoutHiddenEntries) {
    write("b.txt", "b");
    write("a/x.txt", "x");
    write("a/.dot", "hidden");
    write("a-c", "c");
    write("A", "upper");
    write(".hidden/inside.txt", "skipped with its folder");
    auto paths = fm.subpaths(sandboxPath());
    ASSERT_TRUE(paths);
    EXPECT_EQ(*paths, (std::vector<std::string>{"A", "a", "a-c", "a/x.txt", "b.txt"}));
    EXPECT_EQ(*fm.contentsOfDirectory(sandboxPath()), (std::vector<std::string>{".hidden", "A", "a", "a-c", "b.txt"}));
    EXPECT_FALSE(fm.subpaths(at("b.txt")));
    Ref<Error> error;
    EXPECT_FALSE(fm.contentsOfDirectory(at("missing"), &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain(), POSIXErrorDomain);
    EXPECT_EQ(error->code(), ENOENT);
}

TEST_F(FileManagerTest, CreatesOwnerOnlyFolders) {
    EXPECT_TRUE(fm.createDirectory(at("x/y/z"), true));
    bool isDirectory = false;
    EXPECT_TRUE(fm.fileExists(at("x/y/z"), isDirectory));
    EXPECT_TRUE(isDirectory);
    EXPECT_EQ(mode(at("x/y")), 0700u);
    EXPECT_TRUE(fm.createDirectory(at("x/y/z"), true)); // already there
    Ref<Error> error;
    EXPECT_FALSE(fm.createDirectory(at("x/y/z"), false, &error));
    EXPECT_EQ(error->code(), EEXIST);
    EXPECT_FALSE(fm.createDirectory(at("p/q"), false, &error));
    EXPECT_EQ(error->code(), ENOENT);
    write("file", "f");
    EXPECT_FALSE(fm.createDirectory(at("file/sub"), true));
}

TEST_F(FileManagerTest, MoveCopyAndRemove) {
    write("src/one.txt", "1");
    write("src/deep/two.txt", "22");
    EXPECT_TRUE(fm.copyItem(at("src"), at("copy")));
    EXPECT_EQ(fm.fileSize(at("copy/deep/two.txt")), 2u);
    Ref<Error> error;
    EXPECT_FALSE(fm.copyItem(at("src"), at("copy"), &error));
    EXPECT_EQ(error->code(), EEXIST);

    EXPECT_TRUE(fm.moveItem(at("src/one.txt"), at("moved.txt")));
    EXPECT_FALSE(fm.fileExists(at("src/one.txt")));
    EXPECT_TRUE(fm.fileExists(at("moved.txt")));
    EXPECT_FALSE(fm.moveItem(at("copy/one.txt"), at("moved.txt"))); // destination exists
    EXPECT_TRUE(fm.fileExists(at("copy/one.txt")));

    EXPECT_TRUE(fm.removeItem(at("copy")));
    EXPECT_FALSE(fm.fileExists(at("copy")));
    EXPECT_FALSE(fm.removeItem(at("copy"), &error));
    EXPECT_EQ(error->code(), ENOENT);
}

TEST_F(FileManagerTest, AttributesSizeAndFreeSpace) {
    write("data.bin", std::string(1234, 'x'));
    auto attributes = fm.attributes(at("data.bin"));
    ASSERT_TRUE(attributes);
    EXPECT_EQ(attributes->type, FileAttributes::Type::Regular);
    EXPECT_EQ(attributes->size, 1234u);
    EXPECT_NEAR(attributes->modificationDate.secondsSince1970, static_cast<double>(std::time(nullptr)), 120);
    EXPECT_EQ(fm.attributes(sandboxPath())->type, FileAttributes::Type::Directory);
    std::filesystem::create_symlink(at("data.bin"), at("link"));
    EXPECT_EQ(fm.attributes(at("link"))->type, FileAttributes::Type::SymbolicLink);
    EXPECT_EQ(fm.fileSize(at("link")), 1234u);
    EXPECT_EQ(fm.fileSize(sandboxPath()), std::nullopt);
    EXPECT_EQ(fm.fileSize(at("missing")), std::nullopt);
    EXPECT_GT(fm.freeSpace(sandboxPath()).value_or(0), 0u);
    EXPECT_EQ(fm.freeSpace(at("missing")), std::nullopt);
}

TEST_F(FileManagerTest, SandboxFoldersAreCreatedOwnerOnly) {
    EXPECT_EQ(sandboxRoot(), sandboxPath());
    EXPECT_EQ(cachesPath(), sandboxPath() + "/Library/Caches");
    EXPECT_EQ(preferencesPath(), sandboxPath() + "/Library/Preferences");
    EXPECT_EQ(documentsPath(), sandboxPath() + "/Documents");
    EXPECT_EQ(temporaryPath(), sandboxPath() + "/tmp");
    EXPECT_EQ(libraryPath(), sandboxPath() + "/Library");
    for (const char* folder : {"Library", "Library/Caches", "Library/Preferences", "Documents", "tmp"})
        EXPECT_EQ(mode(at(folder)), 0700u) << folder;
}
