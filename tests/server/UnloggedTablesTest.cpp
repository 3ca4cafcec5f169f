// Tables anyone can fill without logging in (phones sent codes with their wrong-try counts, the
// client addresses that asked, proposed names), over real HTTP on loopback with the server's clock
// in manual mode: codes go at the end of their window, a full table sends no code to a new phone
// and never drops one, and no flood locks an honest phone's code.
#include "os/foundation/Clock.h"
#include "server/ServerState.h"
#include "server/WelfareArea.h"
#include "tests/server/ServerFixture.h"

#include <functional>

using namespace servertest;

namespace {

constexpr double kWindow = 30 * 60;
const Value kBusy("验证码发送繁忙，请稍后再试");
const Value kTooOften("验证码发送过于频繁，请稍后再试");

class UnloggedTables : public ServerTest {
protected:
    ManualClock clock;

    void SetUp() override {
        ServerTest::SetUp();
        // The floods here come from one address: only the tests of that limit keep it.
        setCaps(10000, 100000, 10000);
        auto limits = server.limits();
        limits.registrationsPerAddress = 100000; // phone logins make accounts
        server.setLimits(limits);
    }

    static std::string phone(int n) { return std::to_string(13000000000LL + n); }
    // Asks a code; the reply's text.
    Value ask(const std::string& phone, const std::string& type = "8") {
        return form("Sdkhome/yzm", "sj=" + phone + "&type=" + type)["b"];
    }
    std::string sendCode(const std::string& phone, const std::string& type = "8") {
        EXPECT_EQ(ask(phone, type), Value("发送成功")) << phone;
        return server.smsCode(phone).value_or("");
    }
    // A phone login's status: 1 in, 0 refused.
    Value login(const std::string& phone, const std::string& code) {
        return call("Login/telregister", ns::Dictionary{{"z", phone}, {"i", code}})["z"];
    }
    static std::string wrongFor(const std::string& code) { return code == "111111" ? "222222" : "111111"; }
    struct Sizes {
        size_t phones = 0, addresses = 0, names = 0;
    };
    Sizes sizes() {
        Sizes out;
        server.withState([&](PlatformServer::State& s) {
            out = {s.codePhones.size(), s.codeAddresses.size(), s.loginArea.proposedNames.size()};
        });
        return out;
    }
    void setCaps(size_t phones, size_t perAddress, size_t names) {
        auto limits = server.limits();
        limits.codePhones = phones, limits.codesPerAddress = perAddress, limits.proposedNames = names;
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
        EXPECT_EQ(sizes().phones, 0u) << "an expired code leaves nothing behind";
        // A new code starts a new window.
        EXPECT_EQ(c.use(sendCode(c.phone, c.type)), Value(1));
    }
}

TEST_F(UnloggedTables, AFullPhoneTableKeepsEveryCodeItHoldsAndSendsNoneToNewPhones) {
    setCaps(50, 100000, 20);
    std::vector<std::string> codes;
    for (int i = 0; i < 50; ++i) codes.push_back(sendCode(phone(i)));
    // Exactly at the cap: a phone more is told to wait, and gets no code.
    EXPECT_EQ(ask(phone(50)), kBusy);
    EXPECT_EQ(server.smsCode(phone(50)), std::nullopt);
    EXPECT_EQ(sizes().phones, 50u);
    // A phone in the table still gets a new code, which replaces its old one.
    std::string renewed = sendCode(phone(0));
    EXPECT_EQ(login(phone(0), codes[0] == renewed ? wrongFor(renewed) : codes[0]), Value(0));
    codes[0] = renewed;
    for (int i = 0; i < 50; ++i) EXPECT_EQ(login(phone(i), codes[i]), Value(1)) << i;
    EXPECT_EQ(sizes().phones, 0u) << "a used code leaves nothing behind";
    EXPECT_EQ(login(phone(50), sendCode(phone(50))), Value(1));

    // A lower cap while the server runs drops nothing and keeps new phones out at once.
    for (int i = 100; i < 140; ++i) sendCode(phone(i));
    setCaps(30, 100000, 20);
    EXPECT_EQ(sizes().phones, 40u);
    EXPECT_EQ(ask(phone(200)), kBusy);
    EXPECT_EQ(login(phone(139), *server.smsCode(phone(139))), Value(1));
    // The table's entries lapse with their codes; then there is room again.
    ns::Clock::advance(kWindow);
    EXPECT_EQ(ask(phone(200)), Value("发送成功"));
    EXPECT_EQ(sizes().phones, 1u);

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

TEST_F(UnloggedTables, NoFloodLocksAnHonestPhonesCode) {
    setCaps(100, 100000, 20);
    const std::string honest = phone(999);
    const std::string code = sendCode(honest);
    const std::string victim = phone(998);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(login(victim, wrongFor(sendCode(victim))), Value(0));
    ns::Clock::advance(60);

    // Phones sent a code and guessed wrong five times each until the table is full.
    for (int i = 0; i < 98; ++i)
        for (int t = 0; t < 5; ++t) EXPECT_EQ(login(phone(i), wrongFor(sendCode(phone(i)))), Value(0));
    EXPECT_EQ(sizes().phones, 100u);
    EXPECT_EQ(ask(phone(500)), kBusy) << "a new phone is told to wait rather than given an uncounted code";
    // The honest phone's own count was kept for it: its right code logs in.
    EXPECT_EQ(login(honest, code), Value(1));
    // The victim's lock-out holds through the flood (its own count too), and ends with its window.
    EXPECT_EQ(login(victim, sendCode(victim)), Value(0));
    ns::Clock::advance(kWindow - 60);
    EXPECT_EQ(login(victim, sendCode(victim)), Value(1));
}

TEST_F(UnloggedTables, OneClientAddressAsksForALimitedNumberOfCodes) {
    setCaps(10000, 5, 20);
    for (int i = 0; i < 5; ++i) sendCode(phone(i));
    EXPECT_EQ(ask(phone(5)), kTooOften) << "the sixth code from this address";
    EXPECT_EQ(server.smsCode(phone(5)), std::nullopt);
    // Another address is not held back by this one's codes.
    EXPECT_EQ(formFrom("127.0.0.2", "Sdkhome/yzm", "sj=" + phone(5) + "&type=8")["b"], Value("发送成功"));
    ASSERT_TRUE(server.smsCode(phone(5)));
    EXPECT_EQ(login(phone(5), *server.smsCode(phone(5))), Value(1));
    // A lower limit takes effect at once; numbers that are no phones cost nothing.
    setCaps(10000, 1, 20);
    EXPECT_EQ(formFrom("127.0.0.2", "Sdkhome/yzm", "sj=" + phone(6) + "&type=8")["b"], kTooOften);
    EXPECT_EQ(formFrom("127.0.0.3", "Sdkhome/yzm", "sj=12345&type=8")["b"], Value("手机号格式错误"));
    EXPECT_EQ(formFrom("127.0.0.3", "Sdkhome/yzm", "sj=" + phone(6) + "&type=8")["b"], Value("发送成功"));
    EXPECT_EQ(sizes().addresses, 3u);
    // The count goes with its window.
    ns::Clock::advance(kWindow - 1);
    EXPECT_EQ(ask(phone(7)), kTooOften);
    ns::Clock::advance(1);
    setCaps(10000, 5, 20);
    EXPECT_EQ(ask(phone(7)), Value("发送成功"));
}

// Accounts stay for good, so what makes them is bounded: each client address makes a few an hour,
// and all together stop at a cap, for registration and for a phone's first login alike.
TEST_F(UnloggedTables, NewAccountsAreLimitedPerAddressAndInAll) {
    auto caps = [&](size_t perAddress, size_t accounts) {
        auto limits = server.limits();
        limits.registrationsPerAddress = perAddress, limits.accounts = accounts;
        server.setLimits(limits);
    };
    auto registerFrom = [&](const char* address, const std::string& name) {
        return callFrom(address, "login/register", ns::Dictionary{{"z", name}, {"b", "secret1"}})["d"];
    };
    auto accounts = [&] {
        size_t n = 0;
        server.withState([&](PlatformServer::State& s) { n = s.accounts.size(); });
        return n;
    };
    const Value made("注册成功"), tooOften("注册过于频繁，请稍后再试"), busy("注册繁忙，请稍后再试");
    caps(3, 100);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(registerFrom("127.0.0.1", "flood00" + std::to_string(i)), made);
    EXPECT_EQ(registerFrom("127.0.0.1", "flood000"), Value("该用户名已被注册"));
    EXPECT_EQ(registerFrom("127.0.0.1", "flood003"), tooOften) << "the fourth account from this address";
    EXPECT_FALSE(server.account("flood003")) << "nothing kept for a refused registration";
    // A phone's first login makes an account too, and is refused the same way (reply key "x").
    EXPECT_EQ(login(phone(1), sendCode(phone(1))), Value(0));
    EXPECT_EQ(accounts(), 3u);
    // Another address is not held back by this one.
    EXPECT_EQ(registerFrom("127.0.0.2", "other001"), made);

    // All accounts together: at the cap, nobody makes one, while existing accounts log in as ever.
    caps(3, 4);
    EXPECT_EQ(registerFrom("127.0.0.3", "other002"), busy);
    EXPECT_TRUE(signIn("flood001"));
    caps(3, 5);
    EXPECT_EQ(registerFrom("127.0.0.3", "other002"), made);
    EXPECT_EQ(accounts(), 5u);

    // The address's count goes with its hour.
    ns::Clock::advance(60 * 60 - 1);
    EXPECT_EQ(registerFrom("127.0.0.1", "flood003"), tooOften);
    caps(3, 100);
    ns::Clock::advance(1);
    EXPECT_EQ(registerFrom("127.0.0.1", "flood003"), made);
    EXPECT_EQ(login(phone(2), sendCode(phone(2))), Value(1));
}

// Checks and lists that only read a name's state make none for names they have not seen.
TEST_F(UnloggedTables, ReadsForUnknownNamesLeaveNothingBehind) {
    for (int i = 0; i < 50; ++i) {
        std::string name = "ghost" + std::to_string(i);
        EXPECT_EQ(form("Index/adddllog", "username=" + name + "&xh=" + name + "_xh1")["b"], Value("请先登录"));
        EXPECT_EQ(form("Sdkdetail/card", "username=" + name + "&lx=0").count(), 3u);
    }
    server.withState([](PlatformServer::State& s) {
        EXPECT_EQ(s.loginArea.subs.size(), 0u);
        EXPECT_EQ(s.loginArea.lastSub.size(), 0u);
        EXPECT_EQ(vx::server::welfareArea(s).claimed.size(), 0u);
    });
}

} // namespace
