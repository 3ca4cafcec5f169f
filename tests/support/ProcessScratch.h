#pragma once
// Scratch folders for programs that must leave nothing behind (benchmarks, fuzz targets): each a new
// empty folder inside one folder of the process in the temporary directory (TMPDIR), which is
// removed with everything in it when the process exits normally.

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace vx::test {

inline std::string processScratchFolder() {
    struct Root {
        std::string path = (std::filesystem::temp_directory_path() / "vx-scratch-XXXXXX").string();
        Root() {
            if (!::mkdtemp(path.data())) std::abort();
        }
        ~Root() {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    };
    static Root root;
    std::string folder = root.path + "/XXXXXX";
    if (!::mkdtemp(folder.data())) std::abort();
    return folder;
}

} // namespace vx::test
