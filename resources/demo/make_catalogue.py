#!/usr/bin/env python3
"""Builds the demo catalogue served by lumetra-vendor-service.

    make_catalogue.py <source dir> <output dir> <lumetra-demo-window program>

Reads <source>/catalogue/registry.json and writes to <output>:
  registry.json                     the registry, "filesize" set from the generated packages
  accounts.json                     copied
  packages/<file>                   one file per download entry: Linux entries are runnable
                                    self-extracting installers, Windows entries are stand-in files
  docs/<toolId>/<versionId>/release-note.txt, license.txt
The output is rebuilt from scratch and is byte-for-byte reproducible for the same build of
lumetra-demo-window, which every package carries as the window of its tool's main program.
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


def lmt_type_of(tool):
    tool_type = tool.get("type", "")
    return tool.get("additionalAttributes", {}).get("lmt-type", LMT_TYPE_OF_TYPE.get(tool_type, ""))


def main_program(tool):
    """Where a tool's main program lies in its folder, None for a tool without one.

    The tools package starts from its dashboard in bin/; the application takes the folder above
    a dashboard as the installation folder. Other tools keep their program at the top of their
    folder. Content packs and patches only add files to other tools.
    """
    lmt_type = lmt_type_of(tool)
    if lmt_type == "tools":
        return "bin/dashboard"
    if lmt_type == "external":
        return short_name(tool["featureId"])
    return None


def start_script(tool, version, window):
    """The main program: prints its name and version with --version, else opens its window."""
    text = "{} {}".format(tool["name"], version["version"])
    return ("#!/bin/sh\n"
            "# {text}: opens its window; with --version prints its name and version.\n"
            "case \"${{1:-}}\" in\n"
            "    --version) printf '%s\\n' {quoted}; exit 0 ;;\n"
            "esac\n"
            "exec \"$(dirname \"$0\")/{window}\" {name} {version}\n").format(
                text=text, quoted=shell_quote(text), window=window,
                name=shell_quote(tool["name"]), version=shell_quote(version["version"]))


def add_dirs(archive, path, added):
    """Adds the folders leading to path (once each), parents first."""
    parts = path.split("/")[:-1]
    for depth in range(1, len(parts) + 1):
        folder = "/".join(parts[:depth]) + "/"
        if folder not in added:
            added.add(folder)
            add_dir(archive, folder)


def payload(tool, version, notes, window_program):
    """The files a package installs: its main program with the window it opens (if the tool has
    one) and its release notes, named after the version so that every version's files differ."""
    short = short_name(tool["featureId"])
    files = []
    program = main_program(tool)
    if program:
        window = "lib/{}/lumetra-demo-window".format(short)
        relative = "../" * program.count("/") + window
        files.append((program, start_script(tool, version, relative).encode(), 0o755))
        files.append((window, window_program, 0o755))
    files.append(("share/doc/{}/RELEASE-NOTES-{}.txt".format(short, version["version"]),
                  notes.encode("utf-8"), 0o644))
    raw = io.BytesIO()
    added = set()
    with tarfile.open(fileobj=raw, mode="w", format=tarfile.GNU_FORMAT) as archive:
        for name, data, mode in files:
            add_dirs(archive, name, added)
            add_file(archive, name, data, mode)
    return gzip.compress(raw.getvalue(), mtime=0)


def linux_installer(template, tool, version, notes, window_program):
    tool_type = tool.get("type", "")
    program = main_program(tool)
    values = {
        "@TITLE_COMMENT@": tool["name"],
        "@VERSION_COMMENT@": version["version"],
        "@FEATURE_ID@": shell_quote(tool["featureId"]),
        "@TITLE@": shell_quote(tool["name"]),
        "@VERSION@": shell_quote(version["version"]),
        "@VERSION_NUMERIC@": str(int(version["versionNumeric"])),
        "@TOOL_TYPE@": shell_quote(tool_type),
        "@LMT_TYPE@": shell_quote(lmt_type_of(tool)),
        "@MAIN_PROGRAM@": shell_quote(program or ""),
        "@DEPENDENCIES_JSON@": shell_quote(json.dumps(version.get("dependencies", []))),
    }
    script = template
    for key, value in values.items():
        script = script.replace(key, value)
    leftovers = re.findall(r"@[A-Z_]+@", script)
    if leftovers:
        raise SystemExit("installer template has unfilled placeholders: {}".format(leftovers))
    return script.encode("utf-8") + payload(tool, version, notes, window_program)


def windows_stand_in(tool, version):
    return ("Windows installer stand-in for {} {}.\r\n"
            "The demo catalogue ships runnable installers for Linux only.\r\n").format(
                tool["name"], version["version"]).encode("utf-8")


def build(source, output, window_program):
    registry = json.loads((source / "catalogue" / "registry.json").read_text(encoding="utf-8"))
    template = (source / "installer" / "installer.sh.in").read_text(encoding="utf-8")
    window_program = window_program.read_bytes()
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
                    data = linux_installer(template, tool, version, text or "", window_program)
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
    if len(sys.argv) != 4:
        raise SystemExit(__doc__)
    build(Path(sys.argv[1]), Path(sys.argv[2]), Path(sys.argv[3]))
