// The Python module qz_odbc_access: the classes qz_cls_odbc_access and qz_cls_regedit with their published
// member names, defaults and order, the exception Error (number, description), and the published identities.
// Text is str; byte strings (IsUTF8, UTF16toUTF8, UTF8toUTF16) are bytes. Where a published method fills a
// by-reference TextOut argument, the Python method returns that value.

#include <pybind11/eval.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstdint>
#include <exception>
#include <memory>
#include <string>

#include "bindings/python/python_text.hpp"
#include "catalog/session/published_identities.hpp"
#include "catalog/session/qz_cls_odbc_access.hpp"
#include "catalog/session/qz_cls_regedit.hpp"
#include "catalog/session/version.hpp"
#include "platform/error.hpp"

namespace py = pybind11;

namespace qz::python {
namespace {

// Defined in Python so that it is an ordinary exception class with the two attributes.
constexpr const char* error_class_source = R"(
class Error(Exception):
    """An error of the engine, the registry reader or the runtime: its number and its description."""

    def __init__(self, number, description):
        super().__init__(number, description)
        self.number = number
        self.description = description

    def __str__(self):
        return f"{self.number} - {self.description}"
)";

// Raises qz_odbc_access.Error for a qz::Error that leaves any member.
void translate_error(std::exception_ptr raised) {
    try {
        if (raised) std::rethrow_exception(raised);
    } catch (const Error& error) {
        const py::object error_class = py::module_::import("qz_odbc_access").attr("Error");
        const py::object instance = error_class(error.number(), to_python(error.description()));
        PyErr_SetObject(error_class.ptr(), instance.ptr());
    }
}

// A text field as a str property.
void text_property(py::class_<qz_cls_odbc_access>& cls, const char* name,
                   std::u16string qz_cls_odbc_access::*field, const char* doc) {
    cls.def_property(
        name, [field](const qz_cls_odbc_access& session) { return to_python(session.*field); },
        [field](qz_cls_odbc_access& session, const py::str& value) { session.*field = to_utf16(value); },
        doc);
}

template <std::size_t count>
py::dict dispatch_ids(const std::array<published::Member, count>& members) {
    py::dict ids;
    for (const published::Member& member : members)
        ids[py::str(std::string(member.name))] = member.dispatch_id;
    return ids;
}

// A path argument: str, bytes or any os.PathLike, as os.fsdecode reads it.
std::u16string path_text(const py::object& value) {
    return to_utf16(py::module_::import("os").attr("fsdecode")(value));
}

// Runs a listing with the interpreter lock released, so that sessions on other threads run meanwhile.
template <class List>
py::str listing(qz_cls_odbc_access& session, List list) {
    std::u16string text;
    {
        const py::gil_scoped_release unlocked;
        text = list(session);
    }
    return to_python(text);
}

void add_session_class(py::module_& module) {
    py::class_<engine::Database, std::shared_ptr<engine::Database>>(
        module, "Database", "An open database; sessions share one by assigning dbDao.");

    py::class_<qz_cls_odbc_access> cls(
        module, "qz_cls_odbc_access", "The catalog session: one open database, its path and six separators.");
    cls.def(py::init<>(), "A session with no database and every text empty.");
    cls.def_readwrite("dbDao", &qz_cls_odbc_access::dbDao, "The open database, or None.");
    text_property(cls, "strBanco", &qz_cls_odbc_access::strBanco, "The database file path connect resolved.");
    text_property(cls, "strSep1", &qz_cls_odbc_access::strSep1, "The separator between records.");
    text_property(cls, "strSep2", &qz_cls_odbc_access::strSep2, "The separator between the items of a record.");
    text_property(cls, "strSep3", &qz_cls_odbc_access::strSep3, "The separator between a key and its value.");
    text_property(cls, "strSep4", &qz_cls_odbc_access::strSep4, "strSep1's role inside the fields of a relation.");
    text_property(cls, "strSep5", &qz_cls_odbc_access::strSep5, "strSep2's role inside the fields of a relation.");
    text_property(cls, "strSep6", &qz_cls_odbc_access::strSep6, "strSep3's role inside the fields of a relation.");
    cls.def(
        "connect",
        [](qz_cls_odbc_access& session, const py::object& strDsn, const py::str& strUid, const py::str& strPwd,
           const py::str& strS1, const py::str& strS2, const py::str& strS3, const py::str& strS4,
           const py::str& strS5, const py::str& strS6) {
            std::u16string dsn = path_text(strDsn);
            std::u16string uid = to_utf16(strUid), pwd = to_utf16(strPwd);
            std::u16string s1 = to_utf16(strS1), s2 = to_utf16(strS2), s3 = to_utf16(strS3);
            std::u16string s4 = to_utf16(strS4), s5 = to_utf16(strS5), s6 = to_utf16(strS6);
            std::u16string opened;
            {
                const py::gil_scoped_release unlocked;
                opened = session.connect(std::move(dsn), std::move(uid), std::move(pwd), std::move(s1),
                                         std::move(s2), std::move(s3), std::move(s4), std::move(s5),
                                         std::move(s6));
            }
            return to_python(opened);
        },
        py::arg("strDsn"), py::arg("strUid") = "", py::arg("strPwd") = "", py::arg("strS1") = "",
        py::arg("strS2") = "", py::arg("strS3") = "", py::arg("strS4") = "", py::arg("strS5") = "",
        py::arg("strS6") = "",
        "Stores the six separators, resolves strDsn (a database file path, str or os.PathLike, or a data-source "
        "name) and opens the database with password strPwd; returns strBanco, the resolved path. strUid has no "
        "effect. Raises Error when the database cannot be opened.");
    cls.def(
        "get_tables",
        [](qz_cls_odbc_access& session, const py::str& strTipo) {
            return listing(session, [tipo = to_utf16(strTipo)](qz_cls_odbc_access& s) { return s.get_tables(tipo); });
        },
        py::arg("strTipo") = "tab",
        "The tables with their dates, field counts and attributes: \"tab\" ordinary tables, \"sys\" the others, "
        "\"\" all.");
    cls.def(
        "get_fields",
        [](qz_cls_odbc_access& session, const py::str& strTable, const py::object& strPathFile) {
            return listing(session, [table = to_utf16(strTable), file = path_text(strPathFile)](
                                        qz_cls_odbc_access& s) { return s.get_fields(table, file); });
        },
        py::arg("strTable"), py::arg("strPathFile"),
        "The field records of the table strTable (its name or its position), or \"Tabela não encotrada !\". "
        "strPathFile (str or os.PathLike) is accepted and not used.");
    cls.def(
        "get_indexes",
        [](qz_cls_odbc_access& session, const py::str& strTable) {
            return listing(session,
                           [table = to_utf16(strTable)](qz_cls_odbc_access& s) { return s.get_indexes(table); });
        },
        py::arg("strTable"), "The indexes of the table strTable (its name or its position).");
    cls.def(
        "get_relations",
        [](qz_cls_odbc_access& session) {
            return listing(session, [](qz_cls_odbc_access& s) { return s.get_relations(); });
        },
        "Every relation with its field pairs.");
    cls.def(
        "IsUTF8",
        [](const qz_cls_odbc_access& session, const py::bytes& Text, std::int32_t lngReadSize) {
            return session.IsUTF8(std::string(Text), lngReadSize);
        },
        py::arg("Text"), py::arg("lngReadSize") = 2048,
        "Whether the first lngReadSize bytes of Text look like UTF-8.");
    cls.def(
        "UTF16toUTF8",
        [](const qz_cls_odbc_access& session, const py::str& Text) {
            std::string bytes;
            session.UTF16toUTF8(to_utf16(Text), bytes);
            return to_python_bytes(bytes);
        },
        py::arg("Text"), "The UTF-8 bytes of Text (the published TextOut).");
    cls.def(
        "UTF8toUTF16",
        [](const qz_cls_odbc_access& session, const py::bytes& Text) {
            std::u16string text;
            session.UTF8toUTF16(std::string(Text), text);
            return to_python(text);
        },
        py::arg("Text"), "The text the UTF-8 bytes stand for (the published TextOut).");
    cls.def(
        "UTF8_Encode",
        [](const qz_cls_odbc_access& session, const py::str& Text) {
            return to_python(session.UTF8_Encode(to_utf16(Text)));
        },
        py::arg("Text"),
        "Text up to its first U+0000 as UTF-8, one character per byte (read through Windows-1252).");
    cls.def(
        "Encode_UTF8",
        [](const qz_cls_odbc_access& session, const py::str& astr) {
            return to_python(session.Encode_UTF8(to_utf16(astr)));
        },
        py::arg("astr"),
        "astr as UTF-8, unit by unit, one character per byte (read through Windows-1252); raises Error 6 from "
        "32767 units on.");
    cls.def(
        "get_querys",
        [](qz_cls_odbc_access& session) {
            return listing(session, [](qz_cls_odbc_access& s) { return s.get_querys(); });
        },
        "The saved queries with their dates and field counts.");
    cls.def(
        "get_fields_query",
        [](qz_cls_odbc_access& session, const py::str& strQuery) {
            return listing(session,
                           [query = to_utf16(strQuery)](qz_cls_odbc_access& s) { return s.get_fields_query(query); });
        },
        py::arg("strQuery"),
        "The field records of the saved query strQuery (its name or its position), or \"Query não encotrada !\".");
}

void add_registry_class(py::module_& module) {
    py::enum_<T_KeyClasses> key_classes(module, "T_KeyClasses", py::arithmetic(),
                                        "The registry roots GetRegValue accepts.");
    for (const published::key_classes::Value& root : published::key_classes::values) {
        key_classes.value(std::string(root.name).c_str(), static_cast<T_KeyClasses>(root.value));
    }
    key_classes.export_values();

    py::class_<qz_cls_regedit>(module, "qz_cls_regedit",
                               "Reads data-source entries of unixODBC's configuration.")
        .def(py::init<>(), "A reader; it keeps nothing between calls.")
        .def(
            "GetRegValue",
            [](const qz_cls_regedit& reader, T_KeyClasses KeyRoot, const py::str& Path, const py::str& sKey) {
                return to_python(reader.GetRegValue(KeyRoot, to_utf16(Path), to_utf16(sKey)));
            },
            py::arg("KeyRoot"), py::arg("Path"), py::arg("sKey"),
            "The value sKey of the key Path under KeyRoot (a data-source or driver entry of unixODBC's "
            "configuration); \"\" when there is none.");
}

void add_identities(py::module_& module) {
    module.attr("type_library_name") = std::string(published::type_library_name);
    module.attr("type_library_id") = std::string(published::type_library_id);
    module.attr("type_library_version") =
        py::make_tuple(published::type_library_major_version, published::type_library_minor_version);
    module.attr("type_library_locale") = published::type_library_locale;

    py::dict class_ids;
    class_ids[py::str(std::string(published::odbc_access::class_name))] =
        std::string(published::odbc_access::class_id);
    class_ids[py::str(std::string(published::regedit::class_name))] =
        std::string(published::regedit::class_id);
    module.attr("class_ids") = class_ids;

    py::dict interface_ids;
    interface_ids[py::str(std::string(published::odbc_access::interface_name))] =
        std::string(published::odbc_access::interface_id);
    interface_ids[py::str(std::string(published::regedit::interface_name))] =
        std::string(published::regedit::interface_id);
    module.attr("interface_ids") = interface_ids;

    py::dict ids;
    ids[py::str(std::string(published::odbc_access::class_name))] =
        dispatch_ids(published::odbc_access::members);
    ids[py::str(std::string(published::regedit::class_name))] = dispatch_ids(published::regedit::members);
    module.attr("dispatch_ids") = ids;

    module.attr("T_KeyClasses_id") = std::string(published::key_classes::enumeration_id);
}

}  // namespace
}  // namespace qz::python

PYBIND11_MODULE(qz_odbc_access, module) {
    module.doc() = "Reads the schema catalog of Microsoft Access databases.";
    module.attr("__version__") = qz::version();
    py::exec(qz::python::error_class_source, module.attr("__dict__"));
    py::register_exception_translator(&qz::python::translate_error);
    qz::python::add_session_class(module);
    qz::python::add_registry_class(module);
    qz::python::add_identities(module);
}
