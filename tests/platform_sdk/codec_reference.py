#!/usr/bin/env python3
"""Independent reference of the scrambled body text (before gzip).

Reads JSON texts, one per line, on stdin; prints the scrambled text of each, one per line.
Written from the body format alone, so the C++ codec can be checked against it byte for byte.
"""
import base64
import sys

KEY = "6mq&>zC1,v|`RUZyt[<0b/d;+7FarKwLSX{#AEn2%g-$eWcpof8l!=(?3.iM9:VT"
assert len(KEY) == 64


def scramble(json_bytes: bytes) -> str:
    b64 = base64.b64encode(json_bytes).decode("ascii")
    # Lines of 64 characters joined by CR LF; the line breaks are scrambled too.
    text = "\r\n".join(b64[i:i + 64] for i in range(0, len(b64), 64))
    numbers = [str((ord(ch) + ord(KEY[i % 64])) & 0xFFFFFFFF) for i, ch in enumerate(text)]
    return "x" + "_".join(numbers) + "y"


def main() -> int:
    for line in sys.stdin.read().split("\n"):
        if line:
            print(scramble(line.encode("utf-8")))
    return 0


if __name__ == "__main__":
    sys.exit(main())
