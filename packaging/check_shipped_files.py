"""Checks the files out of Omniprobe.cab: the INF installs both binaries side by side at the build's
version and registers the control; both binaries are stripped and carry that version.
Usage: check_shipped_files.py <version a.b.c.d> <folder>"""
import configparser
import struct
import sys


def pe_facts(data):
    symbols = struct.unpack_from("<I", data, struct.unpack_from("<I", data, 0x3C)[0] + 16)[0]
    fixed = data.find(struct.pack("<I", 0xFEEF04BD), data.find("VS_VERSION_INFO".encode("utf-16-le")))
    ms, ls, product_ms, product_ls = struct.unpack_from("<4I", data, fixed + 8)
    dotted = lambda ms, ls: f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
    facts = {"symbols": symbols, "fixed FileVersion": dotted(ms, ls),
             "fixed ProductVersion": dotted(product_ms, product_ls)}
    for name in ("FileVersion", "ProductVersion"):
        # The text follows its key after padding, up to a UTF-16 terminator.
        at = data.find((name + "\0").encode("utf-16-le"), fixed) + 2 * len(name) + 2
        text = data[at:at + 128].decode("utf-16-le", "replace").lstrip("\0")
        facts[name] = text.split("\0", 1)[0]
    return facts


def main(version, folder):
    comma = version.replace(".", ",")
    inf = configparser.ConfigParser(comment_prefixes=";", interpolation=None)
    inf.read(f"{folder}/Omniprobe.inf", encoding="ascii")
    expected = [("version", "signature", '"$CHICAGO$"'),
                ("Add.Code", "Omniprobe.ocx", "Omniprobe.ocx"), ("Add.Code", "tarrow.exe", "tarrow.exe"),
                ("Omniprobe.ocx", "file-win32-x86", "thiscab"), ("tarrow.exe", "file-win32-x86", "thiscab"),
                ("Omniprobe.ocx", "clsid", "{4814A6CB-9A5D-4F66-99F5-79413040054B}"),
                ("Omniprobe.ocx", "FileVersion", comma), ("tarrow.exe", "FileVersion", comma),
                ("Omniprobe.ocx", "RegisterServer", "yes"), ("tarrow.exe", "RegisterServer", "no"),
                # No DestDir: both land in the browser's one folder for downloaded controls.
                ("Omniprobe.ocx", "DestDir", None), ("tarrow.exe", "DestDir", None)]
    failures = [f"INF [{section}] {key} = {inf.get(section, key, fallback=None)}, expected {value}"
                for section, key, value in expected if inf.get(section, key, fallback=None) != value]
    for binary in ("Omniprobe.ocx", "tarrow.exe"):
        facts = pe_facts(open(f"{folder}/{binary}", "rb").read())
        print(binary, facts)
        failures += [f"{binary}: {key} {value}, expected {wanted}" for key, value in facts.items()
                     for wanted in [0 if key == "symbols" else version] if value != wanted]
    for failure in failures:
        print("FAIL", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
