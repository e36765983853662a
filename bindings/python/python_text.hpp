#pragma once
// Text and byte strings between Python and the classes. Text crosses as UTF-16 with surrogates passed
// through, so every text a class returns reaches Python, even one holding an unpaired surrogate.

#include <pybind11/pybind11.h>

#include <string>

namespace qz::python {

std::u16string to_utf16(const pybind11::str& text);
pybind11::str to_python(const std::u16string& text);
pybind11::bytes to_python_bytes(const std::string& bytes);

}  // namespace qz::python
