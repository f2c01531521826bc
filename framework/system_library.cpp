#include "system_library.h"

#include "app.h"

namespace wrenquil {
namespace {

class SystemLoader final : public LibraryLoader {
public:
    HMODULE Load(const char* dll) override { return ::LoadLibraryA(dll); }
    FARPROC Find(HMODULE module, const char* function) override {
        return ::GetProcAddress(module, function);
    }
};

unsigned loaderGeneration = 1; // counts the loaders used, so a library knows when to reload

} // namespace

LibraryLoader& SystemLibraryLoader() {
    static SystemLoader loader;
    return loader;
}

LibraryLoader& CurrentLibraryLoader() {
    return AfxGetApp() != nullptr ? AfxGetApp()->Libraries() : SystemLibraryLoader();
}

void LibraryLoaderChanged() {
    ++loaderGeneration;
}

HMODULE SystemLibrary::Module() {
    if (loadedWith_ != loaderGeneration) {
        module_ = CurrentLibraryLoader().Load(dll_);
        loadedWith_ = module_ != nullptr ? loaderGeneration : 0;
    }
    return module_;
}

FARPROC SystemLibrary::Find(HMODULE module, const char* function) const {
    return CurrentLibraryLoader().Find(module, function);
}

} // namespace wrenquil
