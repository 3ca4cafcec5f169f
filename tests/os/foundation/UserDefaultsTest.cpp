#include "os/foundation/Bundle.h"
#include "os/foundation/Data.h"
#include "os/foundation/PropertyList.h"
#include "os/foundation/UserDefaults.h"
#include "tests/support/Environment.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <thread>
#include <vector>

using namespace ns;

namespace {
class UserDefaultsTest : public vx::test::SandboxTest {
protected:
    std::string file() const { return sandboxPath() + "/Library/Preferences/vorlix.plist"; }
};
} // namespace

TEST_F(UserDefaultsTest, ValuesSurviveARestartInAnOwnerOnlyXMLFile) {
    auto defaults = UserDefaults::standard();
    defaults->set("VX_username", "player");
    defaults->setInteger(1, "VX_LoginStyle");
    defaults->setBool(true, "VX_isNotAutoLogin");
    defaults->setDouble(2.5, "scale");
    defaults->set("list", Array{1, "two"});
    defaults->set("info", Dictionary{{"k", "v"}});
    EXPECT_TRUE(defaults->synchronize());

    restart();
    auto reloaded = UserDefaults::standard();
    EXPECT_NE(reloaded, defaults);
    EXPECT_EQ(reloaded->string("VX_username"), "player");
    EXPECT_EQ(reloaded->integer("VX_LoginStyle"), 1);
    EXPECT_TRUE(reloaded->boolean("VX_isNotAutoLogin"));
    EXPECT_EQ(reloaded->doubleValue("scale"), 2.5);
    EXPECT_EQ(reloaded->array("list"), (Array{1, "two"}));
    EXPECT_EQ(reloaded->dictionary("info")->count(), 1u);

    struct stat st {};
    ASSERT_EQ(::stat(file().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(Data::fromFile(file())->toString().rfind("<?xml", 0), 0u);
    EXPECT_EQ(PropertyList::readFile(file())["VX_username"].description(), "player");
}

TEST_F(UserDefaultsTest, GettersCoerceAsFoundationDoes) {
    auto d = UserDefaults::standard();
    for (const char* text : {"YES", "true", "1", "no"}) {
        d->set("flag", text);
        EXPECT_EQ(d->boolean("flag"), std::string(text) != "no") << text;
    }
    d->set("text5", "5");
    d->set("number", 12);
    d->set("real", 1.5);
    EXPECT_EQ(d->integer("text5"), 5);
    EXPECT_EQ(d->string("number"), "12");
    EXPECT_EQ(d->string("real"), "1.5");
    EXPECT_EQ(d->doubleValue("text5"), 5);
    EXPECT_EQ(d->array("text5"), std::nullopt);
    // Missing keys read nil, nothing, 0 and NO.
    EXPECT_TRUE(d->object("missing").isNil());
    EXPECT_EQ(d->string("missing"), std::nullopt);
    EXPECT_EQ(d->integer("missing"), 0);
    EXPECT_FALSE(d->boolean("missing"));
}

TEST_F(UserDefaultsTest, NilRemovesAndNonPlistValuesAreRefused) {
    auto d = UserDefaults::standard();
    d->set("gone", "x");
    d->set("gone", Value());
    d->set("kept", "y");
    d->remove("kept");
    d->set("null", Value::null());
    d->set("nested", Array{Value::null()});
    EXPECT_TRUE(logContains("Attempt to insert non-property list object <null> for key null"));
    restart();
    EXPECT_EQ(UserDefaults::standard()->dictionaryRepresentation().count(), 0u);
}

TEST_F(UserDefaultsTest, FileIsNamedAfterTheBundleIdentifier) {
    PropertyList::write(Dictionary{{"CFBundleIdentifier", "com.vorlix.test"}}, PropertyList::Format::XML)
        ->writeToFile(bundlePath() + "/Info.plist", true);
    Bundle::setMainBundlePath(bundlePath());
    restart();
    UserDefaults::standard()->setInteger(7, "n");
    EXPECT_EQ(UserDefaults::standard()->path(), sandboxPath() + "/Library/Preferences/com.vorlix.test.plist");
    EXPECT_EQ(PropertyList::readFile(UserDefaults::standard()->path())["n"].integerValue(), 7);
}

TEST_F(UserDefaultsTest, AnUnreadableFileStartsEmptyAndIsReplaced) {
    UserDefaults::standard()->set("k", "v");
    ASSERT_TRUE(Data::fromString("garbage")->writeToFile(file(), true));
    restart();
    EXPECT_TRUE(UserDefaults::standard()->object("k").isNil());
    UserDefaults::standard()->set("k", "new");
    restart();
    EXPECT_EQ(UserDefaults::standard()->string("k"), "new");
}

TEST_F(UserDefaultsTest, ConcurrentWritersLoseNothing) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 50; ++i) UserDefaults::standard()->setInteger(i, "t" + std::to_string(t) + "_" + std::to_string(i));
        });
    for (auto& th : threads) th.join();
    restart();
    auto all = UserDefaults::standard()->dictionaryRepresentation();
    EXPECT_EQ(all.count(), 200u);
    EXPECT_EQ(all["t3_49"].integerValue(), 49);
}
