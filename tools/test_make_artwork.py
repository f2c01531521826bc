"""tools/make_artwork.py draws the files in res/ that the program's resources embed (the Windows
tests load them from there): its output must be what is checked in, and the same every run.

Run: python3 -m unittest discover -s tools -p 'test_make_artwork.py'
"""
import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
REPO_RES = os.path.join(os.path.dirname(HERE), "res")


class ArtworkTest(unittest.TestCase):
    def test_output_is_what_res_holds(self):
        with tempfile.TemporaryDirectory() as out:
            subprocess.run([sys.executable, os.path.join(HERE, "make_artwork.py"), "--out", out],
                           check=True, stdout=subprocess.DEVNULL)
            for name in ("wrenquil.ico", "logo.bmp"):
                with open(os.path.join(out, name), "rb") as new, \
                        open(os.path.join(REPO_RES, name), "rb") as checked_in:
                    self.assertEqual(new.read(), checked_in.read(),
                                     name + " is stale: rerun tools/make_artwork.py")


if __name__ == "__main__":
    unittest.main()
