"""Writes the installer's licence page: the notice on our and the encoder's licences, then the
GPL's full text, as UTF-8 with a byte-order mark and CR LF line ends, which the installer's
text box shows as written."""
import sys

notice, gpl, out = sys.argv[1:4]
with open(notice, encoding="utf-8") as f:
    text = f.read().rstrip("\n") + "\n\n" + "=" * 70 + "\n\n"
with open(gpl, encoding="utf-8") as f:
    text += f.read()
with open(out, "w", encoding="utf-8-sig", newline="\r\n") as f:
    f.write(text)
