#include <windows.h>

#include <stdexcept>
#include <string>

#include "host/loader/dynamic_library.h"

namespace tavi::host {

namespace {

std::string systemMessage(DWORD code) {
    char *text = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<char *>(&text), 0, nullptr);
    std::string message = length != 0 && text != nullptr ? std::string(text, length) : std::string();
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message + " (error " + std::to_string(code) + ")";
}

void *address(FARPROC proc) { return reinterpret_cast<void *>(proc); }

}  // namespace

DynamicLibrary::DynamicLibrary(const std::filesystem::path &file) {
    // An absolute path, so Windows never searches its DLL path instead; and
    // no error box for a file it cannot map.
    const std::filesystem::path path = std::filesystem::absolute(file);
    DWORD previousMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    HMODULE module = LoadLibraryW(path.c_str());
    const DWORD error = GetLastError();
    SetThreadErrorMode(previousMode, nullptr);
    if (module == nullptr) throw std::runtime_error(systemMessage(error));
    handle_ = module;
}

DynamicLibrary::~DynamicLibrary() {
    if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
}

void *DynamicLibrary::symbol(const char *name) const {
    return address(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

void *DynamicLibrary::symbolByOrdinal(int ordinal) const {
    // Ordinals are 16-bit; anything else would be read as a name's address.
    if (ordinal <= 0 || ordinal > 0xFFFF) return nullptr;
    return address(GetProcAddress(static_cast<HMODULE>(handle_), MAKEINTRESOURCEA(ordinal)));
}

}  // namespace tavi::host
