#!/usr/bin/env python3
"""Writes the registry files of the differential test, with their queries.

Each case lives under its own key HKEY_LOCAL_MACHINE\\SOFTWARE\\WavecrestTest\\<Case>,
so all cases can be imported into one registry. Run again after editing.
"""
import pathlib

HERE = pathlib.Path(__file__).parent
ROOT = "HKEY_LOCAL_MACHINE\\SOFTWARE\\WavecrestTest"
QROOT = "SOFTWARE\\WavecrestTest"


def write(name, body, queries, unicode):
    if unicode:
        text = "Windows Registry Editor Version 5.00\r\n\r\n" + body
        data = b"\xff\xfe" + text.encode("utf-16-le")
    else:
        data = ("REGEDIT4\r\n\r\n" + body).encode("utf-8")
    (HERE / (name + ".reg")).write_bytes(data)
    (HERE / (name + ".queries")).write_text(
        "# Queries below HKEY_LOCAL_MACHINE: KEY, or KEY|VALUE\n" + "\n".join(queries) + "\n")


def texts(case, unicode):
    key = f"{ROOT}\\{case}"
    body = (f"[{key}]\r\n"
            '"PATH"="C:\\\\Tools\\\\msinfo32.exe"\r\n'
            '"Quote"="say \\"hi\\""\r\n'
            '"OtherEscape"="a\\nb\\tc"\r\n'
            '"Empty"=""\r\n'
            '"Unicode"="Grüße €"\r\n'
            '@="default"\r\n'
            '"a\\"b\\\\c"="escaped name"\r\n'
            '  "Blanks" \t=  "x"  ; a comment\r\n'
            '"Later"="one"\r\n'
            '"LATER"="two"\r\n'
            '; "Commented"="no"\r\n'
            '"Semicolon"="a;b"\r\n'
            '"Brackets"="[x]"\r\n'
            '"Trailing backslash"="C:\\\\Tools\\\\"\r\n'
            f'"Long"="{"x" * 1023}"\r\n'
            f'"TooLong"="{"y" * 1024}"\r\n')
    # Not asked (see README.md): "OtherEscape", which Wine's editor unescapes,
    # and "Unicode" from UTF-16 files, which the ANSI code pages turn apart.
    names = ["PATH", "path", "Quote", "Empty", "", "a\"b\\c",
             "Blanks", "Later", "Commented", "Semicolon", "Brackets", "Trailing backslash",
             "Long", "TooLong", "Missing"] + ([] if unicode else ["Unicode"])
    return body, [f"{QROOT}\\{case}|{n}" for n in names] + [f"{QROOT}\\{case}"]


def dwords(case):
    key = f"{ROOT}\\{case}"
    lines = {"Small": "dword:00010203", "Upper": "DWORD:000000ff", "Ff": "dword:ff",
             "Max": "dword:ffffffff", "Zero": "dword:00000000", "High": "dword:80000000",
             "Blank": "dword: 00000001", "Nine": "dword:000000001", "NoDigits": "dword:",
             "NotHex": "dword:0000000g", "Comment": "dword:00000005 ; five",
             "Mixed": "dword:0A0b0C0d"}
    body = f"[{key}]\r\n" + "".join(f'"{n}"={v}\r\n' for n, v in lines.items())
    return body, [f"{QROOT}\\{case}|{n}" for n in lines] + [f"{QROOT}\\{case}|Missing"]


def hexes(case, unicode):
    key = f"{ROOT}\\{case}"
    big = ",".join("%02x" % (i % 256) for i in range(1100))
    utf16 = lambda s: ",".join("%02x" % b for b in s.encode("utf-16-le"))
    ansi = lambda s: ",".join("%02x" % b for b in s.encode("utf-8"))
    text = utf16 if unicode else ansi
    lines = {
        "Binary": "hex:de,AD, be ,ef",
        "Continued": "hex:01,02,\\\r\n  03,04,\\\r\n\t05",
        "EmptyBinary": "hex:",
        "Expand": "hex(2):" + text("%SystemRoot%\\x\0"),
        "ExpandContinued": "hex(2):" + text("%A%") + ",\\\r\n  " + text("\0"),
        "Multi": "hex(7):" + text("one\0two\0\0"),
        "SzNoZero": "hex(1):" + text("ab"),
        "SzWithZero": "hex(1):" + text("C:\\Tools\0"),
        "Qword": "hex(b):01,00,00,00,00,00,00,00",
        "None": "hex(0):",
        "NoneData": "hex(0):01,02",
        "DwordHex": "hex(4):03,02,01,00",
        "DwordShort": "hex(4):07",
        "BigEndian": "hex(5):00,00,00,07",
        "Big": "hex:" + big,
        "UpperType": "HEX(2):" + text("x\0"),
        "TrailingComma": "hex:01,02,",
        "BadByte": "hex:100",
        "DoubleComma": "hex:01,,02",
        "BlankBeforeByte": "hex:01, 02,\t03",
        "BlankBeforeComma": "hex:01 ,02",
    }
    body = f"[{key}]\r\n" + "".join(f'"{n}"={v}\r\n' for n, v in lines.items())
    return body, [f"{QROOT}\\{case}|{n}" for n in lines]


