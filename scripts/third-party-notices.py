#!/usr/bin/env python3
"""Gathers the notices of the third-party software built into the programs, at packaging time.

    third-party-notices.py --platform windows|debian --build DIR --out DIR [--qt-prefix DIR]
                           [--sqlite DIR] [--qt-source-text FILE]

What is built in is read from the build itself: the header files that Ninja recorded for every
object of the shipped programs (`ninja -t deps`, objects under src/). Each header outside the
source and build folders must belong to a known component; one that does not stops the packaging,
so no library is ever shipped without its notice. A component's text is its Debian package's
copyright file, copied unchanged, with every licence in /usr/share/common-licenses that it points
to copied beside it (a Windows user has no such folder).

--platform windows writes the folder the installer and the zip carry: README.txt (what is built
in, under which licence, the Qt source offer), one text per component, licenses/ and index.tsv,
which the About window's "Third-party software" list reads (name, version, licence, what it is,
file). --platform debian writes only index.tsv: the programs link Debian's own shared libraries,
whose packages carry their notices, and the list names those files.
"""
import argparse, os, re, shutil, subprocess, sys


class Component:
    def __init__(self, name, licence, what, package, folders=(), packages="", fallback=None,
                 header_names=()):
        self.name, self.licence, self.what = name, licence, what
        self.package = package  # whose /usr/share/doc/<package>/copyright is the notice
        self.fallback = fallback or package  # another package of the same source, same file
        self.folders = [f.rstrip("/") + "/" for f in folders if f]  # its headers, outside dpkg
        self.packages = packages  # a regular expression on the Debian packages of its headers
        self.header_names = header_names  # of a library built in from headers alone

    def file_name(self):
        return re.sub(r"[^A-Za-z0-9]+", "-", self.name).strip("-") + ".txt"


def windows_components(qt_prefix, sqlite):
    return [
        Component("Qt", "LGPL-3.0-only (or GPL-2.0/GPL-3.0); the parts Qt bundles under their own "
                  "licences, listed in its text", "Qt6Core.dll, Qt6Gui.dll, Qt6Widgets.dll and the "
                  "plugins in bin\\platforms and bin\\styles", "libqt6core6", [qt_prefix]),
        Component("GCC runtime libraries", "GPL-3.0-or-later with the GCC Runtime Library "
                  "Exception 3.1", "libstdc++-6.dll, libgcc_s_seh-1.dll and the C++ library code "
                  "compiled into the programs", "gcc-mingw-w64-x86-64-posix-runtime",
                  packages=r"^(g\+\+|gcc)-mingw-w64"),
        Component("MinGW-w64 runtime and winpthreads", "ZPL-2.1, MIT and BSD-style licences; "
                  "parts in the public domain", "libwinpthread-1.dll and the C runtime start-up "
                  "code in the programs", "mingw-w64-x86-64-dev", packages=r"^mingw-w64"),
        Component("SQLite", "public domain", "the database engine, compiled into both programs",
                  "libsqlite3-0", [sqlite]),
        Component("zlib", "Zlib", "gzip compression of scan files, compiled into the programs",
                  "libz-mingw-w64-dev", packages=r"^libz-mingw-w64-dev$"),
    ] + header_only_components()


def debian_components():
    # Debian's shared libraries: their packages carry the notices; only the list points there.
    return [
        Component("Qt", "LGPL-3.0-only (or GPL-2.0/GPL-3.0)", "the Qt 6 libraries the window "
                  "uses (Debian's packages)", "libqt6core6", packages=r"^(qt6-|libgl-dev$)"),
        Component("SQLite", "public domain", "the database engine (Debian's package)",
                  "libsqlite3-0", packages=r"^libsqlite3-dev$"),
        Component("GCC runtime libraries", "GPL-3.0-or-later with the GCC Runtime Library "
                  "Exception 3.1", "the C++ standard library (Debian's package)", "libstdc++6",
                  packages=r"^lib(stdc\+\+|gcc)-[0-9]+-dev$"),
        Component("GNU C Library", "LGPL-2.1-or-later", "the C library (Debian's package)",
                  "libc6", packages=r"^(libc6-dev|linux-libc-dev)$"),
        Component("zlib", "Zlib", "gzip compression of scan files (Debian's package)", "zlib1g",
                  packages=r"^zlib1g-dev$"),
        Component("Zstandard", "BSD-3-Clause or GPL-2.0-only", "zstd compression of scan files "
                  "(Debian's package)", "libzstd1", packages=r"^libzstd-dev$"),
    ] + header_only_components()


