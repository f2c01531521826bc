# tools/make_artwork.py draws the icon and logo in res/ that the program embeds: what is checked
# in must be its output. Run: python3 -m unittest discover -s tools -p 'test_make_artwork.py'
import pathlib, subprocess, sys, tempfile, unittest

HERE = pathlib.Path(__file__).resolve().parent


class ArtworkTest(unittest.TestCase):
    def test_res_holds_its_output(self):
        with tempfile.TemporaryDirectory() as out:
            subprocess.run([sys.executable, str(HERE / "make_artwork.py"), "--out", out],
                           check=True, stdout=subprocess.DEVNULL)
            for name in ("wrenquil.ico", "logo.bmp"):
                self.assertEqual(pathlib.Path(out, name).read_bytes(),
                                 (HERE.parent / "res" / name).read_bytes(), name + " is stale")
