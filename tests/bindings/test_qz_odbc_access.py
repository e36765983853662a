"""The Python module qz_odbc_access: both classes, their defaults, the error class and the identities.

TablesOnFixture and SavedQueriesOnFixture drive a whole session on a fixture database; they are skipped when
the fixtures are absent or the reader cannot yet read what they list.
"""

import os
import pathlib
import re
import tempfile
import unittest

import qz_odbc_access as qz


def fixture_path(relative):
    folder = os.environ.get("QZ_FIXTURES") or os.environ.get("QZ_DEFAULT_FIXTURES", "")
    return os.path.join(folder, relative)


class TextMethods(unittest.TestCase):
    def setUp(self):
        self.session = qz.qz_cls_odbc_access()

    def test_is_utf8_reads_only_the_default_2048_byte_sample(self):
        text = b"a" * 2048 + b"\xa9"
        self.assertTrue(self.session.IsUTF8(text))
        self.assertFalse(self.session.IsUTF8(text, 2049))

    def test_is_utf8_follows_the_lead_byte_pattern(self):
        cases = [
            ("empty bytes are not UTF-8", b"", 2048, False),
            ("a read size of 0 reads nothing", b"\xc3\xa9", 0, False),
            ("a lone continuation byte fails", b"\xa9", 2048, False),
            ("a sequence cut by the sample's end passes", b"\xc3\xa9", 1, True),
            ("0xFF and 0xFE are passed over", b"\xff\xfe", 2048, True),
            ("an overlong lead passes", b"\xc0\x80", 2048, True),
        ]
        for fault, data, read_size, expected in cases:
            with self.subTest(fault):
                self.assertIs(self.session.IsUTF8(data, read_size), expected)

    def test_byte_strings_are_bytes_and_round_trip(self):
        text = "a\x00\u00e9\u8000\U0001F600"
        data = self.session.UTF16toUTF8(text)
        self.assertIsInstance(data, bytes)
        self.assertEqual(data, text.encode("utf-8"))
        self.assertEqual(self.session.UTF8toUTF16(data), text)
        self.assertEqual(self.session.UTF16toUTF8(""), b"")
        self.assertEqual(self.session.UTF8toUTF16(b"a\xff"), "a\ufffd")

    def test_encoders_differ_on_u0000_and_surrogate_pairs(self):
        self.assertEqual(self.session.UTF8_Encode("a\x00b"), "a")
        self.assertEqual(self.session.Encode_UTF8("a\x00b"), "a\x00b")
        pair = "\U0001F600"
        self.assertEqual(self.session.UTF8_Encode(pair), pair.encode("utf-8").decode("cp1252", "replace"))
        self.assertEqual(self.session.Encode_UTF8(pair), "\u00ed\u00a0\u00bd\u00ed\u00b8\u20ac")

    def test_encoders_agree_from_u8000_up_and_through_bytes_80_to_9f(self):
        text = "\u00e9\u20ac\u8000\uffef"
        expected = "".join(chr(b) if b < 0x80 or b in (0x81, 0x8D, 0x8F, 0x90, 0x9D) else bytes([b]).decode("cp1252")
                           for b in text.encode("utf-8"))
        self.assertEqual(self.session.UTF8_Encode(text), expected)
        self.assertEqual(self.session.Encode_UTF8(text), expected)

    def test_encode_utf8_takes_at_most_32766_units(self):
        self.assertEqual(len(self.session.Encode_UTF8("x" * 32766)), 32766)
        with self.assertRaises(qz.Error) as raised:
            self.session.Encode_UTF8("x" * 32767)
        self.assertEqual(raised.exception.number, 6)
        self.assertEqual(raised.exception.description, "Overflow")


