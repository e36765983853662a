#include "bindings/python/python_text.hpp"

#include <cstring>

namespace qz::python {

std::u16string to_utf16(const pybind11::str& text) {
    const pybind11::object encoded = pybind11::reinterpret_steal<pybind11::object>(
        PyUnicode_AsEncodedString(text.ptr(), "utf-16-le", "surrogatepass"));
    if (!encoded) throw pybind11::error_already_set();
    char* data = nullptr;
    Py_ssize_t size = 0;
    if (PyBytes_AsStringAndSize(encoded.ptr(), &data, &size) != 0) throw pybind11::error_already_set();
    std::u16string units(static_cast<std::size_t>(size) / 2, u'\0');
    if (!units.empty()) std::memcpy(units.data(), data, units.size() * 2);
    return units;
}

pybind11::str to_python(const std::u16string& text) {
    int little_endian = -1;
    PyObject* decoded =
        PyUnicode_DecodeUTF16(reinterpret_cast<const char*>(text.data()),
                              static_cast<Py_ssize_t>(text.size() * 2), "surrogatepass", &little_endian);
    if (decoded == nullptr) throw pybind11::error_already_set();
    return pybind11::reinterpret_steal<pybind11::str>(decoded);
}

pybind11::bytes to_python_bytes(const std::string& bytes) {
    return pybind11::bytes(bytes.data(), bytes.size());
}

}  // namespace qz::python
