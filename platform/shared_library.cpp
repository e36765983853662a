#include "platform/shared_library.hpp"

#include <dlfcn.h>

#include <utility>

#include "platform/error.hpp"
#include "platform/text/code_page.hpp"

namespace qz {

SharedLibrary::SharedLibrary(std::string soname)
    : soname_(std::move(soname)), handle_(dlopen(soname_.c_str(), RTLD_NOW | RTLD_LOCAL)) {
    if (handle_ == nullptr) {
        throw Error(error_number::error_in_loading_dll,
                    u"Error in loading DLL '" + text::utf8_to_utf16(soname_) + u"'.");
    }
}

void* SharedLibrary::address_of(const char* name) const {
    void* address = dlsym(handle_, name);
    if (address == nullptr) {
        throw Error(error_number::dll_entry_point_not_found, u"Can't find DLL entry point " +
                                                                 text::utf8_to_utf16(name) + u" in " +
                                                                 text::utf8_to_utf16(soname_) + u".");
    }
    return address;
}

}  // namespace qz