def header_only_components():
    # Libraries compiled in from their headers, on both systems: the notice is their package's.
    return [
        Component("xxHash", "BSD-2-Clause", "the hash function of the duplicate search",
                  "libxxhash-dev", packages=r"^libxxhash", fallback="libxxhash0",
                  header_names=("xxhash.h", "xxh3.h")),
        Component("RapidJSON", "MIT", "JSON reading and writing", "rapidjson-dev",
                  packages=r"^rapidjson-dev$", header_names=("rapidjson/*",)),
    ]


def shipped_headers(build):
    """Every header an object under src/ was compiled with, as absolute paths."""
    out = subprocess.run(["ninja", "-C", build, "-t", "deps"], capture_output=True, text=True,
                         check=True).stdout
    headers, shipped = set(), False
    for line in out.splitlines():
        if not line.startswith(" "):
            shipped = line.startswith("src/") and "#deps" in line
        elif shipped and line.strip():
            # Resolved: a library's headers may be reached through a link in the build folder
            # (the Windows build's RapidJSON) and still belong to their package.
            headers.add(os.path.realpath(os.path.join(build, line.strip())))
    if not headers:
        sys.exit("third-party-notices: Ninja recorded no headers for src/: build it first")
    return headers


def debian_owners(paths):
    """The Debian package of each path that one installed, without its architecture."""
    owners, paths = {}, sorted(paths)
    for at in range(0, len(paths), 400):
        out = subprocess.run(["dpkg", "-S"] + paths[at:at + 400], capture_output=True,
                             text=True).stdout
        for line in out.splitlines():
            if line.startswith("diversion ") or ": " not in line:
                continue
            packages, path = line.split(": ", 1)
            owners[path] = packages.split(",")[0].split(":")[0].strip()
    return owners


def classify(headers, components, own):
    """The components whose headers were compiled in; stops at a header that is nobody's."""
    outside = [h for h in headers if not any(h.startswith(folder) for folder in own)]
    rest = [h for h in outside if not any(h.startswith(f) for c in components for f in c.folders)]
    owners = debian_owners(rest)
    used, orphans = set(), []
    for header in outside:
        package = owners.get(header, "")
        match = next((c for c in components if any(header.startswith(f) for f in c.folders) or
                      (package and c.packages and re.search(c.packages, package))), None)
        if match is None:
            orphans.append(f"{header} ({package or 'no Debian package'})")
        else:
            used.add(match.name)
    if orphans:
        sys.exit("third-party-notices: these headers are built into the programs but belong to "
                 "no component with a notice (add it to scripts/third-party-notices.py):\n  " +
                 "\n  ".join(sorted(orphans)[:20]))
    return [c for c in components if c.name in used]


def package_version(package):
    result = subprocess.run(["dpkg-query", "-W", "-f=${Version}", package], capture_output=True,
                            text=True)
    return result.stdout.strip() if result.returncode == 0 else ""


def copyright_file(component):
    for package in (component.package, component.fallback):
        path = f"/usr/share/doc/{package}/copyright"
        if os.path.isfile(path):
            return path, package
    sys.exit(f"third-party-notices: no notice for {component.name}: install the Debian package "
             f"{component.package} (its /usr/share/doc/{component.package}/copyright)")


def copy_licences(text, out):
    """Copies each licence in /usr/share/common-licenses that `text` names; returns the names."""
    names = sorted(set(re.findall(r"/usr/share/common-licenses/([A-Za-z0-9.+-]*[A-Za-z0-9+])", text)))
    os.makedirs(os.path.join(out, "licenses"), exist_ok=True)
    for name in names:
        shutil.copyfile(os.path.realpath(f"/usr/share/common-licenses/{name}"),
                        os.path.join(out, "licenses", name + ".txt"))
    return names


def write_windows(components, out, qt_source_text):
    os.makedirs(out, exist_ok=True)
    rows, licences = [], set()
    for c in components:
        path, package = copyright_file(c)
        with open(path, encoding="utf-8") as f:
            text = f.read()
        version = package_version(package)
        header = (f"{c.name}: {c.what}.\nLicence: {c.licence}.\nThe text below is the copyright "
                  f"file of Debian's package {package} {version}, unchanged. The licences it points "
                  "to in /usr/share/common-licenses are in the licenses folder beside this "
                  "file.\n\n")
        with open(os.path.join(out, c.file_name()), "w", encoding="utf-8", newline="\r\n") as f:
            f.write(header + text)
        licences.update(copy_licences(text, out))
        rows.append((c.name, version, c.licence, c.what, c.file_name()))
    with open(qt_source_text, encoding="utf-8") as f:
        offer = f.read()
    with open(os.path.join(out, "Qt-source.txt"), "w", encoding="utf-8", newline="\r\n") as f:
        f.write(offer)
    rows.insert(1, ("Qt: source code offer", rows[0][1], "LGPL-3.0-only", "where to get the source "
                    "code of the Qt libraries shipped here, and how they were built", "Qt-source.txt"))
    for name in sorted(licences):
        rows.append((f"Licence text: {name}", "", name, "a licence the notices above refer to",
                     f"licenses/{name}.txt"))
    write_index(rows, out)
    lines = ["Third-party software in Quendrix Vellumetric for Windows", "",
             "The programs are built with the following software. Each one's notice and licence",
             "are in the file named; the licence texts they refer to are in the licenses folder.",
             "The program shows the same list: About, Third-party software.", ""]
    for name, version, licence, what, file in rows:
        if not name.startswith("Licence text"):
            lines += [f"{name} {version}".rstrip(), f"    {what}", f"    Licence: {licence}",
                      f"    Notice: {file}", ""]
    with open(os.path.join(out, "README.txt"), "w", encoding="utf-8", newline="\r\n") as f:
        f.write("\n".join(lines))


