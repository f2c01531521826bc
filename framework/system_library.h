// System DLLs that only some of the program's work needs (WinINet for a send, the shell for
// the tray icon and the About link), loaded at their first use rather than at start, and the
// loader they come from.
#pragma once

#include <windows.h>

namespace wrenquil {

class LibraryLoader {
public:
    virtual ~LibraryLoader() = default;
    // Null, with the thread's last error set, when the DLL cannot be loaded.
    virtual HMODULE Load(const char* dll) = 0;
    // Null, with the thread's last error set, when the DLL has no such function.
    virtual FARPROC Find(HMODULE module, const char* function) = 0;
};

// LoadLibraryA and GetProcAddress; a DLL once loaded stays until the process ends.
LibraryLoader& SystemLibraryLoader();

// The loader of the running application object (the system's when there is none). The
// application object calls LibraryLoaderChanged when it comes and goes, so libraries are
// loaded again through the loader now in force.
LibraryLoader& CurrentLibraryLoader();
void LibraryLoaderChanged();

// A DLL loaded at the first use of one of its functions.
class SystemLibrary {
public:
    explicit constexpr SystemLibrary(const char* dll) : dll_(dll) {}
    // Null, with the last error set, when it cannot be loaded; tried again at the next use.
    HMODULE Module();
    // The function of the loaded module, through the loader it came from.
    FARPROC Find(HMODULE module, const char* function) const;
    // Which loader the module came from (0: none yet): a function found through an earlier
    // loader is looked up again, even in the same module.
    unsigned LoadedWith() const { return loadedWith_; }

private:
    const char* dll_;
    HMODULE module_ = nullptr;
    unsigned loadedWith_ = 0; // the loader generation the module came from
};

// One function of a SystemLibrary, looked up at its first call.
template <typename Function> class LibraryFunction {
public:
    LibraryFunction(SystemLibrary& library, const char* name) : library_(library), name_(name) {}

    // Calls the function, or gives `failed` with the thread's last error set as the failed
    // load or look-up left it: what a failing call of the function itself looks like.
    template <typename Result, typename... Args> Result CallOr(Result failed, Args... args) {
        const Function function = Get();
        return function != nullptr ? function(args...) : failed;
    }

private:
    Function Get();

    SystemLibrary& library_;
    const char* name_;
    Function function_ = nullptr;
    unsigned foundWith_ = 0; // the loader generation the function came from
};

template <typename Function> Function LibraryFunction<Function>::Get() {
    HMODULE module = library_.Module();
    if (module == nullptr) {
        return nullptr;
    }
    if (library_.LoadedWith() != foundWith_ || function_ == nullptr) {
        // Through void(*)(): GetProcAddress gives every function one type.
        function_ =
            reinterpret_cast<Function>(reinterpret_cast<void (*)()>(library_.Find(module, name_)));
        foundWith_ = function_ != nullptr ? library_.LoadedWith() : 0;
    }
    return function_;
}

} // namespace wrenquil
