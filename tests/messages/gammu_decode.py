#!/usr/bin/python3
# Decodes PDUs (hex, led by the service centre, one a line on standard
# input) with python-gammu, an independent codec, and prints one JSON
# object a line: number, text, coding, and the concatenation fields.
import binascii
import json
import sys

import gammu

for line in sys.stdin:
    line = line.strip()
    try:
        sms = gammu.DecodePDU(binascii.unhexlify(line))
    except Exception as error:  # gammu refuses the PDU
        print(json.dumps({"error": str(error)}))
        continue
    udh = sms["UDH"]
    text = sms["Text"]
    if isinstance(text, bytes):
        text = text.hex().upper()
    print(json.dumps({
        "type": sms["Type"], "number": sms["Number"], "text": text,
        "coding": sms["Coding"],
        "reference": max(udh["ID8bit"], udh["ID16bit"]),
        "count": udh["AllParts"], "sequence": udh["PartNumber"],
    }, ensure_ascii=False))
