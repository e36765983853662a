"""What the module adds to the C++ classes: Python types, exceptions, path objects, the published identities,
docstrings and version. Lists the sample database the build writes (QZ_SAMPLE_DATABASE)."""

import os
import pathlib
import re
import unittest

import qz_odbc_access as qz


class Module(unittest.TestCase):
    def test_text_methods_take_and_give_python_types_and_raise_errors(self):
        session = qz.qz_cls_odbc_access()
        self.assertIs(session.IsUTF8(b"a" * 2048 + b"\xa9", 2049), False)
        text = "a\x00\u00e9\U0001F600"
        self.assertEqual(session.UTF16toUTF8(text), text.encode("utf-8"))
        self.assertEqual(session.UTF8toUTF16(text.encode("utf-8")), text)
        with self.assertRaises(qz.Error) as raised:
            session.Encode_UTF8("x" * 32767)
        self.assertEqual((raised.exception.number, raised.exception.description), (6, "Overflow"))

    def test_identities_are_the_published_ones_and_every_member_says_what_it_does(self):
        self.assertEqual(qz.type_library_id, "{4F549135-E9CB-4F74-8D37-A2C256638C83}")
        self.assertEqual(qz.class_ids["qz_cls_odbc_access"], "{49B59D6B-9D9E-44D4-8E67-3D29CB0D6844}")
        self.assertEqual(qz.interface_ids["_qz_cls_regedit"], "{1C60230F-7685-40D3-BF46-4FFA7B02D7B5}")
        self.assertEqual(qz.T_KeyClasses_id, "{264E9E60-3290-402F-9947-8D101790523D}")
        self.assertEqual(int(qz.HKEY_LOCAL_MACHINE), 0x80000002)
        self.assertEqual(qz.qz_cls_regedit().GetRegValue(qz.T_KeyClasses.HKEY_USERS, "SOFTWARE", "DBQ"), "")
        self.assertEqual(qz.dispatch_ids["qz_cls_odbc_access"]["get_fields_query"], 0x6003000B)
        self.assertRegex(qz.__version__, r"^[0-9]+\.[0-9]+\.[0-9]+$")
        for class_name, ids in qz.dispatch_ids.items():
            for name in ids:
                doc = getattr(getattr(qz, class_name), name).__doc__ or ""
                # pybind11 puts the signature first; the description follows it.
                self.assertTrue(re.sub(r"^\S+\(.*\) -> .*\n*", "", doc).strip(), f"{class_name}.{name}")


class SampleSession(unittest.TestCase):
    def test_listings_are_text_and_a_shared_database_outlives_its_first_session(self):
        path = os.environ["QZ_SAMPLE_DATABASE"]
        session = qz.qz_cls_odbc_access()
        self.assertIsNone(session.dbDao)
        self.assertEqual(session.connect(pathlib.Path(path), "", "", "|", ";", "="), path)
        self.assertIn("name=CustomerID;", session.get_fields("Customers", ""))
        self.assertEqual(session.get_fields("None", pathlib.Path("/tmp/out.txt")), "Tabela não encotrada !")
        self.assertIn("name=Name;", session.get_fields_query("Customers by city"))
        other = qz.qz_cls_odbc_access()
        other.dbDao = session.dbDao
        other.strSep1, other.strSep2, other.strSep3 = "|", ";", "="
        with self.assertRaises(qz.Error) as raised:
            session.connect("/nonexistent/folder/x.mdb")
        self.assertEqual(raised.exception.number, 3044)
        del session
        self.assertIn("name=Customers;", other.get_tables())


if __name__ == "__main__":
    unittest.main()
