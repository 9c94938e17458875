// kelvane-convert's command line: the input's arguments up to its first
// empty one (NUL-separated), the rest the bytes of every input file (in.kl,
// in.dib, in.bmp, in.vb, in.png) and of standard input. Runs in a folder of
// its own, names with a '/' left out. Whatever the arguments, the exit code
// is 0, 1 or 2 and no temporary file is left behind.
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
    std::vector<std::string> args = {"kelvane-convert"};
    std::size_t at = 0;
    while (at < size && args.size() < 16) {
        const std::uint8_t* end = static_cast<const std::uint8_t*>(std::memchr(data + at, 0, size - at));
        const std::size_t n = end ? std::size_t(end - (data + at)) : size - at;
        const std::string arg(reinterpret_cast<const char*>(data + at), n);
        at += n + 1;
        if (arg.empty())
            break;
        if (arg.find('/') != std::string::npos || arg.find('\\') != std::string::npos)
            return 0;  // only the folder's own files
        args.push_back(arg);
    }
    const std::uint8_t* content = data + std::min(at, size);
    const std::size_t contentSize = size - std::min(at, size);

    // The folder, made once and removed when the process ends.
    static const struct Folder
    {
        fs::path path = fs::temp_directory_path() / ("kelvane-fuzz-" + std::to_string(::getpid()));
        Folder()
        {
            fs::create_directories(path);
            fs::current_path(path);
        }
        ~Folder()
        {
            fs::current_path(path.parent_path());
            std::error_code ignored;
            fs::remove_all(path, ignored);
        }
    } scratch;
    const fs::path& folder = scratch.path;
    for (const auto& entry : fs::directory_iterator(folder))
        fs::remove_all(entry.path());
    for (const char* name : {"in.kl", "in.dib", "in.bmp", "in.vb", "in.png"}) {
        std::ofstream f(name, std::ios::binary);
        f.write(reinterpret_cast<const char*>(content), std::streamsize(contentSize));
    }

    std::vector<const char*> argv;
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    CMemStream in(content, contentSize, "rb");
    FILE* out = std::fopen("/dev/null", "wb");
    FUZZ_CHECK(out != nullptr);
    const int code = RunConvert(int(argv.size()), argv.data(), in.get(), out, out);
    std::fclose(out);
    FUZZ_CHECK(code == 0 || code == 1 || code == 2);
    for (const auto& entry : fs::directory_iterator(folder))
        FUZZ_CHECK(entry.path().filename().string()[0] != '.');
    return 0;
}
