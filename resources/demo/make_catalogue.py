#!/usr/bin/env python3
"""Builds the demo catalogue served by lumetra-vendor-service.

    make_catalogue.py <source dir> <output dir>

Reads <source>/catalogue/registry.json and writes to <output>:
  registry.json                     the registry, "filesize" set from the generated packages
  accounts.json                     copied
  packages/<file>                   one file per download entry: Linux entries are runnable
                                    self-extracting installers, Windows entries are stand-in files
  docs/<toolId>/<versionId>/release-note.txt, license.txt
The output is rebuilt from scratch and is byte-for-byte reproducible.
"""

import gzip
import io
import json
import re
import shutil
import sys
import tarfile
from pathlib import Path

FIXED_MTIME = 1767225600  # 2026-01-01: keeps the packages and their sha256 reproducible
PACKAGE_URL = re.compile(r"^\{base\}/packages/([A-Za-z0-9._-]+?)(/download)?$")
LMT_TYPE_OF_TYPE = {"tool-patch": "patch", "content-pack": "pack"}


def shell_quote(text):
    return "'" + text.replace("'", "'\\''") + "'"


def short_name(feature_id):
    return feature_id.rsplit(".", 1)[-1]


def release_notes(source, feature_id):
    """Splits notes/<featureId>.md into {version: text} at its '## <version>' headings."""
    path = source / "catalogue" / "notes" / (feature_id + ".md")
    if not path.exists():
        return {}
    notes, current = {}, None
    for line in path.read_text(encoding="utf-8").splitlines():
        heading = re.match(r"^## (\S+)\s*$", line)
        if heading:
            current = heading.group(1)
            notes[current] = []
        elif current:
            notes[current].append(line)
    return {version: "\n".join(lines).strip() + "\n" for version, lines in notes.items()}


def add_file(archive, name, data, mode):
    info = tarfile.TarInfo(name)
    info.size = len(data)
    info.mode = mode
    info.mtime = FIXED_MTIME
    archive.addfile(info, io.BytesIO(data))


def add_dir(archive, name):
    info = tarfile.TarInfo(name)
    info.type = tarfile.DIRTYPE
    info.mode = 0o755
    info.mtime = FIXED_MTIME
    archive.addfile(info)


def payload(tool, version, notes):
    """The files a package installs: a runnable bin/<tool> and its release notes."""
    short = short_name(tool["featureId"])
    program = "#!/bin/sh\nprintf '%s\\n' {}\n".format(
        shell_quote("{} {}".format(tool["name"], version["version"])))
    raw = io.BytesIO()
    with tarfile.open(fileobj=raw, mode="w", format=tarfile.GNU_FORMAT) as archive:
        add_dir(archive, "bin/")
        add_file(archive, "bin/" + short, program.encode(), 0o755)
        add_dir(archive, "share/")
        add_dir(archive, "share/doc/")
        add_dir(archive, "share/doc/{}/".format(short))
        add_file(archive, "share/doc/{}/RELEASE-NOTES.txt".format(short),
                 notes.encode("utf-8"), 0o644)
    return gzip.compress(raw.getvalue(), mtime=0)


def linux_installer(template, tool, version, notes):
    attributes = tool.get("additionalAttributes", {})
    tool_type = tool.get("type", "")
    values = {
        "@TITLE_COMMENT@": tool["name"],
        "@VERSION_COMMENT@": version["version"],
        "@FEATURE_ID@": shell_quote(tool["featureId"]),
        "@TITLE@": shell_quote(tool["name"]),
        "@VERSION@": shell_quote(version["version"]),
        "@VERSION_NUMERIC@": str(int(version["versionNumeric"])),
        "@TOOL_TYPE@": shell_quote(tool_type),
        "@LMT_TYPE@": shell_quote(attributes.get("lmt-type", LMT_TYPE_OF_TYPE.get(tool_type, ""))),
        "@DEPENDENCIES_JSON@": shell_quote(json.dumps(version.get("dependencies", []))),
    }
    script = template
    for key, value in values.items():
        script = script.replace(key, value)
    leftovers = re.findall(r"@[A-Z_]+@", script)
    if leftovers:
        raise SystemExit("installer template has unfilled placeholders: {}".format(leftovers))
    return script.encode("utf-8") + payload(tool, version, notes)


def windows_stand_in(tool, version):
    return ("Windows installer stand-in for {} {}.\r\n"
            "The demo catalogue ships runnable installers for Linux only.\r\n").format(
                tool["name"], version["version"]).encode("utf-8")


def build(source, output):
    registry = json.loads((source / "catalogue" / "registry.json").read_text(encoding="utf-8"))
    template = (source / "installer" / "installer.sh.in").read_text(encoding="utf-8")
    if output.exists():
        shutil.rmtree(output)
    (output / "packages").mkdir(parents=True)

    for tool in registry:
        notes = release_notes(source, tool["featureId"])
        licence_path = source / "catalogue" / "licenses" / (tool["featureId"] + ".txt")
        licence = licence_path.read_text(encoding="utf-8") if licence_path.exists() else None
        for key in sorted(tool["versions"]):
            version = tool["versions"][key]
            text = notes.get(version["version"])
            for entry in version["downloadUrls"]:
                match = PACKAGE_URL.match(entry["url"])
                if not match:
                    raise SystemExit("unexpected package url: " + entry["url"])
                if entry["os"] == "Linux":
                    data = linux_installer(template, tool, version, text or "")
                else:
                    data = windows_stand_in(tool, version)
                (output / "packages" / match.group(1)).write_bytes(data)
                entry["filesize"] = round(len(data) / (1024 * 1024), 6)
            docs = output / "docs" / str(tool["id"]) / str(version["id"])
            if text is not None:
                docs.mkdir(parents=True, exist_ok=True)
                (docs / "release-note.txt").write_text(text, encoding="utf-8")
            if licence is not None:
                docs.mkdir(parents=True, exist_ok=True)
                header = "{} {}\n\n".format(tool["name"], version["version"])
                (docs / "license.txt").write_text(header + licence, encoding="utf-8")

    (output / "registry.json").write_text(
        json.dumps(registry, indent=2, ensure_ascii=False) + "\n", encoding="utf-8")
    shutil.copyfile(source / "catalogue" / "accounts.json", output / "accounts.json")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    build(Path(sys.argv[1]), Path(sys.argv[2]))
