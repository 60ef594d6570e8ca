#!/usr/bin/python3
"""Reads a vCard file with python3-vobject (Debian) and prints what it understood, one property
a line ("name<TAB>types<TAB>value"), a blank line after each card, for the C++ test to compare
with the contacts it wrote. Exits 77 when vobject is missing, so the test can skip."""
import sys

try:
    import vobject
except ImportError:
    sys.exit(77)


def text(v):
    if isinstance(v, (list, tuple)):
        return ",".join(text(x) for x in v)
    return str(v).replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n").replace("\t", "\\t")


def types(line):
    return ",".join(sorted(t.upper() for t in line.params.get("TYPE", []))) or "-"


def main(path):
    with open(path, encoding="utf-8", newline="") as f:
        data = f.read()
    out = []
    for card in vobject.readComponents(data):
        for name in ("fn", "n", "nickname", "email", "tel", "adr", "org", "title", "url", "note", "categories"):
            for line in card.contents.get(name, []):
                v = line.value
                if name == "n":
                    v = ";".join(text(x) for x in (v.family, v.given, v.additional))
                elif name == "adr":
                    v = "|".join(text(x) for x in (v.street, v.city, v.region, v.code, v.country))
                elif name == "org":
                    v = ";".join(text(x) for x in v)
                else:
                    v = text(v)
                out.append(f"{name}\t{types(line)}\t{v}")
        out.append("")
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])
