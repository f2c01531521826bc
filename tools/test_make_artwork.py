# tools/make_artwork.py draws the icon and logo in res/ that the program embeds: what is checked
# in must be its output. Run: python3 -m unittest discover -s tools -p 'test_make_artwork.py'
import os, subprocess, sys, tempfile, unittest

HERE = os.path.dirname(os.path.abspath(__file__))


class ArtworkTest(unittest.TestCase):
    def test_res_holds_its_output(self):
        with tempfile.TemporaryDirectory() as out:
            subprocess.run([sys.executable, os.path.join(HERE, "make_artwork.py"), "--out", out],
                           check=True, stdout=subprocess.DEVNULL)
            for name in ("wrenquil.ico", "logo.bmp"):
                with open(os.path.join(out, name), "rb") as new:
                    with open(os.path.join(HERE, "..", "res", name), "rb") as checked_in:
                        self.assertEqual(new.read(), checked_in.read(), name + " is stale")
