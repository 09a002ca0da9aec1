#!/usr/bin/env python3
"""Checks of the fault runner's own pieces: reading the list, making a fault, and putting
a file back exactly as it was, also after a run that was killed."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import mutants  # noqa: E402


class ParseList(unittest.TestCase):
    def test_rows(self):
        cases = [
            ("one fault",
             "file: a.cpp\nfind: x < y\nreplace: x <= y\ntests: ^tst_a$\n",
             [{"file": "a.cpp", "find": "x < y", "replace": "x <= y", "tests": "^tst_a$"}]),
            ("comments and blank lines between",
             "# head\n\n\nfile: a.cpp\n# inside\nfind: a\nreplace: b\ntests: t\n\n\n"
             "file: b.cpp\nfind: c\nreplace: d\ntests: u\nunobservable: because\n",
             [{"file": "a.cpp", "find": "a", "replace": "b", "tests": "t"},
              {"file": "b.cpp", "find": "c", "replace": "d", "tests": "u", "unobservable": "because"}]),
            ("escapes in the texts only",
             "file: a.cpp\nfind: if (a)\\n    b;\nreplace: \\tb;\\\\n\ntests: t\\n\n",
             [{"file": "a.cpp", "find": "if (a)\n    b;", "replace": "\tb;\\n", "tests": "t\\n"}]),
            ("blanks kept inside the text",
             "file: a.cpp\nfind:   two  spaces \nreplace: x\ntests: t\n",
             [{"file": "a.cpp", "find": "  two  spaces ", "replace": "x", "tests": "t"}]),
            ("colon in the text",
             "file: a.cpp\nfind: std::min(a, b)\nreplace: std::max(a, b)\ntests: t\n",
             [{"file": "a.cpp", "find": "std::min(a, b)", "replace": "std::max(a, b)", "tests": "t"}]),
        ]
        for name, text, expected in cases:
            with self.subTest(name):
                rows = mutants.parse_list(text)
                for row in rows:
                    del row["line"]
                self.assertEqual(rows, expected)

    def test_damaged_lists(self):
        cases = [
            ("no tests", "file: a.cpp\nfind: a\nreplace: b\n"),
            ("no replacement", "file: a.cpp\nfind: a\ntests: t\n"),
            ("unknown key", "file: a.cpp\nfind: a\nreplace: b\ntests: t\nwhy: x\n"),
            ("key twice", "file: a.cpp\nfind: a\nfind: b\nreplace: b\ntests: t\n"),
            ("no colon", "file a.cpp\nfind: a\nreplace: b\ntests: t\n"),
            ("replacement the same", "file: a.cpp\nfind: a\nreplace: a\ntests: t\n"),
        ]
        for name, text in cases:
            with self.subTest(name):
                with self.assertRaises(mutants.ListError):
                    mutants.parse_list(text)

    def test_line_of_each_row(self):
        rows = mutants.parse_list("# c\n\nfile: a\nfind: a\nreplace: b\ntests: t\n\nfile: b\nfind: a\nreplace: b\ntests: t\n")
        self.assertEqual([r["line"] for r in rows], [3, 8])


class ApplyFault(unittest.TestCase):
    def test_only_a_text_found_once_is_changed(self):
        cases = [
            ("once", "a < b;\nc;\n", "a < b", "a <= b", "a <= b;\nc;\n"),
            ("missing", "a < b;\n", "x", "y", None),
            ("twice", "a < b; a < b;\n", "a < b", "a <= b", None),
            ("across lines", "if (a)\n    b;\n", "(a)\n    b", "(a)\n    c", "if (a)\n    c;\n"),
        ]
        for name, text, find, replace, expected in cases:
            with self.subTest(name):
                self.assertEqual(mutants.apply_fault(text, find, replace), expected)


class Restorer(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.build = os.path.join(self.dir.name, "build")
        os.makedirs(self.build)
        self.source = os.path.join(self.dir.name, "a.cpp")
        # Line ends of both kinds, no final line break, and a byte that is no UTF-8.
        self.original = b"int a;\r\nint b; // \xe9\nint c;"
        with open(self.source, "wb") as f:
            f.write(self.original)

    def tearDown(self):
        self.dir.cleanup()

    def read(self):
        with open(self.source, "rb") as f:
            return f.read()

    def test_restore_gives_the_same_bytes(self):
        r = mutants.Restorer(self.build)
        r.hold(self.source, self.original)
        with open(self.source, "wb") as f:
            f.write(b"changed")
        r.restore()
        self.assertEqual(self.read(), self.original)
        self.assertFalse(os.path.exists(r.journal))
        r.restore()  # nothing held: nothing done
        self.assertEqual(self.read(), self.original)

    def test_a_killed_run_is_mended_by_the_next(self):
        r = mutants.Restorer(self.build)
        r.hold(self.source, self.original)
        with open(self.source, "wb") as f:
            f.write(b"changed")
        # The run dies here; the next one finds the journal.
        nxt = mutants.Restorer(self.build)
        self.assertEqual(nxt.recover(), self.source)
        self.assertEqual(self.read(), self.original)
        self.assertIsNone(nxt.recover())


if __name__ == "__main__":
    unittest.main()
