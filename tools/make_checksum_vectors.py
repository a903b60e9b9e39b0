#!/usr/bin/python3
"""Writes tests/data/checksum_vectors.txt from an independent Modbus implementation.

Source: Debian's python3-pymodbus (pymodbus.utilities.computeCRC / computeLRC).
computeCRC returns the CRC byte-swapped (wire order when packed big-endian), so it is swapped
back here to the plain CRC value. Run once; the output is committed.

Line format: <hex bytes> <crc16 as 4 hex digits> <lrc as 2 hex digits>
"""
import random
import sys

from pymodbus.utilities import computeCRC, computeLRC


def main():
    rng = random.Random(20261208)
    cases = [b"", b"123456789", bytes([0x0F, 0x42]), bytes([0x0F, 0x41, 0x01]), bytes(range(256))]
    for length in list(range(1, 20)) + [64, 128, 255, 256, 300]:
        cases.append(bytes(rng.randrange(256) for _ in range(length)))
    out = sys.stdout
    out.write("# bytes crc16 lrc, from python3-pymodbus computeCRC/computeLRC\n")
    for data in cases:
        swapped = computeCRC(data)
        crc = ((swapped << 8) & 0xFF00) | ((swapped >> 8) & 0xFF)
        hexbytes = data.hex().upper() if data else "-"
        out.write(f"{hexbytes} {crc:04X} {computeLRC(data):02X}\n")


if __name__ == "__main__":
    main()
