#include "cli/SysProgram.h"

#include "formats/SysFileName.h"

#ifdef _WIN32

#include <windows.h>

#include <vector>

namespace {

// The program's file.
std::string ProgramFile()
{
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);  // cut short: try again with more room
    }
    return Utf8FromWide(std::wstring(path.data(), path.size()));
}

}  // namespace

void* LoadModuleSymbol(const std::string& path, const char* symbol)
{
    const std::wstring wide = WideFileName(path);
    const HMODULE module = wide.empty() ? nullptr : LoadLibraryW(wide.c_str());
    return module ? reinterpret_cast<void*>(GetProcAddress(module, symbol)) : nullptr;
}

#else  // POSIX

#include <dlfcn.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <memory>
#include <vector>

#ifdef __APPLE__

#include <mach-o/dyld.h>

namespace {

// The program's file, links resolved.
std::string ProgramFile()
{
    std::uint32_t size = 0;
    _NSGetExecutablePath(nullptr, &size);
    std::vector<char> path(size + 1);
    if (_NSGetExecutablePath(path.data(), &size) != 0)
        return {};
    const std::unique_ptr<char, decltype(&std::free)> real(realpath(path.data(), nullptr),
                                                           &std::free);
    return real ? std::string(real.get()) : std::string();
}

}  // namespace

#else  // Linux and the like: the process's link to its file

namespace {

std::string ProgramFile()
{
    std::vector<char> path(4096);
    for (;;) {
        const ssize_t len = readlink("/proc/self/exe", path.data(), path.size());
        if (len <= 0)
            return {};
        if (std::size_t(len) < path.size())
            return std::string(path.data(), std::size_t(len));
        path.resize(path.size() * 2);
    }
}

}  // namespace

#endif

void* LoadModuleSymbol(const std::string& path, const char* symbol)
{
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    return module ? dlsym(module, symbol) : nullptr;
}

#endif

std::string ProgramFolder()
{
    const std::string path = ProgramFile();
    return path.substr(0, FileNameStart(path));
}
