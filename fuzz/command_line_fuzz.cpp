// kelvane-convert's command line: the input's arguments up to its first
// empty one (NUL-separated), the rest the bytes of every input file (in.kl,
// in.dib, in.bmp, in.vb, in.png) and of standard input. Runs in a folder of
// its own (names with a '/' are left out); whatever the arguments, the exit
// code is 0, 1 or 2 and no temporary file stays behind.
#include "cli/Convert.h"
#include "fuzz/FuzzSupport.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> args = {"kelvane-convert"};
    std::size_t at = 0;
    for (std::size_t end; at < size && args.size() < 16 && (end = input.find('\0', at)) != at;) {
        args.push_back(input.substr(at, end - at));
        at = end == std::string::npos ? size : end + 1;
        if (args.back().find_first_of("/\\") != std::string::npos)
            return 0;
    }
    const std::string content = input.substr(std::min(at + 1, size));

    static const fs::path home = fs::current_path();
    static const fs::path folder = fs::temp_directory_path() / ("kelvane-fuzz-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::current_path(folder);
    for (const char* name : {"in.kl", "in.dib", "in.bmp", "in.vb", "in.png"})
        std::ofstream(name, std::ios::binary) << content;

    std::vector<const char*> argv;
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    CMemStream in(content.data(), content.size(), "rb");
    FILE* out = std::fopen("/dev/null", "wb");
    FUZZ_CHECK(out != nullptr);
    const int code = RunConvert(int(argv.size()), argv.data(), in.get(), out, out);
    std::fclose(out);
    FUZZ_CHECK(code == 0 || code == 1 || code == 2);
    for (const auto& entry : fs::directory_iterator(folder))
        FUZZ_CHECK(entry.path().filename().string()[0] != '.');
    fs::current_path(home);
    fs::remove_all(folder);
    return 0;
}
