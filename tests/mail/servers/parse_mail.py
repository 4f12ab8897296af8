"""Reads a stored mail with Python's own e-mail parser and prints what a
mail program would show, as JSON: the decoded headers, the From and To mailboxes, the text body, and
each attachment's decoded file name and content type. Each attachment's
decoded bytes are written to OUTDIR/<index> for the test to compare."""

import json
import os
import sys
from email import policy
from email.parser import BytesParser

path, outdir = sys.argv[1], sys.argv[2]
with open(path, "rb") as f:
    message = BytesParser(policy=policy.default).parse(f)

summary = {
    "headers": [[name, str(value)] for name, value in message.items()],
    "defects": [repr(d) for d in message.defects],
    "addresses": {name: [[a.display_name, a.addr_spec] for a in message[name].addresses]
                  for name in ("From", "To") if message[name] is not None},
    "body": None,
    "attachments": [],
}
for part in message.walk():
    summary["defects"] += [repr(d) for d in part.defects]
    if part.is_multipart():
        continue
    if part.get_content_disposition() == "attachment":
        index = len(summary["attachments"])
        with open(os.path.join(outdir, str(index)), "wb") as f:
            f.write(part.get_payload(decode=True))
        summary["attachments"].append(
            {"filename": part.get_filename(), "type": part.get_content_type()})
    elif summary["body"] is None:
        summary["body"] = part.get_content()
json.dump(summary, sys.stdout)
