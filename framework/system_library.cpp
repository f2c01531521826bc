#include "system_library.h"

namespace wrenquil {
namespace {

class SystemLoader final : public LibraryLoader {
public:
    HMODULE Load(const char* dll) override { return ::LoadLibraryA(dll); }
    FARPROC Find(HMODULE module, const char* function) override {
        return ::GetProcAddress(module, function);
    }
};

LibraryLoader* currentLoader = &SystemLibraryLoader();
unsigned loaderGeneration = 1; // counts the loaders used, so a library knows when to reload

} // namespace

LibraryLoader& SystemLibraryLoader() {
    static SystemLoader loader;
    return loader;
}

LibraryLoader& UseLibraryLoader(LibraryLoader& loader) {
    LibraryLoader& previous = *currentLoader;
    currentLoader = &loader;
    ++loaderGeneration;
    return previous;
}

HMODULE SystemLibrary::Module() {
    if (loadedWith_ != loaderGeneration) {
        module_ = currentLoader->Load(dll_);
        loadedWith_ = module_ != nullptr ? loaderGeneration : 0;
    }
    return module_;
}

FARPROC SystemLibrary::Find(HMODULE module, const char* function) const {
    return currentLoader->Find(module, function);
}

} // namespace wrenquil
