#pragma once
// A system library opened when a request first needs it rather than linked to the program: binding a large
// library's symbols at every process start costs more than most requests, and most never call it. The library
// stays loaded for the life of the process.

#include <string>

namespace qz {

class SharedLibrary {
  public:
    // Opens the library by its versioned name ("libcrypto.so.3"); throws qz::Error 48 "Error in loading DLL"
    // naming it when it cannot be loaded.
    explicit SharedLibrary(std::string soname);

    // The library's function `name` as a pointer of the type given (decltype(&name) of the library's own
    // prototype); throws qz::Error 453 naming the function and the library when the library has none.
    template <typename FunctionPointer>
    FunctionPointer function(const char* name) const {
        return reinterpret_cast<FunctionPointer>(address_of(name));
    }

  private:
    void* address_of(const char* name) const;

    std::string soname_;
    void* handle_;
};

}  // namespace qz