def deletions(case):
    k = f"{ROOT}\\{case}"
    body = (f"[{k}\\A\\B]\r\n\"v\"=\"1\"\r\n"
            f"[{k}\\A\\B\\C]\r\n\"w\"=\"1\"\r\n"
            f"[{k}\\A\\BB]\r\n\"gone\"=\"1\"\r\n\"kept\"=\"1\"\r\n\"GONE\"=-\r\n"
            f"[-{k}\\a\\b]\r\n\"orphan\"=\"1\"\r\n"
            f"[{k}\\A\\D]\r\n\"v\"=\"1\"\r\n"
            f"[-{k}\\A\\D]\r\n"
            f"[{k}\\A\\D]\r\n\"w\"=\"2\"\r\n"
            f"[{k}\\A\\E]\r\n\"x\"=\"1\"\r\n\"x\"=-\r\n\"never\"=-\r\n"
            f"[-{k}\\A\\NeverThere]\r\n")
    q = f"{QROOT}\\{case}"
    return body, [f"{q}\\A\\B", f"{q}\\A\\B\\C", f"{q}\\A\\BB", f"{q}\\A\\B|v",
                  f"{q}\\A\\B\\C|w", f"{q}\\A\\BB|gone", f"{q}\\A\\BB|kept",
                  f"{q}\\A\\B|orphan", f"{q}\\A|orphan", f"{q}\\A\\D|v", f"{q}\\A\\D|w",
                  f"{q}\\A\\E|x", f"{q}\\A\\E", f"{q}\\A\\NeverThere"]


def keys(case):
    k = f"{ROOT}\\{case}"
    lower = k.replace("HKEY_LOCAL_MACHINE", "hkey_local_machine")
    body = (f"[{lower}\\Vendor\\Tool]\r\n\"Name\"=\"x\"\r\n"
            f"[{k.upper()}\\VENDOR\\TOOL\\]\r\n\"Other\"=\"y\"\r\n"
            f"[HKLM\\{QROOT}\\{case}\\Short]\r\n\"X\"=\"1\"\r\n"
            f"[HKEY_SOMEWHERE\\{case}]\r\n\"X\"=\"1\"\r\n"
            f"[{k}\\NoClose\r\n\"X\"=\"1\"\r\n"
            f"[ {k}\\BlankFirst]\r\n\"X\"=\"1\"\r\n"
            f"[{k}\\Double\\\\Slash]\r\n\"X\"=\"1\"\r\n"
            f"[{k}\\With Blank]  \r\n\"X\"=\"blank\"\r\n"
            f"[{k}\\Ünïcode]\r\n\"X\"=\"u\"\r\n")
    q = f"{QROOT}\\{case}"
    return body, [f"{q}\\vendor\\tool|NAME", f"{q}\\Vendor\\Tool|other", f"{q}\\Vendor",
                  f"{q}\\Vend", f"{q}\\Short", f"{q}\\Short|X", f"{q}\\NoClose",
                  f"{q}\\NoClose|X", f"{q}\\BlankFirst", f"{q}\\With Blank|X", f"{q}|X"]
    # Not asked (see README.md): "Double", which Wine's editor creates from
    # "Double\\Slash", and the non-ASCII key name, read in another code page.


def malformed(case):
    k = f"{ROOT}\\{case}"
    bad = ['"U1"="abc', '"U2"="abc" junk', '"U3=\"abc\"', '"U4" "abc"', 'U5=abc',
           '"U6"=str:"abc"', '"U7"=hex(2:00', '"U8"=dword:0x10']
    body = f"[{k}]\r\n" + "".join(f"{b}\r\n\"Good{i}\"=\"ok\"\r\n" for i, b in enumerate(bad))
    names = [f"U{i}" for i in range(1, 9)] + [f"Good{i}" for i in range(len(bad))]
    return body, [f"{QROOT}\\{case}|{n}" for n in names]


def main():
    for case, unicode in (("TextUnicode", True), ("TextRegedit4", False)):
        write(case, *texts(case, unicode), unicode)
    write("Dword", *dwords("Dword"), True)
    write("HexUnicode", *hexes("HexUnicode", True), True)
    write("HexRegedit4", *hexes("HexRegedit4", False), False)
    write("Deletions", *deletions("Deletions"), True)
    write("Keys", *keys("Keys"), True)
    write("Malformed", *malformed("Malformed"), False)


main()
