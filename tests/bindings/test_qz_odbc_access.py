"""What the Python module adds to the classes: Python types in and out, errors as exceptions, paths as str,
bytes or path objects, the published identities, the docstrings and the version. The text methods' own rules
are tested once, in C++. Lists the sample database the build writes (QZ_SAMPLE_DATABASE)."""

import os
import pathlib
import re
import tempfile
import unittest

import qz_odbc_access as qz


class TextMethods(unittest.TestCase):
    def test_arguments_and_results_are_python_types(self):
        session = qz.qz_cls_odbc_access()
        self.assertIs(session.IsUTF8(b"a" * 2048 + b"\xa9"), True)
        self.assertIs(session.IsUTF8(b"a" * 2048 + b"\xa9", 2049), False)
        text = "a\x00\u00e9\U0001F600"
        self.assertEqual(session.UTF16toUTF8(text), text.encode("utf-8"))
        self.assertEqual(session.UTF8toUTF16(text.encode("utf-8")), text)
        self.assertEqual(session.UTF8_Encode("a\x00b"), "a")
        self.assertEqual(session.Encode_UTF8("\u00e9\x00"), "\u00c3\u00a9\x00")
        with self.assertRaises(qz.Error) as raised:
            session.Encode_UTF8("x" * 32767)
        self.assertEqual((raised.exception.number, raised.exception.description), (6, "Overflow"))


class SessionWithoutDatabase(unittest.TestCase):
    def test_a_new_session_is_empty_and_fields_keep_text(self):
        session = qz.qz_cls_odbc_access()
        self.assertIsNone(session.dbDao)
        for name in ["strBanco", "strSep1", "strSep2", "strSep3", "strSep4", "strSep5", "strSep6"]:
            self.assertEqual(getattr(session, name), "")
            setattr(session, name, "\u2192" + name)
            self.assertEqual(getattr(session, name), "\u2192" + name)
        with self.assertRaises(Exception) as raised:
            session.get_tables()
        self.assertIsInstance(raised.exception, qz.Error)
        self.assertEqual(raised.exception.number, 91)
        self.assertEqual(raised.exception.description, "Object variable or With block variable not set")

    def test_connect_resolves_a_data_source_and_keeps_what_it_stored_when_the_open_fails(self):
        with tempfile.TemporaryDirectory() as folder:
            with open(os.path.join(folder, "odbc.ini"), "w") as ini:
                ini.write(f"[qz_demo]\nDBQ={folder}/missing.mdb\n")
            os.environ["ODBCSYSINI"] = folder
            key = "SOFTWARE\\ODBC\\ODBC.INI\\qz_demo"
            reader = qz.qz_cls_regedit()
            self.assertEqual(reader.GetRegValue(qz.HKEY_LOCAL_MACHINE, key, "DBQ"), f"{folder}/missing.mdb")
            self.assertEqual(reader.GetRegValue(qz.T_KeyClasses.HKEY_USERS, key, "DBQ"), "")
            session = qz.qz_cls_odbc_access()
            with self.assertRaises(qz.Error) as raised:
                session.connect("qz_demo", strS1="|")
            self.assertEqual(raised.exception.number, 3024)
            self.assertEqual((session.strBanco, session.strSep1), (f"{folder}/missing.mdb", "|"))
            self.assertIsNone(session.dbDao)

    def test_a_path_is_the_file_it_names_whole(self):
        # A NUL ends a C file name: the part before it names another file, which must not be opened.
        # Bytes that are not UTF-8 (os.fsdecode's surrogate escapes) name the file with those bytes.
        with tempfile.TemporaryDirectory() as folder:
            for name in (b"prefix.mdb", b"\xff.mdb"):
                with open(os.path.join(os.fsencode(folder), name), "wb") as decoy:
                    decoy.write(b"not a database")
            session = qz.qz_cls_odbc_access()
            for path, number in ((f"{folder}/prefix.mdb\0.accdb", 3044),
                                 (os.fsdecode(os.path.join(os.fsencode(folder), b"\xff.mdb")), 3343)):
                with self.subTest(path=path), self.assertRaises(qz.Error) as raised:
                    session.connect(path)
                self.assertEqual(raised.exception.number, number)


class PublishedIdentities(unittest.TestCase):
    def test_identities_are_the_published_ones(self):
        self.assertEqual(qz.type_library_id, "{4F549135-E9CB-4F74-8D37-A2C256638C83}")
        self.assertEqual(qz.type_library_version, (1, 0))
        self.assertEqual(qz.class_ids["qz_cls_odbc_access"], "{49B59D6B-9D9E-44D4-8E67-3D29CB0D6844}")
        self.assertEqual(qz.interface_ids["_qz_cls_regedit"], "{1C60230F-7685-40D3-BF46-4FFA7B02D7B5}")
        self.assertEqual(qz.T_KeyClasses_id, "{264E9E60-3290-402F-9947-8D101790523D}")
        self.assertEqual(int(qz.HKEY_LOCAL_MACHINE), 0x80000002)
        self.assertEqual(list(qz.T_KeyClasses.__members__), ["HKEY_CLASSES_ROOT", "HKEY_CURRENT_CONFIG",
                                                            "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                                            "HKEY_USERS"])
        session_ids = qz.dispatch_ids["qz_cls_odbc_access"]
        self.assertEqual(session_ids["get_fields_query"], 0x6003000B)
        self.assertEqual(list(session_ids)[:3], ["dbDao", "strBanco", "strSep1"])

    def test_every_published_member_exists_and_says_what_it_does_and_the_module_its_version(self):
        self.assertRegex(qz.__version__, r"^[0-9]+\.[0-9]+\.[0-9]+$")
        for class_name, ids in qz.dispatch_ids.items():
            for name in ids:
                with self.subTest(f"{class_name}.{name}"):
                    doc = getattr(getattr(qz, class_name), name).__doc__ or ""
                    # pybind11 puts the signature first; the description follows it.
                    self.assertTrue(re.sub(r"^\S+\(.*\) -> .*\n*", "", doc).strip(), doc)


class SampleSession(unittest.TestCase):
    def setUp(self):
        self.path = os.environ["QZ_SAMPLE_DATABASE"]
        self.session = qz.qz_cls_odbc_access()
        separators = ("|", ";", "=", ",", "&", ":")
        self.assertEqual(self.session.connect(pathlib.Path(self.path), "", "", *separators), self.path)

    def test_listings_are_text(self):
        self.assertIn("name=Customers;", self.session.get_tables())
        self.assertIn("name=CustomerID;", self.session.get_fields("Customers", ""))
        not_found = self.session.get_fields("None", pathlib.Path("/tmp/out.txt"))
        self.assertEqual(not_found, "Tabela não encotrada !")
        self.assertIn("name=Name;", self.session.get_fields_query("Customers by city"))

    def test_a_shared_database_outlives_its_first_session_and_a_failed_connect(self):
        other = qz.qz_cls_odbc_access()
        other.dbDao = self.session.dbDao
        other.strSep1, other.strSep2, other.strSep3 = "|", ";", "="
        with self.assertRaises(qz.Error):
            self.session.connect("/nonexistent/folder/x.mdb", "", "", "|", ";", "=")
        self.assertIn("name=Customers;", self.session.get_tables())
        del self.session
        self.assertIn("name=Customers;", other.get_tables())


if __name__ == "__main__":
    unittest.main()
