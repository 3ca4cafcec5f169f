// Tables anyone can fill without logging in (pending SMS codes, wrong-try counts, proposed names),
// over real HTTP on loopback with the server's clock in manual mode: codes go at the end of their
// window, floods stay within the caps, and a flood never ends a phone's lock-out.
#include "os/foundation/Clock.h"
#include "server/ServerState.h"
#include "server/WelfareArea.h"
#include "tests/server/ServerFixture.h"

#include <functional>

using namespace servertest;

namespace {

constexpr double kWindow = 30 * 60;

class UnloggedTables : public ServerTest {
protected:
    ManualClock clock;

    static std::string phone(int n) { return std::to_string(13000000000LL + n); }
    std::string sendCode(const std::string& phone, const std::string& type = "8") {
        EXPECT_EQ(form("Sdkhome/yzm", "sj=" + phone + "&type=" + type)["a"], Value(1));
        return server.smsCode(phone).value_or("");
    }
    // A phone login's status: 1 in, 0 refused.
    Value login(const std::string& phone, const std::string& code) {
        return call("Login/telregister", ns::Dictionary{{"z", phone}, {"i", code}})["z"];
    }
    static std::string wrongFor(const std::string& code) { return code == "111111" ? "222222" : "111111"; }
    struct Sizes {
        size_t codes = 0, tries = 0, names = 0;
    };
    Sizes sizes() {
        Sizes out;
        server.withState([&](PlatformServer::State& s) {
            out = {s.smsCodes.size(), s.loginArea.codeTries.size(), s.loginArea.proposedNames.size()};
        });
        return out;
    }
    void setCaps(size_t codes, size_t tries, size_t names) {
        auto limits = server.limits();
        limits.pendingCodes = codes, limits.codeTryPhones = tries, limits.proposedNames = names;
        server.setLimits(limits);
    }
};

TEST_F(UnloggedTables, ACodeWorksUntilTheEndOfItsWindowAndNotAfter) {
    // A login code and a reset code, each used a second before its window ends, then one left to the end.
    server.addAccount("resetme1", "oldpass1", phone(5));
    struct Case {
        const char* type;
        std::string phone;
        std::function<Value(const std::string& code)> use; // 1 taken, 0 refused
    };
    const std::vector<Case> cases = {
        {"8", phone(8), [&](const std::string& code) { return login(phone(8), code); }},
        {"5", phone(5), [&](const std::string& code) {
             return call("Sdkhome/forgetpassword",
                         ns::Dictionary{{"phone", phone(5)}, {"yzm", code}, {"password", "newpass1"}})["a"];
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        std::string code = sendCode(c.phone, c.type);
        ns::Clock::advance(kWindow - 1);
        EXPECT_EQ(server.smsCode(c.phone), code);
        EXPECT_EQ(c.use(code), Value(1)) << "a second before the window ends";

        code = sendCode(c.phone, c.type);
        ns::Clock::advance(kWindow);
        EXPECT_EQ(server.smsCode(c.phone), std::nullopt);
        EXPECT_EQ(c.use(code), Value(0)) << "at the end of the window";
        EXPECT_EQ(sizes().codes, 0u) << "an expired code leaves nothing behind";
        // A new code starts a new window.
        EXPECT_EQ(c.use(sendCode(c.phone, c.type)), Value(1));
    }
}

TEST_F(UnloggedTables, FloodsOfPhonesAndNamesStayAtTheCapsWithTheNewestKept) {
    setCaps(50, 50, 20);
    std::vector<std::string> codes;
    for (int i = 0; i < 200; ++i) codes.push_back(sendCode(phone(i)));
    EXPECT_EQ(sizes().codes, 50u);
    // The oldest went first: their codes are refused, the newest still log in.
    EXPECT_EQ(server.smsCode(phone(149)), std::nullopt);
    EXPECT_EQ(login(phone(0), codes[0]), Value(0));
    EXPECT_EQ(login(phone(149), codes[149]), Value(0));
    for (int i = 150; i < 200; ++i) EXPECT_EQ(login(phone(i), codes[i]), Value(1)) << i;
    EXPECT_EQ(sizes().codes, 0u);

    // Wrong tries on many phones: the count table keeps within its cap too.
    for (int i = 0; i < 120; ++i) EXPECT_EQ(login(phone(i), wrongFor(sendCode(phone(i)))), Value(0));
    EXPECT_EQ(sizes().tries, 50u);
    // A lower cap takes effect at once.
    setCaps(50, 30, 20);
    EXPECT_EQ(sizes().tries, 30u);

    // One-tap registration hands out names without end; the table keeps the newest.
    std::vector<std::string> names;
    for (int i = 0; i < 60; ++i) names.push_back(call("login/oneRegister", ns::Dictionary{{"z", "1001"}})["b"].stringValue().value_or(""));
    EXPECT_EQ(sizes().names, 20u);
    server.withState([&](PlatformServer::State& s) {
        EXPECT_TRUE(s.loginArea.proposedNames.find(names.back()));
        EXPECT_FALSE(s.loginArea.proposedNames.find(names.front()));
    });
    // Registering a proposed name takes it out of the table.
    EXPECT_EQ(call("login/register", ns::Dictionary{{"z", names.back()}, {"b", "secret1"}})["z"], Value(1));
    EXPECT_EQ(sizes().names, 19u);
}

TEST_F(UnloggedTables, ALockedPhoneStaysLockedThroughAFloodOfOtherPhones) {
    setCaps(1000, 20, 20);
    const std::string victim = phone(999);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(login(victim, wrongFor(sendCode(victim))), Value(0));
    ns::Clock::advance(60);

    // Wrong tries on five times the table's cap of other phones, newer than the victim's count.
    for (int i = 0; i < 100; ++i) EXPECT_EQ(login(phone(i), wrongFor(sendCode(phone(i)))), Value(0));
    EXPECT_EQ(sizes().tries, 20u);
    EXPECT_EQ(login(victim, sendCode(victim)), Value(0)) << "the right code of a locked phone after the flood";

    // A flood that locks phones until the table holds nothing else: no phone gets a try that is not
    // counted, the right code included, until a lock-out ends.
    for (int i = 100; i < 119; ++i)
        for (int t = 0; t < 5; ++t) EXPECT_EQ(login(phone(i), wrongFor(sendCode(phone(i)))), Value(0));
    EXPECT_EQ(sizes().tries, 20u);
    const std::string honest = phone(500);
    EXPECT_EQ(login(honest, sendCode(honest)), Value(0));
    EXPECT_EQ(sizes().tries, 20u);

    // The victim's window, begun before the flood, ends first; then both get in.
    ns::Clock::advance(kWindow - 60);
    EXPECT_EQ(login(victim, sendCode(victim)), Value(1));
    EXPECT_EQ(login(honest, sendCode(honest)), Value(1));
}

// Checks and lists that only read a name's state make none for names they have not seen.
TEST_F(UnloggedTables, ReadsForUnknownNamesLeaveNothingBehind) {
    for (int i = 0; i < 50; ++i) {
        std::string name = "ghost" + std::to_string(i);
        EXPECT_EQ(form("Index/adddllog", "username=" + name + "&xh=" + name + "_xh1")["b"], Value("该小号不属于当前账号"));
        EXPECT_EQ(form("Sdkdetail/card", "username=" + name + "&lx=0").count(), 3u);
    }
    server.withState([](PlatformServer::State& s) {
        EXPECT_EQ(s.loginArea.subs.size(), 0u);
        EXPECT_EQ(s.loginArea.lastSub.size(), 0u);
        EXPECT_EQ(server::welfareArea(s).claimed.size(), 0u);
    });
}

} // namespace