def dep5_paragraphs(text):
    """The paragraphs of a machine-readable copyright file, as lists of (field, value) pairs;
    a value keeps its continuation lines."""
    paragraphs = []
    for block in re.split(r"\n\s*\n", text.strip()):
        fields = []
        for line in block.splitlines():
            if line[:1] in (" ", "\t") and fields:
                fields[-1] = (fields[-1][0], fields[-1][1] + "\n" + line)
            elif ":" in line:
                name, value = line.split(":", 1)
                fields.append((name.strip(), value.strip()))
        paragraphs.append(fields)
    return paragraphs


def embedded_paragraphs(component):
    """The copyright of a library compiled into the programs, for our own copyright file: its
    package's paragraph for all its files, named by the headers, and that licence's text."""
    path, _ = copyright_file(component)
    with open(path, encoding="utf-8") as f:
        paragraphs = [dict(p) for p in dep5_paragraphs(f.read())]
    main = next((p for p in paragraphs if p.get("Files") == "*"), None)
    if not main or "Copyright" not in main or "License" not in main:
        sys.exit(f"third-party-notices: {path} has no machine-readable paragraph for all files")
    licence = main["License"]
    text = next((p["License"] for p in paragraphs
                 if "Files" not in p and p.get("License", "").split("\n")[0] == licence), "")
    files = " ".join(f"*/{c}" for c in component.header_names)
    own = f"Files: {files}\nCopyright: {main['Copyright']}\nLicense: {licence}"
    return own + ("\n\nLicense: " + text if text and "\n" not in licence else "")


def write_debian(components, out, template, copyright_out):
    os.makedirs(out, exist_ok=True)
    rows = []
    for c in components:
        path, package = copyright_file(c)
        rows.append((c.name, package_version(package), c.licence, c.what, path))
    write_index(rows, out)
    with open(template, encoding="utf-8") as f:
        text = f.read().rstrip("\n")
    for c in components:
        if c.header_names:
            text += "\n\n" + embedded_paragraphs(c)
    os.makedirs(os.path.dirname(copyright_out), exist_ok=True)
    with open(copyright_out, "w", encoding="utf-8") as f:
        f.write(text + "\n")


def write_index(rows, out):
    with open(os.path.join(out, "index.tsv"), "w", encoding="utf-8", newline="\n") as f:
        for row in rows:
            f.write("\t".join(field.replace("\t", " ") for field in row) + "\n")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--platform", choices=["windows", "debian"], required=True)
    parser.add_argument("--build", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--source", default=os.path.dirname(os.path.dirname(
        os.path.abspath(__file__))))
    parser.add_argument("--qt-prefix", default="")
    parser.add_argument("--sqlite", default="")
    parser.add_argument("--qt-source-text", default="")
    parser.add_argument("--copyright-template", default="")
    parser.add_argument("--copyright-out", default="")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    own = [os.path.realpath(args.source) + "/", os.path.realpath(build) + "/"]
    headers = shipped_headers(build)
    if args.platform == "windows":
        if not args.qt_prefix or not args.qt_source_text:
            sys.exit("third-party-notices: --platform windows needs --qt-prefix and "
                     "--qt-source-text")
        components = classify(headers, windows_components(args.qt_prefix, args.sqlite), own)
        write_windows(components, args.out, args.qt_source_text)
    else:
        if not args.copyright_template or not args.copyright_out:
            sys.exit("third-party-notices: --platform debian needs --copyright-template and "
                     "--copyright-out")
        components = classify(headers, debian_components(), own)
        write_debian(components, args.out, args.copyright_template, args.copyright_out)
    print(f"third-party notices: {', '.join(c.name for c in components)}")


if __name__ == "__main__":
    main()