class SessionWithoutDatabase(unittest.TestCase):
    def test_a_new_session_is_empty_and_fields_keep_text(self):
        session = qz.qz_cls_odbc_access()
        self.assertIsNone(session.dbDao)
        for name in ["strBanco", "strSep1", "strSep2", "strSep3", "strSep4", "strSep5", "strSep6"]:
            with self.subTest(name):
                self.assertEqual(getattr(session, name), "")
                setattr(session, name, "\u2192" + name)
                self.assertEqual(getattr(session, name), "\u2192" + name)

    def test_a_listing_without_database_raises_error_91(self):
        with self.assertRaises(qz.Error) as raised:
            qz.qz_cls_odbc_access().get_tables()
        self.assertEqual(raised.exception.number, 91)
        self.assertEqual(raised.exception.description, "Object variable or With block variable not set")
        self.assertIsInstance(raised.exception, Exception)

    def test_connect_resolves_a_data_source_and_keeps_what_it_stored_when_the_open_fails(self):
        with tempfile.TemporaryDirectory() as folder:
            with open(os.path.join(folder, "odbc.ini"), "w") as ini:
                ini.write(f"[qz_demo]\nDBQ={folder}/missing.mdb\n")
            previous = os.environ.get("ODBCSYSINI")
            os.environ["ODBCSYSINI"] = folder
            try:
                reader = qz.qz_cls_regedit()
                self.assertEqual(reader.GetRegValue(qz.HKEY_LOCAL_MACHINE, "SOFTWARE\\ODBC\\ODBC.INI\\qz_demo", "DBQ"),
                                 f"{folder}/missing.mdb")
                self.assertEqual(reader.GetRegValue(qz.T_KeyClasses.HKEY_USERS,
                                                    "SOFTWARE\\ODBC\\ODBC.INI\\qz_demo", "DBQ"), "")
                session = qz.qz_cls_odbc_access()
                with self.assertRaises(qz.Error) as raised:
                    session.connect("qz_demo", strS1="|")
                self.assertEqual(raised.exception.number, 3024)
                self.assertIn("missing.mdb", raised.exception.description)
                self.assertEqual(session.strBanco, f"{folder}/missing.mdb")
                self.assertEqual(session.strSep1, "|")
                self.assertIsNone(session.dbDao)
            finally:
                if previous is None:
                    del os.environ["ODBCSYSINI"]
                else:
                    os.environ["ODBCSYSINI"] = previous

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
        self.assertEqual([member.name for member in qz.T_KeyClasses.__members__.values()],
                         ["HKEY_CLASSES_ROOT", "HKEY_CURRENT_CONFIG", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                          "HKEY_USERS"])

    def test_every_published_member_is_on_its_class_in_slot_order(self):
        for class_name, ids in qz.dispatch_ids.items():
            cls = getattr(qz, class_name)
            with self.subTest(class_name):
                self.assertEqual([name for name in ids if not hasattr(cls, name)], [])
        session_ids = qz.dispatch_ids["qz_cls_odbc_access"]
        self.assertEqual(session_ids["get_fields_query"], 0x6003000B)
        self.assertEqual(list(session_ids)[:3], ["dbDao", "strBanco", "strSep1"])

    def test_every_member_says_what_it_does_and_the_module_its_version(self):
        self.assertRegex(qz.__version__, r"^[0-9]+\.[0-9]+\.[0-9]+$")
        for class_name, ids in qz.dispatch_ids.items():
            for name in ids:
                with self.subTest(f"{class_name}.{name}"):
                    doc = getattr(getattr(qz, class_name), name).__doc__ or ""
                    # pybind11 puts the signature first; the description follows it.
                    self.assertTrue(re.sub(r"^\S+\(.*\) -> .*\n*", "", doc).strip(), doc)


class FixtureSession(unittest.TestCase):
    """A session connected to a fixture database; skipped when the reader cannot open it yet."""

    def setUp(self):
        self.path = fixture_path("jackcess/V2003/queryTestV2003.mdb")
        if not os.path.isfile(self.path):
            self.skipTest("fixtures not found: set QZ_FIXTURES or place ../shared/fixtures beside the checkout")
        self.session = qz.qz_cls_odbc_access()
        try:
            self.assertEqual(self.session.connect(self.path, "", "", "|", ";", "=", ",", "&", ":"), self.path)
        except qz.Error as error:
            if error.number == 3343:
                self.skipTest(f"the reader cannot open the fixture yet: {error}")
            raise


class TablesOnFixture(FixtureSession):
    def test_every_table_listing_reads_the_fixture(self):
        session = self.session
        self.assertIn("name=Table1;", session.get_tables())
        self.assertIn("name=MSysObjects;", session.get_tables("sys"))
        self.assertIn("name=", session.get_fields("Table1", ""))
        self.assertEqual(session.get_fields("No such table", pathlib.Path("/tmp/out.txt")), "Tabela não encotrada !")
        self.assertIsInstance(session.get_indexes("Table1"), str)
        self.assertIsInstance(session.get_relations(), str)

    def test_a_path_object_opens_like_its_text(self):
        self.assertEqual(qz.qz_cls_odbc_access().connect(pathlib.Path(self.path)), self.path)

    def test_a_shared_database_outlives_its_first_session(self):
        other = qz.qz_cls_odbc_access()
        other.dbDao = self.session.dbDao
        other.strSep1, other.strSep2, other.strSep3 = "|", ";", "="
        del self.session
        self.assertIn("name=Table1;", other.get_tables())

    def test_a_failed_connect_keeps_the_earlier_database(self):
        with self.assertRaises(qz.Error) as raised:
            self.session.connect("/nonexistent/folder/x.mdb", "", "", "|", ";", "=")
        self.assertNotEqual(raised.exception.number, 0)
        self.assertIsNotNone(self.session.dbDao)
        self.assertIn("name=Table1;", self.session.get_tables())


class SavedQueriesOnFixture(FixtureSession):
    def test_saved_query_listings_read_the_fixture(self):
        session = self.session
        try:
            listing = session.get_querys()
        except qz.Error as error:
            if error.number == 3251:
                self.skipTest(f"the reader cannot describe saved queries yet: {error}")
            raise
        self.assertIn("name=SelectQuery;", listing)
        self.assertIn("name=", session.get_fields_query("SelectQuery"))
        self.assertEqual(session.get_fields_query("No such query"), "Query não encotrada !")


if __name__ == "__main__":
    unittest.main()
