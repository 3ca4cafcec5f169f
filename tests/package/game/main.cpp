// Prints what the SDK reads from the app bundle beside the program (vorlix_add_bundle): the bundle
// identifier, the orientations the game's windows support, and what a role report with a field
// missing answers (at once, without the network).
#include "os/foundation/Bundle.h"
#include "os/foundation/RunLoop.h"
#include "os/uikit/Application.h"
#include "platform_sdk/VorlixSDK.h"

#include <cstdio>
#include <filesystem>

int main() {
    ns::RunLoop::main();
    VorlixSDK::didFinishLaunching();
    auto bundle = ns::Bundle::main();
    std::printf("bundle %s\n", bundle->objectForInfoDictionaryKey("CFBundleIdentifier").description().c_str());
    std::printf("orientations %lu\n", VorlixSDK::application(ui::Application::shared(), ns::Ref<ui::Window>()));
    bool channel = std::filesystem::exists(std::filesystem::path(bundle->bundlePath()) / "VXAppInfo/Channel/package_check");
    std::printf("channel %s\n", channel ? "package_check" : "missing");
    long role = -1;
    VorlixSDK::SetUserInfoDataWithRoleId("10001", "", "35", "s1", "zone", "", [&](long result) { role = result; });
    std::printf("role report %ld\n", role);
    return 0;
}
