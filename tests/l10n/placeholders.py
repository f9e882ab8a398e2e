#!/usr/bin/python3
"""Every translation of a catalog keeps its message's placeholders.

The arguments of foundation::formatLocalized ("%@", "%lld", "%.1f", "%2$@"...) are compared by
the argument they take (a translation may number them: "%1$@ von %2$@") and its kind (string,
integer, fixed); every other directive ("%%", strftime's "%B", "%-e") must appear as often as in
the message. Each plural form is checked against the message's plural.

Usage: placeholders.py CATALOG.po...   exit status 0 when every translation keeps them, 1 if not.
"""
import re
import sys
from collections import Counter

DIRECTIVE = re.compile(r"%(?:(\d+)\$)?([-_0^#]?)(\.\d+)?((?:hh|ll|[hlqzjt])*)([A-Za-z@%])")
KIND = {"@": "string", "d": "integer", "i": "integer", "u": "integer", "f": "fixed", "F": "fixed"}


def placeholders(text):
    """The arguments as {position: kind} and the other directives as a multiset."""
    arguments, others = {}, Counter()
    following = 0
    for match in DIRECTIVE.finditer(text):
        position, flag, precision, _, conversion = match.groups()
        if conversion in KIND and not flag:
            if position:
                index = int(position)
            else:
                following += 1
                index = following
            arguments[index] = KIND[conversion] + (precision or "")
        else:
            others[match.group(0)] += 1
    return arguments, others


def unquote(line):
    body = line[line.index('"') + 1:line.rindex('"')]
    escapes = {"n": "\n", "t": "\t", '"': '"', "\\": "\\"}
    return re.sub(r"\\(.)", lambda m: escapes.get(m.group(1), m.group(0)), body)


def entries(path):
    """(msgid, msgid_plural, [msgstr...]) of each live entry."""
    entry, field = {}, None
    with open(path, encoding="utf-8") as catalog:
        lines = catalog.read().splitlines() + [""]
    for line in lines:
        if line.startswith("#"):
            continue  # comments, flags, and obsolete entries ("#~")
        if not line.strip():
            if "msgid" in entry:
                yield entry["msgid"], entry.get("msgid_plural"), entry.get("msgstr", [])
            entry, field = {}, None
            continue
        if line.startswith('"'):
            if field == "msgstr":
                entry["msgstr"][-1] += unquote(line)
            elif field:
                entry[field] += unquote(line)
            continue
        keyword = line.split(" ", 1)[0]
        if keyword.startswith("msgstr"):
            entry.setdefault("msgstr", []).append(unquote(line))
            field = "msgstr"
        elif keyword in ("msgid", "msgid_plural", "msgctxt"):
            entry[keyword] = unquote(line)
            field = keyword


def check(path):
    faults = []
    for msgid, plural, translations in entries(path):
        if not msgid:
            continue  # the header
        for form, translation in enumerate(translations):
            if not translation:
                continue  # untranslated: the English text is shown, placeholders and all
            source = plural if plural is not None and form > 0 else msgid
            if placeholders(source) != placeholders(translation):
                faults.append("%s: %r translated as %r" % (path, source, translation))
    return faults


def main(paths):
    faults = [fault for path in paths for fault in check(path)]
    for fault in faults:
        print("placeholder lost or changed: " + fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
