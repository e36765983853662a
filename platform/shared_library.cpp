#include "platform/shared_library.hpp"

#include <dlfcn.h>

#include <utility>

#include "platform/errors.hpp"
#include "platform/text/code_page.hpp"

namespace qz {

SharedLibrary::SharedLibrary(std::string soname)
    : soname_(std::move(soname)), handle_(dlopen(soname_.c_str(), RTLD_NOW | RTLD_LOCAL)) {
    if (handle_ == nullptr) {
        throw errors::error_in_loading_dll(text::utf8_to_utf16(soname_));
    }
}

void* SharedLibrary::address_of(const char* name) const {
    void* address = dlsym(handle_, name);
    if (address == nullptr) {
        throw errors::dll_entry_point_not_found(text::utf8_to_utf16(name), text::utf8_to_utf16(soname_));
    }
    return address;
}

}  // namespace qz
