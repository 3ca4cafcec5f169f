#include "os/foundation/Bundle.h"
#include "os/foundation/PropertyList.h"

#include "tests/support/Environment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace ns;
namespace fs = std::filesystem;

namespace {

void writeFile(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

const char* infoPlist = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0"><dict>
  <key>CFBundleIdentifier</key><string>com.tandrel.fixture</string>
  <key>VXNumber</key><integer>3</integer>
  <key>VXList</key><array><string>a</string><true/></array>
</dict></plist>)";

class BundleTest : public vx::test::SandboxTest {
protected:
    void SetUp() override {
        SandboxTest::SetUp();
        writeFile(bundlePath() + "/Info.plist", infoPlist);
        writeFile(bundlePath() + "/icon.png", "png");
        writeFile(bundlePath() + "/noext", "x");
        writeFile(bundlePath() + "/VOZUV.bundle/close.png", "png");
        writeFile(bundlePath() + "/VOZUV.bundle/tabs/mine.png", "png");
    }
};

} // namespace

TEST_F(BundleTest, ResourceLookupsByNameAndType) {
    EXPECT_EQ(Bundle::main()->bundlePath(), bundlePath());
    const std::tuple<const char*, std::optional<std::string>, const char*> cases[] = {
        {"icon", "png", "icon.png"},   {"icon", ".png", "icon.png"}, {"icon.png", std::nullopt, "icon.png"},
        {"icon.png", "", "icon.png"},  {"noext", "", "noext"},       {"icon", "", nullptr},
        {"icon", "jpg", nullptr},      {"", "png", nullptr},         {"VOZUV.bundle/close", "png", "VOZUV.bundle/close.png"}};
    for (const auto& [name, type, found] : cases) {
        auto expected = found ? std::optional<std::string>(bundlePath() + "/" + found) : std::nullopt;
        EXPECT_EQ(Bundle::main()->pathForResource(name, type), expected) << name << "." << type.value_or("(none)");
    }
}

TEST_F(BundleTest, NestedBundlesAndDirectories) {
    auto path = Bundle::main()->pathForResource("VOZUV", "bundle");
    ASSERT_TRUE(path);
    auto sdk = Bundle::bundleWithPath(*path);
    ASSERT_TRUE(sdk);
    EXPECT_EQ(sdk->pathForResource("close", "png"), *path + "/close.png");
    EXPECT_EQ(sdk->pathForResource("mine", "png", "tabs"), *path + "/tabs/mine.png");
    EXPECT_EQ(sdk->pathForResource("mine", "png"), std::nullopt);
    EXPECT_FALSE(Bundle::bundleWithPath(*path + "/close.png"));
    EXPECT_FALSE(Bundle::bundleWithPath(bundlePath() + "/missing"));
    EXPECT_TRUE(sdk->infoDictionary().empty());
    EXPECT_EQ(sdk->bundleIdentifier(), std::nullopt);
}

TEST_F(BundleTest, InfoDictionaryFromXmlAndBinaryPlists) {
    auto main = Bundle::main();
    EXPECT_EQ(main->bundleIdentifier(), "com.tandrel.fixture");
    EXPECT_EQ(main->objectForInfoDictionaryKey("VXNumber").intValue(), 3);
    EXPECT_EQ(main->objectForInfoDictionaryKey("VXList")[1].boolValue(), true);
    EXPECT_TRUE(main->objectForInfoDictionaryKey("Missing").isNil());

    // The same keys in the binary form.
    auto binary = PropertyList::write(Dictionary{{"CFBundleIdentifier", "com.tandrel.binary"}}, PropertyList::Format::Binary);
    ASSERT_TRUE(binary);
    writeFile(bundlePath() + "/Bin.bundle/Info.plist", binary->toString());
    EXPECT_EQ(Bundle::bundleWithPath(bundlePath() + "/Bin.bundle")->bundleIdentifier(), "com.tandrel.binary");

    writeFile(bundlePath() + "/Bad.bundle/Info.plist", "<plist><dict><key>x");
    EXPECT_TRUE(Bundle::bundleWithPath(bundlePath() + "/Bad.bundle")->infoDictionary().empty());
}

TEST_F(BundleTest, DefaultMainBundleSitsBesideTheExecutable) {
    Bundle::setMainBundlePath("");
    std::string exeFolder = fs::read_symlink("/proc/self/exe").parent_path().string();
    std::string expected = fs::is_directory(exeFolder + "/resources") ? exeFolder + "/resources" : exeFolder;
    EXPECT_EQ(Bundle::main()->bundlePath(), expected);
}
